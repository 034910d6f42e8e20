#pragma once

#include "databaserecovery.h"
#include "displayrecord.h"
#include "sessionlistrow.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <QVector>

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
            SessionWithdrawn,
            TaskAdded,
            TaskChanged,
            TaskRemoved
        };
        Kind kind;
        QString key; // the session's uuid or the task's id
        // The record as stored after the change; empty after a removal; for a
        // withdrawal its "withdrawnBy", "withdrawnAt" and "reason".
        QVariantMap record;
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

    // Opens the file, creating or updating its tables. A file that fails to
    // open, to pass its integrity check or to prepare the store's statements
    // is copied aside (damagedCopy()), once for the same damage, and replaced
    // by a fresh database holding every record that could still be read
    // (recovered()). False, with errorString(), when the file cannot be used at all.
    bool open();
    bool isOpen() const;
    QString fileName() const;
    // Why the last open, read or write failed.
    QString errorString() const;
    QString damagedCopy() const;
    // What was read of a damaged database into the fresh one that replaced it.
    DatabaseRecovery::Counts recovered() const;

    enum Withdrawn
    {
        WithWithdrawn,
        WithoutWithdrawn
    };
    // Newest first; each map has the list's fields ("id", "uuid", "tester",
    // "date", "ntest", "nfailedtestcontents", "monitorselected",
    // "monitorinfo", "testtype", "display" with "maker", "model" and
    // "serial", and for a withdrawn session "withdrawal" with "withdrawnBy",
    // "withdrawnAt" and "reason") but not the results.
    QVariantList sessionSummaries(Withdrawn withdrawn = WithWithdrawn) const;
    // The same as compact rows, for the list of years of sessions: `count`
    // rows (-1: all) that follow the row `after` in the list, or from the
    // newest on without one. Sessions without a date come last.
    QVector<SessionListRow> sessionRows(Withdrawn withdrawn, const SessionListRow *after, int count) const;
    int sessionCount(Withdrawn withdrawn) const;
    // The whole record; an empty map, with errorString(), when the row is
    // missing, too large or not readable.
    QVariantMap sessionRecord(qint64 id) const;
    qint64 newestSessionId() const;
    // The id of the session with that uuid; 0 when there is none.
    qint64 sessionId(const QString &uuid) const;
    // The newest session of the display with that key (DisplayRecord::key);
    // 0 when there is none.
    qint64 newestSessionId(const QString &displayKey) const;
    // The moment of the display's first session of that test type after
    // `after`; invalid when there is none.
    QDateTime nextSessionDate(const QString &displayKey, const QString &testType, const QDateTime &after) const;
    // The ids of that display's sessions, newest first.
    QList<qint64> sessionIds(const QString &displayKey) const;
    // A new uuid is made when none is given.
    bool addSession(const QVariantMap &record, qint64 *id = nullptr, const QString &uuid = QString());
    // Marks a session withdrawn; it stays stored. A reason is required.
    bool withdrawSession(qint64 id, const QString &by, const QString &reason, const QDateTime &at);

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
    // The choice says who made it the reference, when and why ({"by", "on", "reason"}).
    bool makeReference(const QString &displayKey, qint64 sessionId, const QVariantMap &choice = {});
    // Puts a known display into the workstation of that name; empty: this station's own.
    bool setWorkstation(const QString &displayKey, const QString &workstation);

    // The file a display's kept GSDF calibration installed, when, and by
    // which calibration session.
    struct Calibration
    {
        QString calFile;
        QDateTime installed;
        QString session;
    };
    // Stores a calibration session and, when its file was installed (not
    // empty), that file as the display's calibration: both or neither.
    bool addCalibrationSession(const QVariantMap &record, const QString &installedCalFile, qint64 *id = nullptr);
    std::optional<Calibration> displayCalibration(const QString &displayKey) const;

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
    friend class DatabaseRecovery;
    QSqlDatabase connection() const;
    bool prepareFile();
    bool setUpConnection();
    bool openUnchanging(QSqlDatabase &database);
    bool isSound();
    bool preparesStatements();
    bool isDamaged();
    bool keepDamagedCopy();
    bool recover();
    void closeConnection();
    bool migrate();
    bool fillListColumns();
    bool announce(const Change &change);
    bool noteDisplayTested(const QVariantMap &record, const QString &uuid);
    bool noteStoredDisplays();
    bool storeReference(const QString &displayKey, const QVariantMap &record, const QString &uuid, bool onlyIfNewer,
                        const QVariantMap &choice = {});
    bool failed(const QString &what, const QString &reason) const;

    QString m_path;
    Access m_access;
    QString m_connectionName;
    mutable QString m_error;
    QString m_damagedCopy;
    bool m_damageFound = false;
    int m_version = 0;
    DatabaseRecovery::Counts m_recovered;
    QList<ChangeHook> m_hooks;
};
