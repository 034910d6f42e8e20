#include "siteoutbox.h"

#include "storedrecord.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

bool SiteOutbox::createTable(QSqlDatabase database)
{
    QSqlQuery query(database);
    return query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS site_outbox ("
                                     "id INTEGER PRIMARY KEY AUTOINCREMENT, kind INTEGER NOT NULL, "
                                     "key TEXT NOT NULL, record TEXT NOT NULL, queued_at TEXT NOT NULL)"));
}

bool SiteOutbox::recordChange(QSqlDatabase &database, const SessionDatabase::Change &change)
{
    if (!createTable(database))
        return false;
    switch (change.kind) {
    case SessionDatabase::Change::SessionAdded:
        return addSession(database, change.key, change.record);
    case SessionDatabase::Change::TaskAdded:
    case SessionDatabase::Change::TaskChanged:
        return addTask(database, change.record);
    case SessionDatabase::Change::TaskRemoved:
        return addTaskRemoval(database, change.key);
    case SessionDatabase::Change::SessionWithdrawn:
        return add(database, SessionWithdrawal, change.key, change.record);
    }
    return false;
}

bool SiteOutbox::addSession(QSqlDatabase database, const QString &uuid, const QVariantMap &record)
{
    return add(database, Session, uuid, record);
}

bool SiteOutbox::addTask(QSqlDatabase database, const QVariantMap &task)
{
    return add(database, Task, task.value(QStringLiteral("id")).toString(), task);
}

bool SiteOutbox::addTaskRemoval(QSqlDatabase database, const QString &taskId)
{
    return add(database, TaskRemoval, taskId, QVariantMap());
}

bool SiteOutbox::add(QSqlDatabase database, Kind kind, const QString &key, const QVariantMap &record)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("INSERT INTO site_outbox (kind, key, record, queued_at) "
                                 "VALUES (:kind, :key, :record, :queued_at)"));
    query.bindValue(QStringLiteral(":kind"), int(kind));
    query.bindValue(QStringLiteral(":key"), key);
    query.bindValue(QStringLiteral(":record"), QString::fromUtf8(StoredRecord::encode(record)));
    query.bindValue(QStringLiteral(":queued_at"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    return query.exec();
}

QVector<SiteOutbox::Entry> SiteOutbox::entries(QSqlDatabase database, qint64 afterId, int limit, bool *ok)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, kind, key, record FROM site_outbox WHERE id > :after ORDER BY id LIMIT :limit"));
    query.bindValue(QStringLiteral(":after"), afterId);
    query.bindValue(QStringLiteral(":limit"), limit);
    QVector<Entry> entries;
    *ok = query.exec();
    while (*ok && query.next()) {
        Entry entry;
        entry.id = query.value(0).toLongLong();
        entry.kind = Kind(query.value(1).toInt());
        entry.key = query.value(2).toString();
        bool readable = false;
        const QByteArray json = query.value(3).toByteArray();
        entry.record = entry.kind == Task ? StoredRecord::decodeTask(json, &readable)
                                          : StoredRecord::decodeSession(json, &readable);
        entries.append(entry);
    }
    return entries;
}

bool SiteOutbox::remove(QSqlDatabase database, qint64 id)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("DELETE FROM site_outbox WHERE id = :id"));
    query.bindValue(QStringLiteral(":id"), id);
    return query.exec();
}

int SiteOutbox::waitingSessions(QSqlDatabase database)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT count(*) FROM site_outbox WHERE kind = :kind"));
    query.bindValue(QStringLiteral(":kind"), int(Session));
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}
