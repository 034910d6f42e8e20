#pragma once

#include "taskinterval.h"

#include <QDateTime>
#include <QDialog>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

class ConfigurationManager;
class QRandomGenerator;
class SchedulerClock;
class TestItemsModel;
class TestsManager;

namespace Ui {
class AddTaskDialog;
}

// The form in which the operator creates a scheduled task or edits one: a
// description, the display it is for (a known one, or any), its test type, a
// start date, the repetition in days and the test groups to run. Choosing a
// type ticks its groups, as on the selection page.
// A new task leaves through addTask, for the scheduler to store; an edited one
// is written to the store here, keeping its id and its last run.
class AddTaskDialog : public QDialog
{
    Q_OBJECT

public:
    // The application passes only a parent; tests may add a store, a clock and
    // a random source of their own (none owned; null means the process-wide one).
    explicit AddTaskDialog(QWidget *parent = nullptr, ConfigurationManager *store = nullptr,
                           const SchedulerClock *clock = nullptr, QRandomGenerator *random = nullptr);
    ~AddTaskDialog() override;

    void setTask(const QString &id, int days, const QString &description, const QDateTime &date,
                 const QDateTime &lastPerformed, const QVariantList &groups, const QVariantMap &display = {},
                 const QString &testType = QString());
    // The repetition in its unit; a task stored before units recurs in days.
    void setInterval(const TaskInterval &interval);

signals:
    void addTask(const QVariantMap &map);

private slots:
    void okClicked();

private:
    QString newTaskId() const;
    QVariantList checkedGroupNumbers() const;
    void fillDisplays();
    void fillTestTypes();
    void fillIntervalUnits();
    void selectDisplay(const QVariantMap &display);
    void selectTestType(const QString &testType);
    void applyTestType();
    void tickGroups(const QVariantList &groups);

    std::unique_ptr<Ui::AddTaskDialog> m_ui;
    ConfigurationManager *m_store;
    const SchedulerClock *m_clock;
    QRandomGenerator *m_random;
    bool m_editing = false;
    QString m_taskId;
    QDateTime m_taskLastPerformed;
    TestsManager *m_catalogue;
    TestItemsModel *m_groupModel;
};
