#pragma once

#include <QString>

class QSqlDatabase;

class SessionDatabase;

// Reads what can still be read of a damaged session database into a fresh
// one, row by row: a damaged page costs the rows on it, not the rest. A
// session is recovered from its stored record (the list's columns are made
// from it again); a display keeps its category, room class and reference.
class DatabaseRecovery
{
public:
    struct Counts
    {
        int sessions = 0;
        int tasks = 0;
        int skipped = 0; // rows seen that could not be read whole
        bool stored = false;
    };

    // `damaged` is opened read-only; `fresh` must be open.
    static Counts recover(const QString &damaged, SessionDatabase &fresh);

private:
    static void recoverDisplays(const QSqlDatabase &source, SessionDatabase &fresh, Counts *counts);
};
