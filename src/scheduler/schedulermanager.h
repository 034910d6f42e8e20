#pragma once

#include "pagedtablemodel.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

class ConfigurationManager;
class QTimer;
class SchedulerClock;
class TaskScheduler;

// All scheduled tasks, as the rows of the task table, and the queue that tells
// the main window which tasks are due (`executeTasks`). Tasks are kept in the
// settings file only: every change goes to the configuration store and the
// queue then reloads from there, so the table and the queue never disagree
// with what is stored. The table hands its rows to the view a page at a time.
class SchedulerManager : public PagedTableModel
{
    Q_OBJECT

public:
    enum tSchedulerColumn
    {
        kColumnDescription,
        kColumnTarget, // the task's display and test type, on two lines
        kColumnDate,
        kColumnFrequency,
        kColumnLastRun,
        kColumnDelete,
        kColumnEdit,
        kColumnStart,
        kColumnCount
    };
    Q_ENUM(tSchedulerColumn)

    // Longest single wait of the queue timer. Longer waits are split and the
    // due moment re-checked at each step, which also catches up after the
    // machine slept or its clock was set.
    static constexpr int kMaximumTimerInterval = 60 * 60 * 1000;

    static SchedulerManager *instance();

    // The application uses instance(), on the process-wide store and the system
    // clock; tests and tools may run a manager on a store and clock of their own
    // (neither owned; a null clock is the system clock).
    explicit SchedulerManager(ConfigurationManager *store, const SchedulerClock *clock = nullptr,
                              QObject *parent = nullptr);

    // Moves the queue onto another clock, for tests of the window that uses
    // instance(); a null clock is the system clock.
    void setClock(const SchedulerClock *clock);
    const SchedulerClock *clock() const { return m_clock; }

    // Task pointers are valid until the next reload of the queue.
    TaskScheduler *taskAt(int row) const;
    TaskScheduler *taskById(const QString &id) const;
    QList<TaskScheduler *> allTasks() const;

    const QTimer *queueTimer() const { return m_queueTimer; }
    // The moment the armed queue timer waits for; invalid when the queue waits
    // for the next change only.
    QDateTime nextQueueRun() const { return m_nextQueueRun; }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void executeTasks(const QStringList &ids, const QStringList &nextIds);

public slots:
    void addTask(const QVariantMap &map);
    void removeTasks(const QStringList &ids);
    void performTasks(const QStringList &ids);
    void editTasks(const QStringList &ids);
    void performNotPerformedTasks();
    void processQueue();

private slots:
    void queueTimerElapsed();

private:
    void reload(const QDateTime &now);
    void classify(TaskScheduler *task, const QDateTime &now, QSet<QString> &seenIds);
    void armQueueTimer(const QDateTime &dueAt);
    void stopQueue();
    void restartQueue();
    QVariant displayData(const TaskScheduler *task, int column) const;

    ConfigurationManager *m_store;
    const SchedulerClock *m_clock;
    QTimer *m_queueTimer = nullptr;
    QDateTime m_nextQueueRun;
    QList<TaskScheduler *> m_pendingTasks;
    QList<TaskScheduler *> m_upcomingTasks;
    QList<TaskScheduler *> m_tasks;
};
