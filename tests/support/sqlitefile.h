#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>

// Runs statements on a database file directly, as an older version, another
// program or a damaged disk might have left it, and returns the first column
// of the last statement's rows. A statement that fails fails the calling test.
inline QStringList runOnDatabase(const QString &path, const QStringList &statements)
{
    QStringList rows;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("direct"));
        database.setDatabaseName(path);
        if (!database.open())
            QTest::qFail(qPrintable(path + ": " + database.lastError().text()), __FILE__, __LINE__);
        QSqlQuery query(database);
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                QTest::qFail(qPrintable(statement + ": " + query.lastError().text()), __FILE__, __LINE__);
        }
        while (query.next())
            rows << query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return rows;
}
