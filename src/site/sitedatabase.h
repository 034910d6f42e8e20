#pragma once

#include "sitedisplayrow.h"
#include "sitesessionsummary.h"
#include "siteuri.h"

#include <QDateTime>
#include <QMultiHash>
#include <QString>
#include <QVariantMap>
#include <QVector>

class QSqlQuery;

// One named connection to the site database (Qt's QPSQL driver): sending a
// station's sessions and tasks, and reading the whole site back. Every statement
// is prepared with bound values; station, tester and every other name are data.
// A SiteDatabase belongs to the thread that created it.
class SiteDatabase
{
public:
    SiteDatabase(const SiteUri &uri, const QString &connectionName);
    ~SiteDatabase();
    SiteDatabase(const SiteDatabase &) = delete;
    SiteDatabase &operator=(const SiteDatabase &) = delete;

    // Connects (giving up after the URI's time limit) and creates the tables when
    // they are missing; false, with the reason in lastError(), when either fails.
    bool open();
    bool isOpen() const;
    // False when the server no longer answers on an open connection.
    bool isResponding();
    void close();
    QString lastError() const { return m_lastError; }

    bool transaction();
    bool commit();
    void rollback();

    // Stores a session once however often it is sent: a known uuid updates its row.
    bool upsertSession(const QString &station, const QString &uuid, const QVariantMap &record);
    bool upsertTask(const QString &station, const QVariantMap &task);
    // A task deleted at its station stays in the site's record, marked removed.
    bool markTaskRemoved(const QString &station, const QString &taskId);
    // A session withdrawn at its station stays in the site's record, marked
    // with the withdrawal's "withdrawnBy", "withdrawnAt" and "reason".
    bool markSessionWithdrawn(const QString &station, const QString &uuid, const QVariantMap &withdrawal);

    // The newest session of every station and display, with the next due date of
    // the station's tasks for that display or for any display, and those of them overdue today.
    QVector<SiteDisplayRow> overview(bool *ok);
    // Every session, newest first, of one station or (empty station) of all.
    QVector<SiteSessionSummary> sessions(const QString &station, bool *ok);
    // The full record of a session; an empty map when it cannot be read.
    QVariantMap sessionRecord(const QString &uuid);

private:
    // The overdue tasks of every station, by station, counted today from the records the stations sent.
    QMultiHash<QString, OverdueTasks::Entry> overdueTasks(bool *ok);
    bool ensureSchema();
    bool execute(QSqlQuery &query);
    // Executes a statement that writes for a station, naming the pair a refusal of its login concerns.
    bool executeFor(const QString &station, QSqlQuery &query);
    bool refused(const QSqlQuery &query);
    bool fail(const QString &message);

    SiteUri m_uri;
    QString m_connectionName;
    QString m_lastError;
};
