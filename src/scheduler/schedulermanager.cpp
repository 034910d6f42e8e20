#include "schedulermanager.h"

#include "addtaskdialog.h"
#include "buttoncelldelegate.h"
#include "configurationmanager.h"
#include "localformats.h"
#include "modalprompt.h"
#include "schedulerclock.h"
#include "taskscheduler.h"
#include "tasktarget.h"
#include "translator.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

const char *const kHeaderKeys[SchedulerManager::kColumnCount] = {
    "description", "task_target", "scheduledDatetime", "frequency", "lastRun", "Delete", "Edit", "Start",
};

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

QStringList idsOf(const QList<TaskScheduler *> &tasks)
{
    QStringList ids;
    ids.reserve(tasks.size());
    for (const TaskScheduler *task : tasks) {
        ids.append(task->id());
    }
    return ids;
}

} // namespace

SchedulerManager *SchedulerManager::instance()
{
    static SchedulerManager *const manager = new SchedulerManager(ConfigurationManager::instance());
    return manager;
}

SchedulerManager::SchedulerManager(ConfigurationManager *store, const SchedulerClock *clock, QObject *parent)
    : PagedTableModel(parent), m_store(store), m_clock(clock ? clock : SchedulerClock::system()),
      m_queueTimer(new QTimer(this))
{
    m_queueTimer->setSingleShot(true);
    m_queueTimer->setTimerType(Qt::PreciseTimer);
    connect(m_queueTimer, &QTimer::timeout, this, &SchedulerManager::queueTimerElapsed);
    restartQueue();
}

void SchedulerManager::setClock(const SchedulerClock *clock)
{
    m_clock = clock ? clock : SchedulerClock::system();
    restartQueue();
}

TaskScheduler *SchedulerManager::taskAt(int row) const
{
    return row >= 0 && row < m_tasks.size() ? m_tasks.at(row) : nullptr;
}

TaskScheduler *SchedulerManager::taskById(const QString &id) const
{
    const auto found =
        std::find_if(m_tasks.cbegin(), m_tasks.cend(), [&id](const TaskScheduler *task) { return task->id() == id; });
    return found != m_tasks.cend() ? *found : nullptr;
}

QList<TaskScheduler *> SchedulerManager::allTasks() const
{
    return m_tasks;
}

int SchedulerManager::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SchedulerManager::data(const QModelIndex &index, int role) const
{
    const TaskScheduler *task = index.isValid() ? taskAt(index.row()) : nullptr;
    if (!task || index.column() < 0 || index.column() >= kColumnCount) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return displayData(task, index.column());
    case Qt::DecorationRole:
        switch (index.column()) {
        case kColumnDelete:
            return ButtonCellDelegate::cellImage(QStringLiteral("deleteicon"));
        case kColumnEdit:
            return ButtonCellDelegate::cellImage(QStringLiteral("edit_icon"));
        case kColumnStart:
            return ButtonCellDelegate::cellImage(QStringLiteral("start_icon"));
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        switch (index.column()) {
        case kColumnDate:
        case kColumnFrequency:
        case kColumnLastRun:
            return int(Qt::AlignCenter);
        default:
            return {};
        }
    default:
        return {};
    }
}

QVariant SchedulerManager::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount) {
        return translated(kHeaderKeys[section]);
    }
    return PagedTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags SchedulerManager::flags(const QModelIndex &index) const
{
    Q_UNUSED(index)
    return Qt::ItemIsEnabled;
}

void SchedulerManager::addTask(const QVariantMap &map)
{
    stopQueue();
    m_store->addTask(map);
    restartQueue();
}

void SchedulerManager::removeTasks(const QStringList &ids)
{
    stopQueue();
    for (const QString &id : ids) {
        m_store->removeTask(id);
    }
    restartQueue();
}

void SchedulerManager::performTasks(const QStringList &ids)
{
    stopQueue();
    const QDateTime now = m_clock->now();
    for (const QString &id : ids) {
        m_store->updateTask({{QStringLiteral("id"), id}, {QStringLiteral("lastperformed"), now}});
    }
    restartQueue();
}

void SchedulerManager::editTasks(const QStringList &ids)
{
    stopQueue();
    // The store updates the first record with an id, so that is the one the
    // operator edits. The dialog writes the change itself; the queue's reload
    // then brings the table up to date.
    if (const TaskScheduler *task = ids.isEmpty() ? nullptr : taskById(ids.constLast())) {
        AddTaskDialog dialog(nullptr, m_store, m_clock);
        dialog.setTask(task->id(), int(qMin<qint64>(task->frequencyDays(), std::numeric_limits<int>::max())),
                       task->description(), task->date(), task->lastPerformed(), task->scheduledTests(),
                       task->display(), task->testType());
        dialog.setInterval(task->interval());
        ModalPrompt::exec(&dialog);
    }
    restartQueue();
}

void SchedulerManager::performNotPerformedTasks()
{
    performTasks(idsOf(m_pendingTasks));
}

void SchedulerManager::processQueue()
{
    m_queueTimer->stop();
    m_nextQueueRun = QDateTime();
    const QDateTime now = m_clock->now();
    const QDate today = now.toLocalTime().date();
    reload(now);

    // Upcoming tasks are sorted by their due moment, each on a later day than
    // today, so the first one is the nearest and still ahead.
    if (!m_upcomingTasks.isEmpty()) {
        armQueueTimer(m_upcomingTasks.constFirst()->nextExecution(today));
    }
    emit executeTasks(idsOf(m_pendingTasks), idsOf(m_upcomingTasks));
}

void SchedulerManager::queueTimerElapsed()
{
    if (m_nextQueueRun.isValid() && m_clock->now() < m_nextQueueRun) {
        armQueueTimer(m_nextQueueRun);
        return;
    }
    processQueue();
}

void SchedulerManager::reload(const QDateTime &now)
{
    const QDate today = now.toLocalTime().date();
    beginResetModel();
    const QVariantList records = m_store->tasks();
    qDeleteAll(m_tasks);
    m_tasks.clear();
    m_pendingTasks.clear();
    m_upcomingTasks.clear();

    QSet<QString> seenIds;
    for (const QVariant &record : records) {
        auto *task = new TaskScheduler(record.toMap(), this);
        m_tasks.append(task);
        classify(task, now, seenIds);
    }
    std::stable_sort(m_upcomingTasks.begin(), m_upcomingTasks.end(),
                     [&today](const TaskScheduler *left, const TaskScheduler *right) {
                         return left->nextExecution(today) < right->nextExecution(today);
                     });
    showFirstPage(m_tasks.size());
    endResetModel();
}

void SchedulerManager::classify(TaskScheduler *task, const QDateTime &now, QSet<QString> &seenIds)
{
    // Runs are recorded by id, on the first record that has it, so a task whose
    // id is missing or taken by an earlier record could never be marked as
    // performed and would be announced again after every run.
    const bool addressable = !task->id().isEmpty() && !seenIds.contains(task->id());
    seenIds.insert(task->id());
    const TaskScheduler::tTaskState state = task->state(now);
    if (state != TaskScheduler::kTaskStatePending && state != TaskScheduler::kTaskStateUpcoming) {
        return;
    }
    if (!addressable) {
        qDebug() << "[SchedulerManager] Task left out of the queue, its id is missing or not unique:" << task->id()
                 << task->description();
        return;
    }
    if (state == TaskScheduler::kTaskStatePending) {
        m_pendingTasks.append(task);
    } else {
        m_upcomingTasks.append(task);
    }
}

void SchedulerManager::armQueueTimer(const QDateTime &dueAt)
{
    m_nextQueueRun = dueAt;
    const qint64 wait = m_clock->now().msecsTo(dueAt);
    m_queueTimer->start(int(qBound<qint64>(1, wait, kMaximumTimerInterval)));
}

void SchedulerManager::stopQueue()
{
    m_queueTimer->stop();
}

void SchedulerManager::restartQueue()
{
    m_nextQueueRun = QDateTime();
    m_queueTimer->start(0);
}

QVariant SchedulerManager::displayData(const TaskScheduler *task, int column) const
{
    switch (column) {
    case kColumnDescription:
        return task->description();
    case kColumnTarget:
        return TaskTarget::displayText(task->display()) + QLatin1Char('\n') +
               TaskTarget::testTypeText(task->testType());
    case kColumnDate:
        return LocalFormats::date(task->date().toLocalTime().date());
    case kColumnFrequency:
        return TaskTarget::intervalText(task->interval());
    case kColumnLastRun:
        return LocalFormats::dateTime(task->lastPerformed().toLocalTime());
    case kColumnDelete:
        return translated("delete");
    case kColumnEdit:
        return translated("edit");
    case kColumnStart:
        return translated("start");
    default:
        return {};
    }
}
