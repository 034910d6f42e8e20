#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// Finished sessions the database could not store, kept in a file of their own
// beside it ("Lumivex unsaved sessions.json") until a save succeeds again, so
// that neither the end of the program nor a crash loses them. Each keeps the
// uuid it was given when it finished, so storing it twice stores it once.
class UnsavedSessions
{
public:
    struct Entry
    {
        QString uuid;
        QVariantMap record;
    };

    static QString fileNameBeside(const QString &databasePath);

    explicit UnsavedSessions(const QString &path);

    QString fileName() const;
    // Reads the file; false, with the entries it could read, when it is damaged.
    bool load();
    const QList<Entry> &entries() const;
    bool isEmpty() const;

    // Each change is written at once, with a checked save; false when the
    // file could not be written (the entries are then kept in memory only).
    bool keep(const Entry &entry);
    bool forget(const QString &uuid);
    QString errorString() const;

    // The records as a JSON array, for the operator to carry elsewhere.
    bool exportTo(const QString &path) const;

private:
    bool write(const QString &path) const;

    QString m_path;
    QList<Entry> m_entries;
    mutable QString m_error;
};
