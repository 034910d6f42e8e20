#include "sitedatabase.h"

#include "displayrecord.h"
#include "printabletext.h"
#include "storedrecord.h"
#include "taskscheduler.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

const QString SchemaFile = QStringLiteral(":/site/lumivex-site.sql");
// PostgreSQL's SQLSTATE for a row its row-level security refuses, among other refused rights.
const QString InsufficientPrivilege = QStringLiteral("42501");

// The driver binds a null text as NULL; a missing name is stored as an empty one.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

QString utcText(const QDateTime &moment)
{
    return moment.isValid() ? moment.toUTC().toString(Qt::ISODateWithMs) : QString();
}

// Moments come back as milliseconds since the epoch: no time zone guessing in the driver.
QDateTime momentOf(const QVariant &milliseconds)
{
    return milliseconds.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(milliseconds.toLongLong());
}

QString jsonText(const QVariantMap &record)
{
    return QString::fromUtf8(StoredRecord::encode(record));
}

// The moment a task is next due as the site page shows it: a task whose start
// has passed and that never ran is due since its start.
QDateTime nextDue(const QVariantMap &task)
{
    const TaskScheduler scheduler(task);
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next = scheduler.nextExecution(now.date());
    if (next.isValid() || scheduler.state(now) != TaskScheduler::kTaskStatePending)
        return next;
    return scheduler.date();
}

// The summary columns of lumivex_sessions, each under the given prefix ("newest." or none).
const int SummaryColumnCount = 14;
QString summaryColumns(const QString &prefix = QString())
{
    return QStringLiteral("%1uuid::text, %1station, (extract(epoch FROM %1stored_at) * 1000)::bigint, %1tester, "
                          "%1display_maker, %1display_model, %1display_serial, %1test_type, %1test_count, "
                          "%1failed_count, %1sent_by, %1withdrawn_by, "
                          "(extract(epoch FROM %1withdrawn_at) * 1000)::bigint, %1withdrawal_reason")
        .arg(prefix);
}

SiteSessionSummary summaryAt(const QSqlQuery &query)
{
    SiteSessionSummary summary;
    summary.uuid = query.value(0).toString();
    summary.station = query.value(1).toString();
    summary.storedAt = momentOf(query.value(2));
    summary.tester = query.value(3).toString();
    summary.displayMaker = query.value(4).toString();
    summary.displayModel = query.value(5).toString();
    summary.displaySerial = query.value(6).toString();
    summary.testType = query.value(7).toString();
    summary.testCount = query.value(8).toInt();
    summary.failedCount = query.value(9).toInt();
    summary.sentBy = query.value(10).toString();
    summary.withdrawnBy = query.value(11).toString();
    summary.withdrawnAt = momentOf(query.value(12));
    summary.withdrawalReason = query.value(13).toString();
    return summary;
}

// The schema file's statements one by one: the driver reports only the first
// result of a text of many, so a later statement's error would pass unseen. A
// statement ends with a semicolon at the end of a line outside a $$ body.
QStringList schemaStatements(const QString &schema)
{
    QStringList statements;
    QString statement;
    bool inBody = false;
    for (const QString &line : schema.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")) && statement.isEmpty())
            continue;
        statement += line + QLatin1Char('\n');
        inBody ^= line.count(QLatin1String("$$")) % 2 == 1;
        if (!inBody && line.trimmed().endsWith(QLatin1Char(';'))) {
            statements << statement;
            statement.clear();
        }
    }
    return statements;
}

} // namespace

SiteDatabase::SiteDatabase(const SiteUri &uri, const QString &connectionName)
    : m_uri(uri)
    , m_connectionName(connectionName)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    m_uri.applyTo(database);
}

SiteDatabase::~SiteDatabase()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool SiteDatabase::open()
{
    if (!m_uri.isValid())
        return fail(m_uri.error());
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    if (!database.isValid())
        return fail(QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed"));
    if (!database.isOpen() && !database.open()) {
        const QString reason = database.lastError().databaseText().trimmed();
        database.close();
        return fail(QStringLiteral("the site database %1 cannot be reached: %2")
                        .arg(m_uri.displayName(), reason.isEmpty() ? database.lastError().text() : reason));
    }
    if (!ensureSchema()) {
        database.close();
        return false;
    }
    return true;
}

bool SiteDatabase::isOpen() const
{
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

bool SiteDatabase::isResponding()
{
    QSqlQuery probe(QSqlDatabase::database(m_connectionName, false));
    return probe.exec(QStringLiteral("SELECT 1"));
}

void SiteDatabase::close()
{
    QSqlDatabase::database(m_connectionName, false).close();
}

bool SiteDatabase::transaction()
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    return database.transaction() || fail(database.lastError().text());
}

bool SiteDatabase::commit()
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    if (database.commit())
        return true;
    fail(database.lastError().text());
    database.rollback();
    return false;
}

void SiteDatabase::rollback()
{
    QSqlDatabase::database(m_connectionName, false).rollback();
}

bool SiteDatabase::ensureSchema()
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery present(database);
    // A site made before stations were tied to their logins lacks lumivex_station_logins, and one
    // made before withdrawals lacks their columns: its owner's station brings it up to date, any
    // other is told to ask the owner.
    present.prepare(QStringLiteral("SELECT to_regclass('lumivex_sessions') IS NOT NULL "
                                   "AND to_regclass('lumivex_tasks') IS NOT NULL "
                                   "AND to_regclass('lumivex_station_logins') IS NOT NULL AND EXISTS (SELECT FROM "
                                   "information_schema.columns WHERE table_name = 'lumivex_sessions' "
                                   "AND column_name = 'withdrawn_at')"));
    if (!execute(present) || !present.next())
        return false;
    if (present.value(0).toBool())
        return true;

    QFile file(SchemaFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("the schema %1 cannot be read").arg(SchemaFile));
    const QString schema = QString::fromUtf8(file.readAll());
    // The file is ours and holds no values; it runs as one transaction so that a
    // user who may not create tables leaves nothing half made.
    if (!transaction())
        return false;
    QSqlQuery create(database);
    for (const QString &statement : schemaStatements(schema)) {
        if (!create.exec(statement)) {
            const QString reason = create.lastError().databaseText().trimmed();
            rollback();
            return fail(QStringLiteral("the site database %1 lacks Lumivex tables and its user \"%2\" may not "
                                       "create them (%3); the database owner runs lumivex-site.sql once")
                            .arg(m_uri.displayName(), m_uri.user(), reason));
        }
    }
    return commit();
}

bool SiteDatabase::execute(QSqlQuery &query)
{
    return query.exec() || refused(query);
}

bool SiteDatabase::executeFor(const QString &station, QSqlQuery &query)
{
    if (query.exec())
        return true;
    if (query.lastError().nativeErrorCode() != InsufficientPrivilege)
        return refused(query);
    return fail(QStringLiteral("the site database %1 refused to store for the station \"%2\": the login \"%3\" "
                               "may not write for it (%4); the database owner adds the pair to "
                               "lumivex_station_logins")
                    .arg(m_uri.displayName(), PrintableText::escaped(station), m_uri.user(),
                         query.lastError().databaseText().trimmed()));
}

bool SiteDatabase::refused(const QSqlQuery &query)
{
    const QString reason = query.lastError().databaseText().trimmed();
    return fail(QStringLiteral("the site database %1 refused a statement: %2")
                    .arg(m_uri.displayName(), reason.isEmpty() ? query.lastError().text() : reason));
}

bool SiteDatabase::fail(const QString &message)
{
    m_lastError = message;
    return false;
}

bool SiteDatabase::upsertSession(const QString &station, const QString &uuid, const QVariantMap &record)
{
    const SiteSessionSummary summary = SiteSessionSummary::fromRecord(record);
    if (!summary.storedAt.isValid())
        return fail(QStringLiteral("session %1 has no date and cannot be sent").arg(uuid));
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral(
        "INSERT INTO lumivex_sessions (uuid, station, stored_at, tester, display_maker, display_model, "
        "display_serial, test_type, test_count, failed_count, record) "
        "VALUES (CAST(:uuid AS uuid), :station, CAST(:stored_at AS timestamptz), :tester, :maker, :model, :serial, "
        ":type, :tests, :failed, CAST(:record AS jsonb)) "
        "ON CONFLICT (uuid) DO UPDATE SET station = EXCLUDED.station, stored_at = EXCLUDED.stored_at, "
        "tester = EXCLUDED.tester, display_maker = EXCLUDED.display_maker, display_model = EXCLUDED.display_model, "
        "display_serial = EXCLUDED.display_serial, test_type = EXCLUDED.test_type, "
        "test_count = EXCLUDED.test_count, failed_count = EXCLUDED.failed_count, record = EXCLUDED.record, "
        "sent_by = current_user, received_at = now()"));
    query.bindValue(QStringLiteral(":uuid"), uuid);
    query.bindValue(QStringLiteral(":station"), text(station));
    query.bindValue(QStringLiteral(":stored_at"), utcText(summary.storedAt));
    query.bindValue(QStringLiteral(":tester"), text(summary.tester));
    query.bindValue(QStringLiteral(":maker"), text(summary.displayMaker));
    query.bindValue(QStringLiteral(":model"), text(summary.displayModel));
    query.bindValue(QStringLiteral(":serial"), text(summary.displaySerial));
    query.bindValue(QStringLiteral(":type"), text(summary.testType));
    query.bindValue(QStringLiteral(":tests"), summary.testCount);
    query.bindValue(QStringLiteral(":failed"), summary.failedCount);
    query.bindValue(QStringLiteral(":record"), jsonText(record));
    return executeFor(station, query);
}

bool SiteDatabase::upsertTask(const QString &station, const QVariantMap &task)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral(
        "INSERT INTO lumivex_tasks (station, task_id, description, next_due, record) "
        "VALUES (:station, :id, :description, CAST(NULLIF(:next_due, '') AS timestamptz), CAST(:record AS jsonb)) "
        "ON CONFLICT (station, task_id) DO UPDATE SET description = EXCLUDED.description, "
        "next_due = EXCLUDED.next_due, record = EXCLUDED.record, removed = false, sent_by = current_user, "
        "received_at = now()"));
    query.bindValue(QStringLiteral(":station"), text(station));
    query.bindValue(QStringLiteral(":id"), text(task.value(QStringLiteral("id")).toString()));
    query.bindValue(QStringLiteral(":description"), text(task.value(QStringLiteral("description")).toString()));
    query.bindValue(QStringLiteral(":next_due"), text(utcText(nextDue(task))));
    query.bindValue(QStringLiteral(":record"), jsonText(task));
    return executeFor(station, query);
}

bool SiteDatabase::markTaskRemoved(const QString &station, const QString &taskId)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("UPDATE lumivex_tasks SET removed = true, sent_by = current_user, received_at = now() "
                                 "WHERE station = :station AND task_id = :id"));
    query.bindValue(QStringLiteral(":station"), text(station));
    query.bindValue(QStringLiteral(":id"), text(taskId));
    return executeFor(station, query);
}

bool SiteDatabase::markSessionWithdrawn(const QString &station, const QString &uuid, const QVariantMap &withdrawal)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("UPDATE lumivex_sessions SET withdrawn_by = :by, "
                                 "withdrawn_at = CAST(:at AS timestamptz), withdrawal_reason = :reason, "
                                 "received_at = now() WHERE uuid = CAST(:uuid AS uuid) AND station = :station"));
    query.bindValue(QStringLiteral(":by"), text(withdrawal.value(QStringLiteral("withdrawnBy")).toString()));
    query.bindValue(QStringLiteral(":at"), text(withdrawal.value(QStringLiteral("withdrawnAt")).toString()));
    query.bindValue(QStringLiteral(":reason"), text(withdrawal.value(QStringLiteral("reason")).toString()));
    query.bindValue(QStringLiteral(":uuid"), uuid);
    query.bindValue(QStringLiteral(":station"), text(station));
    if (!execute(query))
        return false;
    // The session itself is sent first; until the site holds it, the withdrawal waits.
    return query.numRowsAffected() == 1 ||
           fail(QStringLiteral("the site database %1 does not hold session %2 yet").arg(m_uri.displayName(), uuid));
}

QVector<SiteDisplayRow> SiteDatabase::overview(bool *ok)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    // Each display is found by one step along the index from the one before and its
    // newest session by one more, so the page reads about two index entries per
    // display however many sessions the site holds.
    query.prepare(QStringLiteral(
                      "WITH RECURSIVE displays AS ("
                      " (SELECT station, display_maker, display_model, display_serial FROM lumivex_sessions"
                      "  ORDER BY station, display_maker, display_model, display_serial LIMIT 1)"
                      " UNION ALL"
                      " SELECT following.* FROM displays, LATERAL ("
                      "  SELECT station, display_maker, display_model, display_serial FROM lumivex_sessions AS s"
                      "  WHERE (s.station, s.display_maker, s.display_model, s.display_serial)"
                      "   > (displays.station, displays.display_maker, displays.display_model, displays.display_serial)"
                      "  ORDER BY station, display_maker, display_model, display_serial LIMIT 1) AS following), "
                      // The tasks' earliest due moment by station and the display they name, '' for any.
                      " due AS (SELECT station, btrim(coalesce(record #>> '{display,maker}', '')) AS maker,"
                      "  btrim(coalesce(record #>> '{display,model}', '')) AS model,"
                      "  btrim(coalesce(record #>> '{display,serial}', '')) AS serial, min(next_due) AS next_due"
                      "  FROM lumivex_tasks WHERE NOT removed GROUP BY 1, 2, 3, 4) "
                      "SELECT %1, (extract(epoch FROM least(any_display.next_due, own.next_due)) * 1000)::bigint "
                      "FROM displays "
                      "CROSS JOIN LATERAL (SELECT * FROM lumivex_sessions AS s WHERE s.station = displays.station"
                      " AND s.display_maker = displays.display_maker AND s.display_model = displays.display_model"
                      " AND s.display_serial = displays.display_serial ORDER BY s.stored_at DESC LIMIT 1) AS newest "
                      "LEFT JOIN due AS any_display ON any_display.station = newest.station"
                      " AND (any_display.maker, any_display.model, any_display.serial) = ('', '', '') "
                      "LEFT JOIN due AS own ON own.station = newest.station AND (own.maker, own.model, own.serial)"
                      " = (btrim(newest.display_maker), btrim(newest.display_model), btrim(newest.display_serial))")
                      .arg(summaryColumns(QStringLiteral("newest."))));
    QVector<SiteDisplayRow> rows;
    *ok = execute(query);
    while (*ok && query.next())
        rows.append(SiteDisplayRow{summaryAt(query), momentOf(query.value(SummaryColumnCount)), {}});
    const QMultiHash<QString, OverdueTasks::Entry> overdue =
        *ok ? overdueTasks(ok) : QMultiHash<QString, OverdueTasks::Entry>();
    for (SiteDisplayRow &row : rows) {
        const SiteSessionSummary &session = row.lastSession;
        const QString displayKey = DisplayRecord::key({{QStringLiteral("maker"), session.displayMaker},
                                                       {QStringLiteral("model"), session.displayModel},
                                                       {QStringLiteral("serial"), session.displaySerial}});
        for (const OverdueTasks::Entry &entry : overdue.values(session.station)) {
            const QString taskKey = DisplayRecord::key(entry.display);
            if (taskKey.isEmpty() || taskKey == displayKey)
                row.overdue.append(entry);
        }
        // The longest overdue first: it is the one to see to first.
        std::stable_sort(row.overdue.begin(), row.overdue.end(),
                         [](const OverdueTasks::Entry &a, const OverdueTasks::Entry &b) { return a.days > b.days; });
    }
    return rows;
}

QMultiHash<QString, OverdueTasks::Entry> SiteDatabase::overdueTasks(bool *ok)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT station, task_id, record::text FROM lumivex_tasks WHERE NOT removed"));
    QMultiHash<QString, OverdueTasks::Entry> overdue;
    *ok = execute(query);
    // Counted here rather than stored at sending: a task sent weeks ago is overdue by today's count.
    const QDateTime now = QDateTime::currentDateTime();
    while (*ok && query.next()) {
        bool readable = false;
        TaskScheduler task(StoredRecord::decodeTask(query.value(2).toString().toUtf8(), &readable));
        // A task that cannot be read could be one overdue: the page says so rather than leave it out.
        if (!readable) {
            *ok = fail(QStringLiteral("task %1 of the station \"%2\" in the site database is not a readable record")
                           .arg(PrintableText::escaped(query.value(1).toString()),
                                PrintableText::escaped(query.value(0).toString())));
            break;
        }
        for (const OverdueTasks::Entry &entry : OverdueTasks::of({&task}, now))
            overdue.insert(query.value(0).toString(), entry);
    }
    return overdue;
}

QVector<SiteSessionSummary> SiteDatabase::sessions(const QString &station, bool *ok)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM lumivex_sessions WHERE :station = '' OR station = :station "
                                 "ORDER BY stored_at DESC, uuid")
                      .arg(summaryColumns()));
    query.bindValue(QStringLiteral(":station"), text(station));
    QVector<SiteSessionSummary> sessions;
    *ok = execute(query);
    while (*ok && query.next())
        sessions.append(summaryAt(query));
    return sessions;
}

QVariantMap SiteDatabase::sessionRecord(const QString &uuid)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("SELECT record::text FROM lumivex_sessions WHERE uuid = CAST(:uuid AS uuid)"));
    query.bindValue(QStringLiteral(":uuid"), uuid);
    if (!execute(query))
        return QVariantMap();
    if (!query.next()) {
        fail(QStringLiteral("the site database holds no session %1").arg(uuid));
        return QVariantMap();
    }
    bool readable = false;
    const QVariantMap record = StoredRecord::decodeSession(query.value(0).toString().toUtf8(), &readable);
    if (!readable)
        fail(QStringLiteral("session %1 in the site database is not a readable record").arg(uuid));
    return record;
}
