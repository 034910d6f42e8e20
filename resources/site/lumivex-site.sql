-- The site database of Lumivex: the testing sessions and tasks of every station.
--
-- A station creates these tables itself when they are missing and its user may
-- create tables. Otherwise the database owner runs this file once:
--     psql "postgresql://owner@dbhost/lumivex" -f lumivex-site.sql
-- and gives each station a login that is a member of the role lumivex_station:
--     CREATE ROLE ct_room_3 LOGIN IN ROLE lumivex_station;
-- (its password goes into the station's ~/.pgpass, never into Lumivex's settings).
--
-- lumivex_station may read every row (the site page shows the whole site),
-- add rows and change the rows its own login sent; it may not delete rows or
-- change the schema. Running this file again changes nothing.

CREATE TABLE IF NOT EXISTS lumivex_sessions (
    uuid uuid PRIMARY KEY,
    station text NOT NULL,
    stored_at timestamptz NOT NULL,
    tester text NOT NULL DEFAULT '',
    display_maker text NOT NULL DEFAULT '',
    display_model text NOT NULL DEFAULT '',
    display_serial text NOT NULL DEFAULT '',
    test_type text NOT NULL DEFAULT '',
    test_count integer NOT NULL DEFAULT 0,
    failed_count integer NOT NULL DEFAULT 0,
    record jsonb NOT NULL,
    sent_by name NOT NULL DEFAULT current_user,
    received_at timestamptz NOT NULL DEFAULT now()
);

-- A session withdrawn at its station stays here, marked with who withdrew it,
-- when and why. (Added to sites made before withdrawals by running this file again.)
ALTER TABLE lumivex_sessions ADD COLUMN IF NOT EXISTS withdrawn_by text;
ALTER TABLE lumivex_sessions ADD COLUMN IF NOT EXISTS withdrawn_at timestamptz;
ALTER TABLE lumivex_sessions ADD COLUMN IF NOT EXISTS withdrawal_reason text;

-- The site page reads the newest session of each station and display.
CREATE INDEX IF NOT EXISTS lumivex_sessions_by_display
    ON lumivex_sessions (station, display_maker, display_model, display_serial, stored_at DESC);
CREATE INDEX IF NOT EXISTS lumivex_sessions_by_date ON lumivex_sessions (stored_at DESC);

CREATE TABLE IF NOT EXISTS lumivex_tasks (
    station text NOT NULL,
    task_id text NOT NULL,
    description text NOT NULL DEFAULT '',
    next_due timestamptz,
    record jsonb NOT NULL,
    removed boolean NOT NULL DEFAULT false,
    sent_by name NOT NULL DEFAULT current_user,
    received_at timestamptz NOT NULL DEFAULT now(),
    PRIMARY KEY (station, task_id)
);

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'lumivex_station') THEN
        IF NOT (SELECT rolcreaterole OR rolsuper FROM pg_roles WHERE rolname = current_user) THEN
            RAISE NOTICE 'role lumivex_station not created: % may not create roles', current_user;
            RETURN;
        END IF;
        CREATE ROLE lumivex_station NOLOGIN;
    END IF;
    GRANT SELECT, INSERT, UPDATE ON lumivex_sessions, lumivex_tasks TO lumivex_station;
    ALTER TABLE lumivex_sessions ENABLE ROW LEVEL SECURITY;
    ALTER TABLE lumivex_tasks ENABLE ROW LEVEL SECURITY;
    IF NOT EXISTS (SELECT FROM pg_policies WHERE policyname = 'lumivex_station_reads') THEN
        CREATE POLICY lumivex_station_reads ON lumivex_sessions FOR SELECT TO lumivex_station USING (true);
        CREATE POLICY lumivex_station_adds ON lumivex_sessions FOR INSERT TO lumivex_station
            WITH CHECK (sent_by = current_user);
        CREATE POLICY lumivex_station_changes ON lumivex_sessions FOR UPDATE TO lumivex_station
            USING (sent_by = current_user) WITH CHECK (sent_by = current_user);
        CREATE POLICY lumivex_station_reads ON lumivex_tasks FOR SELECT TO lumivex_station USING (true);
        CREATE POLICY lumivex_station_adds ON lumivex_tasks FOR INSERT TO lumivex_station
            WITH CHECK (sent_by = current_user);
        CREATE POLICY lumivex_station_changes ON lumivex_tasks FOR UPDATE TO lumivex_station
            USING (sent_by = current_user) WITH CHECK (sent_by = current_user);
    END IF;
END $$;
