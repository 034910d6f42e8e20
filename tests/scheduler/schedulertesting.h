#pragma once

#include "configurationmanager.h"
#include "schedulerclock.h"
#include "schedulermanager.h"
#include "taskscheduler.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
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

class FixedClock : public SchedulerClock
{
public:
    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now = at(2026, 1, 31, 12);
};

// A scheduler on a settings file of its own (a copy of `source` when given),
// on the last day of January 2026 at noon.
struct SchedulerFixture
{
    explicit SchedulerFixture(const QString &source = QString())
        : store(settingsFile(dir, source)), manager(&store, &clock)
    {
    }

    static QString settingsFile(const QTemporaryDir &dir, const QString &source)
    {
        const QString fileName = dir.filePath(QStringLiteral("Lumivex 2016.ini"));
        if (!source.isEmpty()) {
            QFile::copy(source, fileName);
            QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
        }
        return fileName;
    }

    QTemporaryDir dir;
    FixedClock clock;
    ConfigurationManager store;
    SchedulerManager manager;
};
