-- A stored session is never removed: the law asks that records of acceptance
-- and constancy tests are kept for years. "Delete" withdraws a session instead,
-- with who withdrew it, when (UTC, ISO 8601) and why; the list hides it unless
-- asked to show it, and reports, exports and the site database keep it.
CREATE TABLE withdrawals (
    session_id INTEGER PRIMARY KEY REFERENCES sessions (id),
    withdrawn_by TEXT NOT NULL,
    withdrawn_at TEXT NOT NULL,
    reason TEXT NOT NULL CHECK (length(trim(reason)) > 0)
);
CREATE TRIGGER sessions_are_kept BEFORE DELETE ON sessions BEGIN SELECT RAISE(ABORT, 'a stored session is withdrawn, never deleted'); END;
CREATE TRIGGER session_records_are_kept BEFORE DELETE ON session_records BEGIN SELECT RAISE(ABORT, 'a stored session is withdrawn, never deleted'); END;
CREATE TRIGGER withdrawals_are_kept BEFORE DELETE ON withdrawals BEGIN SELECT RAISE(ABORT, 'a withdrawal is kept'); END;
