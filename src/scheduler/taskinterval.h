#pragma once

#include <QDate>
#include <QString>
#include <QVariantMap>

// How often a task recurs: every n days, working days (Monday to Friday),
// weeks, months or years. Due days count from the start day, so a monthly task
// started on the 31st falls on each month's last day and returns to the 31st
// where a month has one. A task stored before units were kept recurs in days.
class TaskInterval
{
public:
    enum Unit
    {
        Days,
        WorkingDays,
        Weeks,
        Months,
        Years
    };

    TaskInterval() = default;
    TaskInterval(int count, Unit unit);

    // From a task record's "interval" and "intervalUnit"; without them, the
    // whole days of its "frequency" in milliseconds.
    static TaskInterval fromRecord(const QVariantMap &record, qint64 frequencyDays);
    // The record keys of this interval, with a "frequency" in days for versions that know no units.
    QVariantMap toRecord() const;
    static QString unitId(Unit unit);

    int count() const { return m_count; }
    Unit unit() const { return m_unit; }
    bool repeats() const { return m_count > 0; }

    // The due day of the given run after the start: the start itself (on a
    // working day for working days) for run 0.
    QDate occurrence(const QDate &start, int run) const;
    // The first due day after the given day; invalid when out of reach.
    QDate nextAfter(const QDate &start, const QDate &day) const;

private:
    int m_count = 0;
    Unit m_unit = Days;
};
