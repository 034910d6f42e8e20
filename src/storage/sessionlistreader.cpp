#include "sessionlistreader.h"

#include <QSqlDriver>

#include <sqlite3.h>

#include <limits>
#include <memory>

namespace {

// Texts of the list are cut to this length when read, however long they were stored.
const int MaximumListTextLength = 1000;

QString textAt(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

bool isNull(sqlite3_stmt *statement, int column)
{
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

SessionListRow rowOf(sqlite3_stmt *statement)
{
    SessionListRow row;
    row.id = sqlite3_column_int64(statement, 0);
    row.uuid = textAt(statement, 1);
    row.hasDate = !isNull(statement, 2);
    row.dateMsecs = sqlite3_column_int64(statement, 2);
    row.tester = textAt(statement, 3);
    row.monitorSelected = sqlite3_column_int(statement, 4);
    row.monitorInfo = textAt(statement, 5);
    row.testCount = uint(sqlite3_column_int64(statement, 6));
    row.failedCount = sqlite3_column_int64(statement, 7);
    row.testType = textAt(statement, 8);
    row.displayMaker = textAt(statement, 9);
    row.displayModel = textAt(statement, 10);
    row.displaySerial = textAt(statement, 11);
    row.withdrawn = !isNull(statement, 13);
    row.withdrawnBy = textAt(statement, 12);
    row.withdrawnAt = textAt(statement, 13);
    row.withdrawalReason = textAt(statement, 14);
    return row;
}

sqlite3 *handleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.data())
               : nullptr;
}

} // namespace

SessionListReader::SessionListReader(const QSqlDatabase &database, bool withdrawals)
    : m_handle(handleOf(database)), m_withdrawals(withdrawals)
{
}

bool SessionListReader::read(bool withWithdrawn, const SessionListRow *after, int count, QVector<SessionListRow> *rows)
{
    // Each page goes on from the last row read, found along the list's index:
    // an offset would step over every row before it again, page after page.
    // SQLite orders sessions without a date last; they are read apart, so
    // that both parts are found along the index.
    if (!after || after->hasDate) {
        const bool read = after ? readWhere(withWithdrawn, QStringLiteral("(date_msecs, id) < (:date, :id)"),
                                            {{":date", after->dateMsecs}, {":id", after->id}}, count, rows)
                                : readWhere(withWithdrawn, QStringLiteral("date_msecs IS NOT NULL"), {}, count, rows);
        if (!read)
            return false;
    }
    if (count >= 0 && rows->size() >= count)
        return true;
    const qint64 beforeId = after && !after->hasDate ? after->id : std::numeric_limits<qint64>::max();
    return readWhere(withWithdrawn, QStringLiteral("date_msecs IS NULL AND id < :id"), {{":id", beforeId}},
                     count < 0 ? -1 : count - rows->size(), rows);
}

bool SessionListReader::readWhere(bool withWithdrawn, const QString &condition,
                                  const QVector<QPair<QByteArray, qint64>> &bound, int count,
                                  QVector<SessionListRow> *rows)
{
    if (!m_handle)
        return failed(QStringLiteral("the database is not open"));
    const QByteArray sql =
        QStringLiteral("SELECT id, uuid, date_msecs, substr(tester, 1, :length), "
                       "monitor_selected, substr(monitor_info, 1, :length), test_count, failed_count, "
                       "substr(test_type, 1, :length), substr(display_maker, 1, :length), "
                       "substr(display_model, 1, :length), substr(display_serial, 1, :length), %1 AND %2 "
                       "ORDER BY date_msecs DESC, id DESC LIMIT :count")
            .arg(m_withdrawals
                     ? QStringLiteral("withdrawals.withdrawn_by, withdrawals.withdrawn_at, withdrawals.reason "
                                      "FROM sessions LEFT JOIN withdrawals ON "
                                      "withdrawals.session_id = sessions.id "
                                      "WHERE (:all OR withdrawals.session_id IS NULL)")
                     : QStringLiteral("NULL, NULL, NULL FROM sessions WHERE (:all OR 1)"),
                 condition)
            .toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(m_handle, sql.constData(), sql.size(), &prepared, nullptr) != SQLITE_OK)
        return failed(QStringLiteral("cannot read the sessions"));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(prepared, sqlite3_finalize);
    QVector<QPair<QByteArray, qint64>> values{
        {":length", MaximumListTextLength}, {":all", withWithdrawn ? 1 : 0}, {":count", count}};
    values += bound;
    for (const auto &value : qAsConst(values))
        sqlite3_bind_int64(prepared, sqlite3_bind_parameter_index(prepared, value.first.constData()), value.second);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(prepared)) == SQLITE_ROW)
        rows->append(rowOf(prepared));
    // A damaged page ends the list early: what came before it is still shown.
    return step == SQLITE_DONE || failed(QStringLiteral("cannot read every session"));
}

bool SessionListReader::failed(const QString &what)
{
    m_failure = what;
    m_reason = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : QStringLiteral("no connection");
    return false;
}
