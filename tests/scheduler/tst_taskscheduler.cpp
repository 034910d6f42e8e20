#include "schedulertesting.h"

#include <QTest>

#include <limits>

class TestTaskScheduler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void state_data();
    void state();

    void frequencyFromRecord_data();
    void frequencyFromRecord();
    void groupNumbersFromRecord();
    void storedFormRoundTrips();
};

void TestTaskScheduler::initTestCase()
{
    useBerlinTime();
    QCOMPARE(at(2026, 7, 1).offsetFromUtc(), 2 * 3600);
}

// The queue tests cover the plain cases (due today or later, a weekly task on the
// day before and on its day, no date, a month end); these rows hold the calendar
// edges and the limits of the interval.
void TestTaskScheduler::state_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<QDateTime>("lastPerformed");
    QTest::addColumn<TaskScheduler::tTaskState>("expectedState");
    QTest::addColumn<QDateTime>("expectedNext");

    const QDateTime never;
    const auto upcoming = TaskScheduler::kTaskStateUpcoming;
    const auto pending = TaskScheduler::kTaskStatePending;
    const auto finished = TaskScheduler::kTaskStateFinished;

    QTest::newRow("single run performed on its day, before its hour, is finished")
        << QDate(2026, 2, 3) << at(2026, 1, 31, 23) << qint64(0) << at(2026, 1, 31, 8) << finished
        << at(2026, 1, 31, 8);
    QTest::newRow("single run performed before its date is pending again on its day")
        << QDate(2026, 2, 1) << at(2026, 2, 1, 9) << qint64(0) << at(2026, 1, 20, 9) << pending << at(2026, 1, 20, 9);
    QTest::newRow("weekly task across the end of February in a leap year")
        << QDate(2028, 3, 2) << at(2027, 12, 1, 9) << 7 * kDay << at(2028, 2, 25, 10) << upcoming << at(2028, 3, 3, 10);
    QTest::newRow("weekly task across the spring clock change keeps its hour")
        << QDate(2026, 3, 28) << at(2026, 1, 1, 9) << 7 * kDay << at(2026, 3, 25, 10) << upcoming << at(2026, 4, 1, 10);
    QTest::newRow("daily task across the autumn clock change keeps its hour")
        << QDate(2026, 10, 24) << at(2026, 1, 1, 9) << kDay << at(2026, 10, 24, 12) << upcoming << at(2026, 10, 25, 12);
    QTest::newRow("repeating task never run, dated today, is pending")
        << QDate(2026, 3, 5) << at(2026, 3, 5, 18) << 7 * kDay << never << pending << never;
    QTest::newRow("interval under a day counts as a single run")
        << QDate(2026, 3, 5) << at(2026, 3, 1, 8) << qint64(3600000) << at(2026, 3, 2, 8) << finished
        << at(2026, 3, 2, 8);
    QTest::newRow("largest interval never comes due again")
        << QDate(2026, 3, 5) << at(2026, 3, 1, 8) << std::numeric_limits<qint64>::max() << at(2026, 3, 2, 8) << finished
        << never;
}

void TestTaskScheduler::state()
{
    QFETCH(QDate, today);
    QFETCH(QDateTime, date);
    QFETCH(qint64, frequency);
    QFETCH(QDateTime, lastPerformed);
    QFETCH(TaskScheduler::tTaskState, expectedState);
    QFETCH(QDateTime, expectedNext);

    const TaskScheduler scheduled(task("weekly", date, frequency, lastPerformed));
    QCOMPARE(scheduled.state(today), expectedState);
    QCOMPARE(scheduled.nextExecution(today), expectedNext);
}

// The interval is stored unsigned; another process reads it back as text.
void TestTaskScheduler::frequencyFromRecord_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("text") << QVariant("604800000") << 7 * kDay;
    QTest::newRow("minus one written as unsigned") << QVariant(std::numeric_limits<quint64>::max()) << qint64(0);
    QTest::newRow("minus one written as unsigned, read as text") << QVariant("18446744073709551615") << qint64(0);
}

void TestTaskScheduler::frequencyFromRecord()
{
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);

    QCOMPARE(TaskScheduler({{"frequency", stored}}).frequency(), expected);
}

void TestTaskScheduler::groupNumbersFromRecord()
{
    const TaskScheduler scheduled({{"scheduledtestslist", QVariantList{1u, "2", "three", 4}}});
    QCOMPARE(scheduled.scheduledTests(), (QVariantList{1u, 2u, 4u}));
}

void TestTaskScheduler::storedFormRoundTrips()
{
    const QVariantMap performed = task("weekly", at(2026, 3, 1, 8), 7 * kDay, at(2026, 3, 8, 9, 15));
    QCOMPARE(TaskScheduler(performed).toVariantMap(), performed);

    // A task never run has no "lastperformed"; the interval stays unsigned.
    const QVariantMap fresh = task("once", at(2026, 3, 1, 8));
    const QVariantMap stored = TaskScheduler(fresh).toVariantMap();
    QCOMPARE(stored, fresh);
    QCOMPARE(stored.value("frequency").userType(), int(QMetaType::ULongLong));
}

QTEST_GUILESS_MAIN(TestTaskScheduler)
#include "tst_taskscheduler.moc"
