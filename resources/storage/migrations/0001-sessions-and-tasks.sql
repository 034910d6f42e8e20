-- Sessions and tasks of one workstation. Each file in this folder moves the
-- schema one version up (PRAGMA user_version = the number of files applied);
-- statements end with a semicolon at the end of a line.

-- One row per finished testing session: the columns the saved-sessions list
-- shows, and the whole record as compact JSON for the report and the prefill.
-- `date` keeps the stored moment as ISO 8601 text (with its time zone when it
-- has one); `date_msecs` orders the list.
CREATE TABLE sessions (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    uuid TEXT NOT NULL UNIQUE,
    date TEXT,
    date_msecs INTEGER,
    tester TEXT NOT NULL,
    monitor_selected INTEGER NOT NULL,
    monitor_info TEXT NOT NULL,
    test_count INTEGER NOT NULL,
    failed_count INTEGER NOT NULL,
    record TEXT NOT NULL
);
CREATE INDEX sessions_newest_first ON sessions (date_msecs DESC, id DESC);

-- One row per scheduled task, kept in the order the tasks were added.
CREATE TABLE tasks (
    id TEXT PRIMARY KEY NOT NULL,
    position INTEGER NOT NULL,
    record TEXT NOT NULL
);
