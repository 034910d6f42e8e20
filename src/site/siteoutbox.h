#pragma once

#include "sessiondatabase.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>
#include <QVector>

// The changes a station has still to send to the site database, kept in a table
// of the station's own SQLite database. The store adds an entry in the same
// transaction as the change itself, so a change is never stored without its
// entry nor sent without being stored; the sender removes an entry once the site
// database confirmed it.
class SiteOutbox
{
public:
    enum Kind
    {
        Session,
        Task,
        TaskRemoval,
        // The record holds "withdrawnBy", "withdrawnAt" and "reason".
        SessionWithdrawal
    };

    struct Entry
    {
        qint64 id = 0;
        Kind kind = Session;
        // The session's uuid or the task's id.
        QString key;
        // The session or task record; empty for a removal.
        QVariantMap record;
    };

    static bool createTable(QSqlDatabase database);

    // The store's change hook: queues what a change of the station's database
    // means for the site, inside the change's own transaction. A withdrawn
    // session stays in the site's record, marked withdrawn.
    static bool recordChange(QSqlDatabase &database, const SessionDatabase::Change &change);

    static bool addSession(QSqlDatabase database, const QString &uuid, const QVariantMap &record);
    static bool addTask(QSqlDatabase database, const QVariantMap &task);
    static bool addTaskRemoval(QSqlDatabase database, const QString &taskId);

    // The oldest entries after the entry `afterId` first, at most `limit` of them; an
    // entry that cannot be read comes with an empty record, so its sending fails and says so.
    static QVector<Entry> entries(QSqlDatabase database, qint64 afterId, int limit, bool *ok);
    static bool remove(QSqlDatabase database, qint64 id);
    // Sessions waiting to be sent; -1 when the table cannot be read.
    static int waitingSessions(QSqlDatabase database);

private:
    static bool add(QSqlDatabase database, Kind kind, const QString &key, const QVariantMap &record);
};
