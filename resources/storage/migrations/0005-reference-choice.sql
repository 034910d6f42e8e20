-- The meter a display's reference values were read with, as {"model", "serial"}
-- (JSON; NULL when they were typed or the meter was not named), so that a
-- constancy test read with another meter says so; and who made a session the
-- reference by hand, when and why, as {"by", "on", "reason"} (JSON; NULL for a
-- reference taken from a passed acceptance test on its own).
ALTER TABLE displays ADD COLUMN reference_meter TEXT;
ALTER TABLE displays ADD COLUMN reference_choice TEXT;
