#include "taskinterval.h"

#include <iterator>
#include <limits>

namespace {

const char *const UnitIds[] = {"days", "workingDays", "weeks", "months", "years"};
// Roughly, for the "frequency" of versions that know days only.
const int UnitDays[] = {1, 1, 7, 30, 365};
// The longest a run of each unit lasts, so that a guess of runs never passes the day sought.
const int LongestUnitDays[] = {1, 1, 7, 31, 366};
const QDate LastReachableDay(9999, 12, 31);

bool isWorkingDay(const QDate &day)
{
    return day.dayOfWeek() <= 5;
}

QDate workingDayFrom(QDate day)
{
    while (day.isValid() && !isWorkingDay(day))
        day = day.addDays(1);
    return day;
}

} // namespace

TaskInterval::TaskInterval(int count, Unit unit) : m_count(qMax(0, count)), m_unit(unit) {}

TaskInterval TaskInterval::fromRecord(const QVariantMap &record, qint64 frequencyDays)
{
    const QString unit = record.value(QStringLiteral("intervalUnit")).toString();
    for (int index = 0; index < int(std::size(UnitIds)); ++index) {
        if (unit == QLatin1String(UnitIds[index]))
            return TaskInterval(record.value(QStringLiteral("interval")).toInt(), Unit(index));
    }
    return TaskInterval(int(qBound<qint64>(0, frequencyDays, std::numeric_limits<int>::max())), Days);
}

QVariantMap TaskInterval::toRecord() const
{
    return {{QStringLiteral("interval"), m_count},
            {QStringLiteral("intervalUnit"), unitId(m_unit)},
            {QStringLiteral("frequency"), quint64(m_count) * quint64(UnitDays[m_unit]) * 86400000ULL}};
}

QString TaskInterval::unitId(Unit unit)
{
    return QLatin1String(UnitIds[unit]);
}

QDate TaskInterval::occurrence(const QDate &start, int run) const
{
    switch (m_unit) {
    case Days:
        return start.addDays(qint64(run) * m_count);
    case Weeks:
        return start.addDays(qint64(run) * m_count * 7);
    case Months:
        return start.addMonths(run * m_count);
    case Years:
        return start.addYears(run * m_count);
    case WorkingDays: {
        QDate day = workingDayFrom(start);
        for (qint64 left = qint64(run) * m_count; left > 0 && day.isValid() && day <= LastReachableDay; --left)
            day = workingDayFrom(day.addDays(1));
        return day;
    }
    }
    return {};
}

QDate TaskInterval::nextAfter(const QDate &start, const QDate &day) const
{
    if (!repeats() || !start.isValid() || !day.isValid())
        return {};
    int run = 0;
    // A first guess a little short of the answer; the loop walks the rest.
    if (day > start && m_unit != WorkingDays) {
        const qint64 days = start.daysTo(day);
        const qint64 perRun = qint64(m_count) * LongestUnitDays[m_unit];
        run = int(qMax<qint64>(0, days / perRun - 1));
    } else if (day > start) {
        run = int(qMax<qint64>(0, start.daysTo(day) * 5 / 7 / m_count - 2));
    }
    QDate next = occurrence(start, run);
    while (next.isValid() && next <= day && next <= LastReachableDay)
        next = occurrence(start, ++run);
    return next.isValid() && next <= LastReachableDay ? next : QDate();
}
