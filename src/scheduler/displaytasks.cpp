#include "displaytasks.h"

#include "displayrecord.h"
#include "limitstable.h"
#include "taskinterval.h"
#include "testsmanager.h"
#include "testtypename.h"

#include <QUuid>

#include <algorithm>

namespace {

bool hasTask(const QVariantList &stored, const QString &displayKey, const QString &testType)
{
    return std::any_of(stored.cbegin(), stored.cend(), [&](const QVariant &task) {
        const QVariantMap record = task.toMap();
        return DisplayRecord::key(record.value(QStringLiteral("display")).toMap()) == displayKey &&
               record.value(QStringLiteral("testtype")).toString() == testType;
    });
}

} // namespace

QVariantList DisplayTasks::missing(const QVariantList &stored, const QVariantMap &display, const QString &category,
                                   const TestsManager &catalogue, const LimitsTable &table, const QDateTime &now)
{
    const QString key = DisplayRecord::key(display);
    const LimitsTable::Category *limits = table.category(category);
    if (key.isEmpty() || !limits)
        return {};
    QVariantList tasks;
    const auto add = [&](const QString &type, const TaskInterval &interval, const QDateTime &start) {
        if (hasTask(stored, key, type) || !interval.repeats())
            return;
        QVariantMap task = interval.toRecord();
        task.insert({{QStringLiteral("id"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
                     {QStringLiteral("description"),
                      QStringLiteral("%1 - %2").arg(TestTypeName::of(type),
                                                    DisplayRecord::fromIdentity(display).description())},
                     {QStringLiteral("date"), start},
                     {QStringLiteral("scheduledtestslist"), catalogue.testTypeGroups(type)},
                     {QStringLiteral("display"), display},
                     {QStringLiteral("testtype"), type}});
        tasks << task;
    };
    const LimitsTable::Limit daily = table.dailyWorkingDays();
    const LimitsTable::Limit periodic = limits->periodicMonths;
    if (daily.judged)
        add(QStringLiteral("dailyConstancy"), TaskInterval(int(daily.value), TaskInterval::WorkingDays), now);
    // The periodic test's first run comes one interval after the display was classified.
    if (periodic.judged)
        add(QStringLiteral("periodicConstancy"), TaskInterval(int(periodic.value), TaskInterval::Months),
            now.addMonths(int(periodic.value)));
    return tasks;
}
