#pragma once

#include "siteoutbox.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QUuid>
#include <QVariantMap>

// Session records and station databases shared by the site tests.
namespace SiteTesting {

inline QVariantMap sessionRecord(const QString &tester, const QDateTime &date, const QString &serial, int failed = 0)
{
    const QVariantMap deviceTest{
        {"content",
         QVariantList{QVariantMap{{"id", "content02010000"}, {"resulttext", "MAKER"}},
                      QVariantMap{{"id", "content02010001"}, {"resulttext", "MD27"}},
                      QVariantMap{{"id", "content02010003"}, {"resulttext", serial}}}}};
    const QVariantMap subgroup{{"tests", QVariantList{deviceTest}}};
    const QVariantMap group{{"subgroups", QVariantMap{{"1", subgroup}}}};
    return {{"tester", tester},
            {"date", date},
            {"ntest", 4},
            {"nfailedtestcontents", failed},
            {"monitorselected", 0},
            {"monitorinfo", " (MAKER - MD27)"},
            {"test_session", QVariantMap{{"2", group}}}};
}

inline QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A station database holding only the outbox, under a connection of its own.
class StationDatabase
{
public:
    explicit StationDatabase(const QString &path)
        : m_name(QStringLiteral("station-") + path)
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        database.setDatabaseName(path);
        database.open();
        SiteOutbox::createTable(database);
    }
    ~StationDatabase()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

} // namespace SiteTesting
