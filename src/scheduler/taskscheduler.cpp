#include "taskscheduler.h"

#include "displayrecord.h"

#include <QDebug>

namespace {

const QString kIdKey = QStringLiteral("id");
const QString kDescriptionKey = QStringLiteral("description");
const QString kDateKey = QStringLiteral("date");
const QString kFrequencyKey = QStringLiteral("frequency");
const QString kLastPerformedKey = QStringLiteral("lastperformed");
const QString kScheduledTestsKey = QStringLiteral("scheduledtestslist");
const QString kDisplayKey = QStringLiteral("display");
const QString kTestTypeKey = QStringLiteral("testtype");

// Past this day a next run cannot be told apart from "never", and date-time
// arithmetic in milliseconds starts to overflow not far beyond it.
const QDate kLastReachableDay(9999, 12, 31);

// The interval is stored unsigned; a value past the signed range is a negative
// interval that went through the unsigned form, so it is read back as one.
qint64 frequencyFromVariant(const QVariant &value)
{
    bool ok = false;
    const qint64 signedValue = value.toLongLong(&ok);
    if (ok) {
        return signedValue;
    }
    const quint64 unsignedValue = value.toULongLong(&ok);
    return ok ? static_cast<qint64>(unsignedValue) : 0;
}

// Group numbers only; anything else in a hand-edited list would start no test.
QVariantList groupNumbersFromVariant(const QVariant &value)
{
    QVariantList groups;
    const QVariantList entries = value.toList();
    for (const QVariant &entry : entries) {
        bool ok = false;
        const uint group = entry.toUInt(&ok);
        if (ok) {
            groups.append(group);
        }
    }
    return groups;
}

// A stored date may be kept in UTC or in another zone than the machine's: its
// day is the local calendar day of the instant it names.
QDate localDay(const QDateTime &moment)
{
    return moment.toLocalTime().date();
}

template <typename T> bool replace(T &field, const T &value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

} // namespace

TaskScheduler::TaskScheduler(const QVariantMap &record, QObject *parent) : QObject(parent)
{
    // A missing key reads as an invalid variant, which converts to the field's
    // empty default, so every field can be taken from the record as it is.
    setId(record.value(kIdKey).toString());
    setDescription(record.value(kDescriptionKey).toString());
    setDate(record.value(kDateKey).toDateTime());
    setFrequency(frequencyFromVariant(record.value(kFrequencyKey)));
    setLastPerformed(record.value(kLastPerformedKey).toDateTime());
    setScheduledTests(groupNumbersFromVariant(record.value(kScheduledTestsKey)));
    m_display = record.value(kDisplayKey).toMap();
    m_testType = record.value(kTestTypeKey).toString();
    m_interval = TaskInterval::fromRecord(record, frequencyDays());
}

bool TaskScheduler::isRunBy(const QVariantMap &session) const
{
    const QString displayKey = DisplayRecord::key(m_display);
    const bool sameDisplay =
        displayKey.isEmpty() || DisplayRecord::key(session.value(kDisplayKey).toMap()) == displayKey;
    const bool sameType = m_testType.isEmpty() || session.value(kTestTypeKey).toString() == m_testType;
    return sameDisplay && sameType;
}

QDateTime TaskScheduler::nextExecution(const QDate &today) const
{
    if (m_date.isValid() && localDay(m_date) > today) {
        return m_date;
    }
    if (!m_lastPerformed.isValid()) {
        return {};
    }
    return runAfterLastPerformed();
}

bool TaskScheduler::lastRunInFuture(const QDateTime &now) const
{
    return m_lastPerformed.isValid() && m_lastPerformed > now;
}

TaskScheduler::tTaskState TaskScheduler::state(const QDateTime &now) const
{
    if (!m_date.isValid()) {
        return kTaskStateIgnored;
    }
    const QDate today = localDay(now);
    if (localDay(m_date) > today) {
        return kTaskStateUpcoming;
    }
    // A run recorded after now was recorded by a clock set ahead: counting it
    // could hide the task for years, so it counts as no run, and the task is due.
    const bool ranBefore = m_lastPerformed.isValid() && !lastRunInFuture(now);
    // An interval shorter than a day shows as "-" in the task list and would make
    // the task due again the moment it ran, so it counts as a single run.
    if (!m_interval.repeats()) {
        const bool ranSinceStart = ranBefore && localDay(m_lastPerformed) >= localDay(m_date);
        return ranSinceStart ? kTaskStateFinished : kTaskStatePending;
    }
    if (!ranBefore) {
        return kTaskStatePending;
    }
    const QDateTime nextRun = runAfterLastPerformed();
    if (!nextRun.isValid()) {
        return kTaskStateFinished;
    }
    return localDay(nextRun) <= today ? kTaskStatePending : kTaskStateUpcoming;
}

void TaskScheduler::setId(const QString &id)
{
    if (replace(m_id, id)) {
        emit idChanged(m_id);
    }
}

void TaskScheduler::setDescription(const QString &description)
{
    if (replace(m_description, description)) {
        emit descriptionChanged(m_description);
    }
}

void TaskScheduler::setDate(const QDateTime &date)
{
    if (replace(m_date, date)) {
        emit dateChanged(m_date);
    }
}

void TaskScheduler::setFrequency(qint64 frequency)
{
    // A negative interval would leave the task due again right after every run.
    if (frequency < 0) {
        qDebug() << "[TaskScheduler] Negative frequency taken as a single run:" << frequency;
        frequency = 0;
    }
    if (replace(m_frequency, frequency)) {
        emit frequencyChanged(static_cast<quint64>(m_frequency));
    }
}

void TaskScheduler::setLastPerformed(const QDateTime &lastPerformed)
{
    if (replace(m_lastPerformed, lastPerformed)) {
        emit lastPerformedChanged(m_lastPerformed);
    }
}

void TaskScheduler::setScheduledTests(const QVariantList &scheduledTests)
{
    if (replace(m_scheduledTests, scheduledTests)) {
        emit scheduledTestsChanged(m_scheduledTests);
    }
}

QDateTime TaskScheduler::runAfterLastPerformed() const
{
    // Days are counted on the local calendar, so the run keeps its local hour across a daylight-saving change.
    const QDateTime lastRun = m_lastPerformed.toLocalTime();
    // Other units count their due days from the start day, so a month's end stays the month's end.
    if (m_interval.unit() != TaskInterval::Days) {
        const QDateTime start = m_date.toLocalTime();
        const QDate next = m_interval.nextAfter(start.date(), lastRun.date());
        return next.isValid() ? QDateTime(next, start.time()) : QDateTime();
    }
    const QDate nextDay = lastRun.date().addDays(frequencyDays());
    if (!nextDay.isValid() || nextDay > kLastReachableDay) {
        return {};
    }
    return lastRun.addDays(frequencyDays());
}
