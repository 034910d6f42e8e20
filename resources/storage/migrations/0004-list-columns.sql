-- The test type and the display of each session, for the saved-sessions list.
-- Sessions stored before records named them keep empty texts; the program
-- fills these columns from the stored records right after this step.
ALTER TABLE sessions ADD COLUMN test_type TEXT NOT NULL DEFAULT '';
ALTER TABLE sessions ADD COLUMN display_maker TEXT NOT NULL DEFAULT '';
ALTER TABLE sessions ADD COLUMN display_model TEXT NOT NULL DEFAULT '';
ALTER TABLE sessions ADD COLUMN display_serial TEXT NOT NULL DEFAULT '';
