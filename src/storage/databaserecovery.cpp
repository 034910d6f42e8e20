#include "databaserecovery.h"

#include "sessiondatabase.h"
#include "storedrecord.h"

#include <QDebug>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// Recovered sessions whose uuid cannot be read are named after their record.
const QUuid RecoveryNamespace = QUuid(QStringLiteral("{0b7e3c5a-8f43-4d2e-9d8c-5a1e7f6b2c34}"));
// How far past a damaged page the next scan of a table starts at most: every
// row id a workstation can reach.
const qint64 LargestRowId = qint64(1) << 40;

int nextConnectionNumber()
{
    static int number = 0;
    return ++number;
}

// The row ids of a table that can be read. A damaged page ends a scan; the
// next scan starts past it, twice as far each time it meets damage again.
QList<qint64> readableRowIds(const QSqlDatabase &source, const QString &table)
{
    QList<qint64> ids;
    QSqlQuery scan(source);
    scan.setForwardOnly(true);
    // Only the table names of this file reach here, never outside text.
    scan.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE rowid >= :from ORDER BY rowid").arg(table));
    qint64 from = 0;
    qint64 jump = 1;
    while (from <= LargestRowId) {
        scan.bindValue(QStringLiteral(":from"), from);
        if (scan.exec()) {
            while (scan.next()) {
                ids.append(scan.value(0).toLongLong());
                jump = 1;
            }
            if (!scan.lastError().isValid())
                break;
        }
        from = (ids.isEmpty() ? from : std::max(from, ids.last() + 1)) + jump;
        jump *= 2;
    }
    return ids;
}

QSqlQuery pointQuery(const QSqlDatabase &source, const QString &text, qint64 rowId)
{
    QSqlQuery query(source);
    query.prepare(text);
    query.bindValue(QStringLiteral(":id"), rowId);
    if (!query.exec() || !query.next())
        return QSqlQuery();
    return query;
}

QVariantMap readRecord(const QSqlQuery &query, int column, bool task)
{
    bool ok = query.isValid();
    const QByteArray json = ok ? StoredRecord::uncompress(query.value(column).toByteArray(), &ok) : QByteArray();
    if (!ok)
        return {};
    const QVariantMap record = task ? StoredRecord::decodeTask(json, &ok) : StoredRecord::decodeSession(json, &ok);
    return ok ? record : QVariantMap();
}

void recoverSessions(const QSqlDatabase &source, SessionDatabase &fresh, DatabaseRecovery::Counts *counts)
{
    const QList<qint64> recordIds = readableRowIds(source, QStringLiteral("session_records"));
    QSet<qint64> seen(recordIds.cbegin(), recordIds.cend());
    const QList<qint64> sessionIds = readableRowIds(source, QStringLiteral("sessions"));
    seen.unite(QSet<qint64>(sessionIds.cbegin(), sessionIds.cend()));
    for (const qint64 id : recordIds) {
        const QVariantMap record = readRecord(
            pointQuery(source, QStringLiteral("SELECT record FROM session_records WHERE session_id = :id"), id), 0,
            false);
        if (record.isEmpty())
            continue;
        QString uuid =
            pointQuery(source, QStringLiteral("SELECT uuid FROM sessions WHERE id = :id"), id).value(0).toString();
        if (uuid.isEmpty())
            uuid = QUuid::createUuidV5(RecoveryNamespace, StoredRecord::encode(record)).toString(QUuid::WithoutBraces);
        qint64 stored = 0;
        if (fresh.insertSession(record, uuid, &stored) && stored != 0)
            ++counts->sessions;
    }
    counts->skipped += seen.size() - counts->sessions;
}

void recoverTasks(const QSqlDatabase &source, SessionDatabase &fresh, DatabaseRecovery::Counts *counts)
{
    for (const qint64 rowId : readableRowIds(source, QStringLiteral("tasks"))) {
        const QSqlQuery row =
            pointQuery(source, QStringLiteral("SELECT id, record FROM tasks WHERE rowid = :id"), rowId);
        QVariantMap task = readRecord(row, 1, true);
        bool added = false;
        if (!task.isEmpty()) {
            task.insert(QStringLiteral("id"), row.value(0).toString());
            fresh.insertTask(task, &added);
        }
        ++(added ? counts->tasks : counts->skipped);
    }
}

} // namespace

// A display's row holds what no session does: the category and room class
// chosen for it and a reference made by hand. It replaces the row the
// recovered sessions made.
void DatabaseRecovery::recoverDisplays(const QSqlDatabase &source, SessionDatabase &fresh, Counts *counts)
{
    const QString columns = QStringLiteral("key, maker, model, serial, category, room_class, classified_on, reference, "
                                           "reference_date, reference_session, first_tested, last_tested, last_result");
    const int columnCount = columns.count(QLatin1Char(',')) + 1;
    QSqlQuery insert(fresh.connection());
    QStringList placeholders;
    for (int column = 0; column < columnCount; ++column)
        placeholders << QStringLiteral("?");
    insert.prepare(QStringLiteral("INSERT OR REPLACE INTO displays (%1) VALUES (%2)")
                       .arg(columns, placeholders.join(QLatin1String(", "))));
    for (const qint64 rowId : readableRowIds(source, QStringLiteral("displays"))) {
        const QSqlQuery row =
            pointQuery(source, QStringLiteral("SELECT %1 FROM displays WHERE rowid = :id").arg(columns), rowId);
        bool restored = row.isValid();
        for (int column = 0; restored && column < columnCount; ++column)
            insert.bindValue(column, row.value(column));
        restored = restored && insert.exec();
        if (!restored)
            ++counts->skipped;
    }
}

DatabaseRecovery::Counts DatabaseRecovery::recover(const QString &damaged, SessionDatabase &fresh)
{
    Counts counts;
    const QString name = QStringLiteral("lumivex-recovery-%1").arg(nextConnectionNumber());
    {
        QSqlDatabase source = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        source.setDatabaseName(damaged);
        // A file that opens not at all leaves nothing to recover: the fresh
        // database is stored empty.
        const bool readable = source.open();
        // A file cut short is refused whole unless SQLite is told to read the
        // pages that are there; nothing is written to it.
        QSqlQuery(source).exec(QStringLiteral("PRAGMA writable_schema = ON"));
        counts.stored = fresh.transact([&] {
            if (readable) {
                recoverSessions(source, fresh, &counts);
                recoverTasks(source, fresh, &counts);
                recoverDisplays(source, fresh, &counts);
            }
            return true;
        });
        source.close();
    }
    QSqlDatabase::removeDatabase(name);
    qWarning().noquote() << "[DatabaseRecovery] Recovered" << counts.sessions << "sessions and" << counts.tasks
                         << "tasks of" << damaged << "-" << counts.skipped << "rows could not be read";
    return counts;
}
