// The store's part for GSDF calibrations: the installed file kept with its display.
#include "sessiondatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

bool SessionDatabase::addCalibrationSession(const QVariantMap &record, const QString &installedCalFile, qint64 *id)
{
    qint64 stored = 0;
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString key = DisplayRecord::key(record.value(QStringLiteral("display")).toMap());
    const bool added = transact([&] {
        if (!insertSession(record, uuid, &stored))
            return false;
        if (installedCalFile.isEmpty())
            return true;
        if (key.isEmpty())
            return failed(QStringLiteral("cannot keep the calibration"), QStringLiteral("the display has no identity"));
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("UPDATE displays SET calibration = :file, calibration_date = :date, "
                                     "calibration_session = :uuid WHERE key = :key"));
        query.bindValue(QStringLiteral(":file"), installedCalFile);
        query.bindValue(QStringLiteral(":date"),
                        record.value(QStringLiteral("date")).toDateTime().toUTC().toString(Qt::ISODateWithMs));
        query.bindValue(QStringLiteral(":uuid"), uuid);
        query.bindValue(QStringLiteral(":key"), key);
        if (!query.exec() || query.numRowsAffected() != 1)
            return failed(QStringLiteral("cannot keep the calibration"), query.lastError().text());
        return true;
    });
    if (id)
        *id = added ? stored : 0;
    return added;
}

std::optional<SessionDatabase::Calibration> SessionDatabase::displayCalibration(const QString &displayKey) const
{
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("SELECT calibration, calibration_date, calibration_session FROM displays "
                                 "WHERE key = :key AND calibration IS NOT NULL"));
    query.bindValue(QStringLiteral(":key"), displayKey);
    if (!query.exec()) {
        failed(QStringLiteral("cannot read the display's calibration"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return Calibration{query.value(0).toString(),
                       QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs).toLocalTime(),
                       query.value(2).toString()};
}
