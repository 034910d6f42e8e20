#pragma once

#include "taskscheduler.h"

#include <QDateTime>
#include <QVariantMap>

#include <time.h>

constexpr qint64 kDay = TaskScheduler::kMillisecondsPerDay;

// The date tests cross Central European daylight-saving changes, so they run in
// that zone whatever the machine is set to. Called before any date is made.
inline void useBerlinTime()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

inline QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

// A task record as the task dialog stores it.
inline QVariantMap task(const QString &id, const QDateTime &date, qint64 frequency = 0,
                        const QDateTime &lastPerformed = QDateTime())
{
    QVariantMap record{{"id", id},
                       {"description", QStringLiteral("Task %1").arg(id)},
                       {"date", date},
                       {"frequency", static_cast<quint64>(frequency)},
                       {"scheduledtestslist", QVariantList{1u, 4u}}};
    if (lastPerformed.isValid()) {
        record.insert("lastperformed", lastPerformed);
    }
    return record;
}
