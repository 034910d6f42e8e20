-- One row per display: its identity, the category and room class whose limits
-- judge it (with the date they were last chosen), its reference values (JSON)
-- with the date and uuid of the session that measured them, and what its tests
-- found so far. `key` is the text DisplayRecord::key makes of the identity.
CREATE TABLE displays (
    key TEXT PRIMARY KEY NOT NULL,
    maker TEXT NOT NULL,
    model TEXT NOT NULL,
    serial TEXT NOT NULL,
    category TEXT NOT NULL DEFAULT '',
    room_class TEXT NOT NULL DEFAULT '',
    classified_on TEXT,
    reference TEXT,
    reference_date TEXT,
    reference_session TEXT,
    first_tested TEXT,
    last_tested TEXT,
    last_result TEXT
);

-- The display each session tested; empty for sessions stored before displays
-- were recorded, and for those whose display named itself nowhere.
ALTER TABLE sessions ADD COLUMN display_key TEXT NOT NULL DEFAULT '';
CREATE INDEX sessions_by_display ON sessions (display_key, date_msecs DESC, id DESC);
