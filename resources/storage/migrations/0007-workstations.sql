-- The workstation a display belongs to, for the deviation between the displays
-- of one workstation: empty for the displays of this station, which form one
-- workstation unless the operator groups them otherwise.
ALTER TABLE displays ADD COLUMN workstation TEXT NOT NULL DEFAULT '';
