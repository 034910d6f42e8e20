#pragma once

#include "sessionlistrow.h"

#include <QSqlDatabase>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

// Reads the rows of the list of stored sessions, newest first, a page at a
// time. Scrolling to the end of years of sessions reads thousands of rows at
// once, so they are read straight from SQLite into their fields: Qt's query
// would first turn each of their values into a QVariant, which costs twice
// what SQLite itself takes.
class SessionListReader
{
public:
    // `withdrawals`: the database knows withdrawals (one of an earlier
    // version, read by a tool, withdrew nothing).
    SessionListReader(const QSqlDatabase &database, bool withdrawals);

    // Up to `count` rows (all for a negative count) after the row `after`
    // (from the first for none), with or without withdrawn sessions. False
    // with failure() and SQLite's reason() when they cannot all be read; the
    // rows read before a damaged page are kept.
    bool read(bool withWithdrawn, const SessionListRow *after, int count, QVector<SessionListRow> *rows);
    QString failure() const { return m_failure; }
    QString reason() const { return m_reason; }

private:
    bool readWhere(bool withWithdrawn, const QString &condition, const QVector<QPair<QByteArray, qint64>> &bound,
                   int count, QVector<SessionListRow> *rows);
    bool failed(const QString &what);

    sqlite3 *m_handle = nullptr;
    bool m_withdrawals;
    QString m_failure;
    QString m_reason;
};
