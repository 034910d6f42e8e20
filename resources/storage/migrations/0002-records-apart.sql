-- The whole records move out of the sessions table into one of their own, so
-- that reading the list touches only the small rows of the list's columns.
-- A record is compact JSON compressed with zlib, behind its length as four
-- bytes, most significant first (the layout of Qt's qCompress).
CREATE TABLE session_records (
    session_id INTEGER PRIMARY KEY REFERENCES sessions (id) ON DELETE CASCADE,
    record BLOB NOT NULL
);
INSERT INTO session_records (session_id, record) SELECT id, record FROM sessions;
ALTER TABLE sessions DROP COLUMN record;
