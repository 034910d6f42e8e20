#pragma once

#include "configurationmanager.h"
#include "schedulerclock.h"
#include "schedulermanager.h"
#include "taskscheduler.h"

#include <QTemporaryDir>

constexpr qint64 kDay = TaskScheduler::kMillisecondsPerDay;

// Local times; CTest runs the scheduler tests in Central European time, so
// that they cross real daylight-saving changes.
inline QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

// A task record as the task dialog stores it; an invalid last run reads as never run.
inline QVariantMap task(const QString &id, const QDateTime &date, qint64 frequency = 0,
                        const QDateTime &lastPerformed = QDateTime())
{
    return {{"id", id},
            {"description", "Task " + id},
            {"date", date},
            {"frequency", quint64(frequency)},
            {"lastperformed", lastPerformed},
            {"scheduledtestslist", QVariantList{1u, 4u}}};
}

// Two displays of one model, told apart by their serial numbers.
inline const QVariantMap kDisplayA{{"maker", "MAKER"}, {"model", "MD27"}, {"serial", "12345678"}};
inline const QVariantMap kDisplayB{{"maker", "MAKER"}, {"model", "MD27"}, {"serial", "87654321"}};

// A clock that stands still where a test puts it.
struct FixedClock : SchedulerClock
{
    QDateTime now() const override { return moment; }
    QDateTime moment = at(2026, 1, 31, 12);
};

// A scheduler on a settings file of its own, on a clock set to the last day of January 2026 at noon.
struct SchedulerFixture : FixedClock
{
    QTemporaryDir dir;
    ConfigurationManager store{dir.filePath("Lumivex 2016.ini")};
    SchedulerManager manager{&store, this};
};
