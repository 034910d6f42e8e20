-- The site database of Lumivex: the testing sessions and tasks of every station.
--
-- A station creates these tables itself when they are missing and its user may
-- create tables and roles. Otherwise the database owner runs this file, as one
-- transaction that stops at the first error:
--     psql -v ON_ERROR_STOP=1 --single-transaction "postgresql://owner@dbhost/lumivex" -f lumivex-site.sql
-- and gives each station a login that is a member of the role lumivex_station,
-- with the station names it may write for:
--     CREATE ROLE ct_room_3 LOGIN IN ROLE lumivex_station;
--     INSERT INTO lumivex_station_logins (login, station) VALUES ('ct_room_3', 'CT room 3');
-- (its password goes into the station's ~/.pgpass, never into Lumivex's settings).
--
-- lumivex_station may read every row (the site page shows the whole site), and
-- add and change rows only for the stations lumivex_station_logins gives its
-- login, always under its own login in sent_by; it may not delete rows, change
-- the logins or change the schema. The file stops with an error, leaving
-- nothing, when it cannot create that role or protect the tables. Running it
-- again brings the rules of an older site up to date and changes nothing else.

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

-- Which station names each login may write for; kept by the database owner.
CREATE TABLE IF NOT EXISTS lumivex_station_logins (
    login name NOT NULL,
    station text NOT NULL,
    PRIMARY KEY (login, station)
);

DO $$
DECLARE
    -- A row of a station its login is given in lumivex_station_logins ...
    own_station constant text :=
        'station IN (SELECT l.station FROM lumivex_station_logins AS l WHERE l.login = current_user)';
    -- ... written under that login.
    own_row constant text := 'sent_by = current_user AND ' || own_station;
    target text;
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'lumivex_station') THEN
        IF NOT (SELECT rolcreaterole OR rolsuper FROM pg_roles WHERE rolname = current_user) THEN
            RAISE EXCEPTION 'role lumivex_station cannot be created: % may not create roles', current_user
                USING HINT = 'Run lumivex-site.sql as the database owner with the right to create roles.';
        END IF;
        CREATE ROLE lumivex_station NOLOGIN;
    END IF;
    BEGIN
        ALTER TABLE lumivex_sessions ENABLE ROW LEVEL SECURITY;
        ALTER TABLE lumivex_tasks ENABLE ROW LEVEL SECURITY;
        ALTER TABLE lumivex_station_logins ENABLE ROW LEVEL SECURITY;
    EXCEPTION WHEN insufficient_privilege THEN
        RAISE EXCEPTION 'row-level security cannot be enabled: % does not own the Lumivex tables', current_user
            USING HINT = 'Run lumivex-site.sql as the owner of the tables.';
    END;
    GRANT SELECT, INSERT, UPDATE ON lumivex_sessions, lumivex_tasks TO lumivex_station;
    GRANT SELECT ON lumivex_station_logins TO lumivex_station;

    -- A login reads only its own entries: which station another login writes for is none of its business.
    DROP POLICY IF EXISTS lumivex_station_reads ON lumivex_station_logins;
    CREATE POLICY lumivex_station_reads ON lumivex_station_logins FOR SELECT TO lumivex_station
        USING (login = current_user);

    -- Sessions and tasks: every station reads all, and adds and changes only its own. The
    -- rules are replaced on every run, so that a site set up by an older file gets today's.
    FOREACH target IN ARRAY ARRAY['lumivex_sessions', 'lumivex_tasks'] LOOP
        EXECUTE format('DROP POLICY IF EXISTS lumivex_station_reads ON %I', target);
        EXECUTE format('DROP POLICY IF EXISTS lumivex_station_adds ON %I', target);
        EXECUTE format('DROP POLICY IF EXISTS lumivex_station_changes ON %I', target);
        EXECUTE format('CREATE POLICY lumivex_station_reads ON %I FOR SELECT TO lumivex_station USING (true)',
                       target);
        EXECUTE format('CREATE POLICY lumivex_station_adds ON %I FOR INSERT TO lumivex_station WITH CHECK (%s)',
                       target, own_row);
        EXECUTE format('CREATE POLICY lumivex_station_changes ON %I FOR UPDATE TO lumivex_station '
                       'USING (%s) WITH CHECK (%s)', target, own_station, own_row);
    END LOOP;
END $$;
