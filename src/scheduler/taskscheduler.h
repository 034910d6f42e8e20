#pragma once

#include "taskinterval.h"

#include <QDateTime>
#include <QObject>
#include <QVariantList>
#include <QVariantMap>

// One scheduled test run: a start date, a repetition interval, the test groups
// it runs and, where the operator named them, the display it tests and its test
// type. Built from the stored task record; whether it is due is decided from its
// dates alone, so a reload is all it takes to bring every task up to date.
class TaskScheduler : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString description READ description WRITE setDescription NOTIFY descriptionChanged)
    Q_PROPERTY(QDateTime date READ date WRITE setDate NOTIFY dateChanged)
    Q_PROPERTY(qint64 frequency READ frequency WRITE setFrequency NOTIFY frequencyChanged)
    Q_PROPERTY(qint64 frequencyDays READ frequencyDays NOTIFY frequencyChanged)
    Q_PROPERTY(QDateTime lastPerformed READ lastPerformed WRITE setLastPerformed NOTIFY lastPerformedChanged)
    Q_PROPERTY(QVariantList scheduledTests READ scheduledTests WRITE setScheduledTests NOTIFY scheduledTestsChanged)

public:
    static constexpr qint64 kMillisecondsPerDay = 86400000;

    enum tTaskState
    {
        kTaskStateIgnored,  // no valid start date: never queued
        kTaskStateUpcoming, // due on a later day
        kTaskStatePending,  // due now
        kTaskStateFinished, // single run already done, or no reachable next run
    };
    Q_ENUM(tTaskState)

    explicit TaskScheduler(const QVariantMap &record, QObject *parent = nullptr);

    QString id() const { return m_id; }
    QString description() const { return m_description; }
    QDateTime date() const { return m_date; }
    qint64 frequency() const { return m_frequency; }
    qint64 frequencyDays() const { return m_frequency / kMillisecondsPerDay; }
    QDateTime lastPerformed() const { return m_lastPerformed; }
    QVariantList scheduledTests() const { return m_scheduledTests; }
    TaskInterval interval() const { return m_interval; }
    // The display ("maker", "model", "serial") and test type the task is for;
    // empty for any display or any type, as for every task stored before tasks
    // named them.
    QVariantMap display() const { return m_display; }
    QString testType() const { return m_testType; }

    // Whether a finished session with these record keys ("display",
    // "testtype") is a run of this task: the same display, where the task names
    // one, and the same type, where it names one.
    bool isRunBy(const QVariantMap &session) const;

    // The moment the task is next due, seen from the calendar day `today`:
    // the start date while that day is still ahead, otherwise the last run plus
    // the interval; invalid when the task never ran or that moment is out of reach.
    QDateTime nextExecution(const QDate &today = QDate::currentDate()) const;
    // Days are the local calendar days of the stored instants, whatever zone they were stored in.
    tTaskState state(const QDateTime &now) const;
    // A last run after now: the clock was once set ahead. Such a task is due.
    bool lastRunInFuture(const QDateTime &now) const;

signals:
    void idChanged(const QString &id);
    void descriptionChanged(const QString &description);
    void dateChanged(const QDateTime &date);
    void frequencyChanged(quint64 frequency);
    void lastPerformedChanged(const QDateTime &lastPerformed);
    void scheduledTestsChanged(const QVariantList &scheduledTests);

public slots:
    void setId(const QString &id);
    void setDescription(const QString &description);
    void setDate(const QDateTime &date);
    void setFrequency(qint64 frequency);
    void setLastPerformed(const QDateTime &lastPerformed);
    void setScheduledTests(const QVariantList &scheduledTests);

private:
    QDateTime runAfterLastPerformed() const;

    QString m_id;
    QString m_description;
    QDateTime m_date;
    qint64 m_frequency = 0;
    QDateTime m_lastPerformed;
    QVariantList m_scheduledTests;
    QVariantMap m_display;
    QString m_testType;
    TaskInterval m_interval;
};
