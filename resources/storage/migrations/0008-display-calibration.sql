-- The GSDF calibration installed on each display: the ArgyllCMS .cal file as
-- it was loaded into the graphics card, when it was installed, and the uuid of
-- the calibration session that measured and verified it. Empty until a
-- display's first kept calibration.
ALTER TABLE displays ADD COLUMN calibration TEXT;
ALTER TABLE displays ADD COLUMN calibration_date TEXT;
ALTER TABLE displays ADD COLUMN calibration_session TEXT;
