#pragma once

#include <QString>
#include <QStringList>

class SessionDatabase;

// Moves the sessions and tasks that earlier versions kept in the settings
// file "Lumivex 2016.ini" into the database. The order of its steps is what
// keeps the records safe: enough free space, then a verified copy of the old
// file, then the records committed and read back (count and content), and
// only then the old file rewritten without its lists. Any step that fails
// stops the import with the old file as it was, and the next start tries
// again; records stored by a stopped run are found stored by the next one.
class LegacyImport
{
public:
    struct Outcome
    {
        // The settings file still holds its lists: nothing may write it.
        bool pending = false;
        QString failure;  // why the import stopped
        QString backup;   // the settings file as it was before a completed import
        int skipped = 0;  // list elements that were no readable record
        int sessions = 0; // sessions added by this run
        int tasks = 0;
        QString locale; // the language the settings file names
    };

    // `database` may be null or unusable; `unavailable` then says why.
    LegacyImport(const QString &settingsFile, SessionDatabase *database, const QString &unavailable);

    Outcome run();

    // The bytes the import may need in the settings file's folder: the copy
    // of the old file, its records in the database and the database's journal,
    // and room for the pages SQLite touches besides.
    static qint64 requiredBytes(qint64 settingsFileBytes);
    // The copies of the settings file as it was before each completed import, oldest first.
    static QStringList backupsOf(const QString &settingsFile);

private:
    bool enoughSpace(Outcome *outcome) const;
    bool store(Outcome *outcome, QByteArray *rest);
    bool rewriteWithout(const QByteArray &rest, Outcome *outcome) const;
    Outcome stop(Outcome outcome, const QString &failure) const;

    QString m_path;
    SessionDatabase *m_database;
    QString m_unavailable;
};
