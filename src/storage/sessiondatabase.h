#pragma once

#include "displayrecord.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

class QSqlDatabase;

// The stored testing sessions and scheduled tasks in one SQLite file (WAL
// journal, schema versions in PRAGMA user_version). Every change is one
// transaction, made by transact(), which also runs the change hooks: a table
// another part of the program keeps beside these (an outbox) changes together
// with the record or not at all.
class SessionDatabase
{
public:
    struct Change
    {
        enum Kind
        {
            SessionAdded,
            SessionRemoved,
            TaskAdded,
            TaskChanged,
            TaskRemoved
        };
        Kind kind;
        QString key;        // the session's uuid or the task's id
        QVariantMap record; // the record as stored after the change; empty after a removal
    };
    using ChangeHook = std::function<bool(QSqlDatabase &database, const Change &change)>;

    enum Access
    {
        ReadWrite,
        // For the tools: nothing is created, written, migrated or copied.
        ReadOnly
    };

    // "Lumivex.sqlite", beside the settings file.
    static QString defaultFileName();

    explicit SessionDatabase(const QString &path, Access access = ReadWrite);
    ~SessionDatabase();
    SessionDatabase(const SessionDatabase &) = delete;
    SessionDatabase &operator=(const SessionDatabase &) = delete;

    // Opens the file, creating or updating its tables. A file that is not a
    // sound database is first copied aside (damagedCopy()). False, with
    // errorString(), when the file cannot be used at all.
    bool open();
    bool isOpen() const;
    QString fileName() const;
    // Why the last open, read or write failed.
    QString errorString() const;
    QString damagedCopy() const;

    // Newest first; each map has the list's fields ("id", "uuid", "tester",
    // "date", "ntest", "nfailedtestcontents", "monitorselected",
    // "monitorinfo", "testtype", and "display" with "maker", "model" and
    // "serial") but not the results.
    QVariantList sessionSummaries() const;
    // The whole record; an empty map, with errorString(), when the row is
    // missing, too large or not readable.
    QVariantMap sessionRecord(qint64 id) const;
    qint64 newestSessionId() const;
    // The newest session of the display with that key (DisplayRecord::key);
    // 0 when there is none.
    qint64 newestSessionId(const QString &displayKey) const;
    // The ids of that display's sessions, newest first.
    QList<qint64> sessionIds(const QString &displayKey) const;
    bool addSession(const QVariantMap &record, qint64 *id = nullptr);
    bool removeSession(qint64 id);

    // Every known display, by maker, model and serial number. A display
    // becomes known when it is classified or its first session is stored;
    // storing a session notes its date and result, takes over its category and
    // room class where the display has none yet, and makes the measured
    // values of a passed acceptance test the reference (unless a newer one is).
    QList<DisplayRecord> displays() const;
    std::optional<DisplayRecord> display(const QString &key) const;
    // Stores a display's category and room class with the date they changed;
    // choosing the same again keeps the earlier date.
    bool classifyDisplay(const QVariantMap &identity, const QString &category, const QString &roomClass,
                         const QDate &date);
    // Makes the measured values of a stored acceptance session of the
    // display its reference, whatever the reference was.
    bool makeReference(const QString &displayKey, qint64 sessionId);
    // Puts a known display into the workstation of that name; empty: this station's own.
    bool setWorkstation(const QString &displayKey, const QString &workstation);

    // In the order they were added.
    QVariantList tasks() const;
    bool addTask(const QVariantMap &task);
    // Replaces the stored record of the task with the map's "id".
    bool replaceTask(const QVariantMap &task);
    bool removeTask(const QString &id);

    // Runs `work` in one transaction, committed only when it returns true.
    bool transact(const std::function<bool()> &work);
    void addChangeHook(const ChangeHook &hook);
    // Steps of a transaction. A session whose uuid or a task whose id is
    // stored already is left as it is (true, *id 0 or *added false), so the
    // same import may safely run twice.
    bool insertSession(const QVariantMap &record, const QString &uuid, qint64 *id);
    bool insertTask(const QVariantMap &task, bool *added);
    int count(const QString &table) const;

private:
    QSqlDatabase connection() const;
    bool prepareFile();
    bool setUpConnection();
    bool openUnchanging(QSqlDatabase &database);
    bool setAsideIfDamaged();
    bool migrate();
    bool fillListColumns();
    bool announce(const Change &change);
    bool noteDisplayTested(const QVariantMap &record, const QString &uuid);
    bool noteStoredDisplays();
    bool storeReference(const QString &displayKey, const QVariantMap &record, const QString &uuid, bool onlyIfNewer);
    bool failed(const QString &what, const QString &reason) const;

    QString m_path;
    Access m_access;
    QString m_connectionName;
    mutable QString m_error;
    QString m_damagedCopy;
    QList<ChangeHook> m_hooks;
};
