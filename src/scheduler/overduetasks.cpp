#include "overduetasks.h"

#include "displayrecord.h"
#include "taskscheduler.h"
#include "translator.h"

#include <QStringList>

QList<OverdueTasks::Entry> OverdueTasks::of(const QList<TaskScheduler *> &tasks, const QDateTime &now)
{
    QList<Entry> entries;
    const QDate today = now.toLocalTime().date();
    for (const TaskScheduler *task : tasks) {
        if (task->state(now) != TaskScheduler::kTaskStatePending)
            continue;
        // A task that never ran, or ran by a clock set ahead, is due since its start.
        const bool ran = task->lastPerformed().isValid() && !task->lastRunInFuture(now);
        const QDateTime due = ran && task->interval().repeats() ? task->nextExecution(today) : task->date();
        const qint64 days = due.isValid() ? due.toLocalTime().date().daysTo(today) : 0;
        if (days > 0)
            entries << Entry{task->description(), task->display(), int(qMin<qint64>(days, 1000000))};
    }
    return entries;
}

QMap<QString, int> OverdueTasks::byDisplay(const QList<Entry> &entries)
{
    QMap<QString, int> days;
    for (const Entry &entry : entries) {
        const QString key = DisplayRecord::key(entry.display);
        if (!key.isEmpty())
            days.insert(key, qMax(days.value(key), entry.days));
    }
    return days;
}

QString OverdueTasks::daysText(int days)
{
    return TR::Translator::instance()->translate(QStringLiteral("plan_daysOverdue")).arg(days);
}

QString OverdueTasks::lines(const QList<Entry> &entries)
{
    QStringList lines;
    for (const Entry &entry : entries)
        lines << QStringLiteral("%1: %2").arg(entry.description, daysText(entry.days));
    return lines.join(QLatin1Char('\n'));
}
