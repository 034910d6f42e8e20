#include "berlintime.h"
#include "taskscheduler.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

namespace {

constexpr qint64 kDay = TaskScheduler::kMillisecondsPerDay;

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

QVariantMap record(const QDateTime &date, qint64 frequency, const QDateTime &lastPerformed = QDateTime())
{
    QVariantMap map{{"id", "0123456789abcdef0123456789abcdef"},
                    {"description", "Weekly constancy test"},
                    {"date", date},
                    {"frequency", static_cast<quint64>(frequency)},
                    {"scheduledtestslist", QVariantList{1u, 4u}}};
    if (lastPerformed.isValid()) {
        map.insert("lastperformed", lastPerformed);
    }
    return map;
}

} // namespace

class TestTaskScheduler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void state_data();
    void state();

    void emptyRecordKeepsDefaults();
    void frequencyFromRecord_data();
    void frequencyFromRecord();
    void datesFromRecord_data();
    void datesFromRecord();
    void groupNumbersFromRecord();

    void storedFormRoundTrips();
    void setterSignalsCarryNewValue();
};

void TestTaskScheduler::initTestCase()
{
    useBerlinTime();
    QCOMPARE(at(2026, 7, 1).offsetFromUtc(), 2 * 3600);
}

void TestTaskScheduler::state_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<QDateTime>("lastPerformed");
    QTest::addColumn<TaskScheduler::tTaskState>("expectedState");
    QTest::addColumn<QDateTime>("expectedNext");

    const QDateTime never;
    QTest::newRow("single run dated tomorrow is upcoming")
        << QDate(2026, 1, 30) << at(2026, 1, 31, 9) << qint64(0) << never << TaskScheduler::kTaskStateUpcoming
        << at(2026, 1, 31, 9);
    QTest::newRow("single run is pending from the start of its day")
        << QDate(2026, 1, 31) << at(2026, 1, 31, 23) << qint64(0) << never << TaskScheduler::kTaskStatePending << never;
    QTest::newRow("single run performed on its day, before its hour, is finished")
        << QDate(2026, 2, 3) << at(2026, 1, 31, 23) << qint64(0) << at(2026, 1, 31, 8)
        << TaskScheduler::kTaskStateFinished << at(2026, 1, 31, 8);
    QTest::newRow("single run performed before its date is pending again on its day")
        << QDate(2026, 2, 1) << at(2026, 2, 1, 9) << qint64(0) << at(2026, 1, 20, 9) << TaskScheduler::kTaskStatePending
        << at(2026, 1, 20, 9);
    QTest::newRow("single run performed before its date is upcoming until its day")
        << QDate(2026, 1, 25) << at(2026, 2, 1, 9) << qint64(0) << at(2026, 1, 20, 9)
        << TaskScheduler::kTaskStateUpcoming << at(2026, 2, 1, 9);
    QTest::newRow("weekly task run on the 1st is upcoming on the 7th")
        << QDate(2026, 2, 7) << at(2025, 12, 1, 9) << 7 * kDay << at(2026, 2, 1, 14, 30)
        << TaskScheduler::kTaskStateUpcoming << at(2026, 2, 8, 14, 30);
    QTest::newRow("weekly task run on the 1st is pending on the 8th before the hour of the run")
        << QDate(2026, 2, 8) << at(2025, 12, 1, 9) << 7 * kDay << at(2026, 2, 1, 14, 30)
        << TaskScheduler::kTaskStatePending << at(2026, 2, 8, 14, 30);
    QTest::newRow("weekly task across a month end")
        << QDate(2026, 2, 3) << at(2025, 12, 1, 9) << 7 * kDay << at(2026, 1, 28, 10)
        << TaskScheduler::kTaskStateUpcoming << at(2026, 2, 4, 10);
    QTest::newRow("weekly task due on the first day of the next month")
        << QDate(2026, 5, 1) << at(2025, 12, 1, 9) << 7 * kDay << at(2026, 4, 24, 10)
        << TaskScheduler::kTaskStatePending << at(2026, 5, 1, 10);
    QTest::newRow("weekly task across the end of February in a leap year")
        << QDate(2028, 3, 2) << at(2027, 12, 1, 9) << 7 * kDay << at(2028, 2, 25, 10)
        << TaskScheduler::kTaskStateUpcoming << at(2028, 3, 3, 10);
    QTest::newRow("weekly task across the spring clock change keeps its hour")
        << QDate(2026, 3, 28) << at(2026, 1, 1, 9) << 7 * kDay << at(2026, 3, 25, 10)
        << TaskScheduler::kTaskStateUpcoming << at(2026, 4, 1, 10);
    QTest::newRow("daily task run in the hour skipped in spring")
        << QDate(2026, 3, 21) << at(2026, 1, 1, 9) << kDay << at(2026, 3, 21, 2, 30)
        << TaskScheduler::kTaskStateUpcoming << at(2026, 3, 22, 2, 30);
    QTest::newRow("daily task across the autumn clock change keeps its hour")
        << QDate(2026, 10, 24) << at(2026, 1, 1, 9) << kDay << at(2026, 10, 24, 12) << TaskScheduler::kTaskStateUpcoming
        << at(2026, 10, 25, 12);
    QTest::newRow("repeating task never run, dated today, is pending")
        << QDate(2026, 3, 5) << at(2026, 3, 5, 18) << 7 * kDay << never << TaskScheduler::kTaskStatePending << never;
    QTest::newRow("repeating task never run, dated in the past, is pending")
        << QDate(2026, 3, 5) << at(2025, 3, 5, 18) << 7 * kDay << never << TaskScheduler::kTaskStatePending << never;
    QTest::newRow("repeating task dated later is upcoming even after a run")
        << QDate(2026, 3, 5) << at(2026, 3, 10, 8) << 7 * kDay << at(2026, 3, 1, 8) << TaskScheduler::kTaskStateUpcoming
        << at(2026, 3, 10, 8);
    QTest::newRow("task without a valid date is ignored") << QDate(2026, 3, 5) << never << 7 * kDay << at(2026, 3, 1, 8)
                                                          << TaskScheduler::kTaskStateIgnored << at(2026, 3, 8, 8);
    QTest::newRow("interval under a day counts as a single run")
        << QDate(2026, 3, 5) << at(2026, 3, 1, 8) << qint64(3600000) << at(2026, 3, 2, 8)
        << TaskScheduler::kTaskStateFinished << at(2026, 3, 2, 8);
    QTest::newRow("interval reaching past the year 9999 never comes due again")
        << QDate(2026, 3, 5) << at(2026, 3, 1, 8) << 3000000 * kDay << at(2026, 3, 2, 8)
        << TaskScheduler::kTaskStateFinished << never;
    QTest::newRow("largest interval never comes due again")
        << QDate(2026, 3, 5) << at(2026, 3, 1, 8) << std::numeric_limits<qint64>::max() << at(2026, 3, 2, 8)
        << TaskScheduler::kTaskStateFinished << never;
}

void TestTaskScheduler::state()
{
    QFETCH(QDate, today);
    QFETCH(QDateTime, date);
    QFETCH(qint64, frequency);
    QFETCH(QDateTime, lastPerformed);
    QFETCH(TaskScheduler::tTaskState, expectedState);
    QFETCH(QDateTime, expectedNext);

    const TaskScheduler task(record(date, frequency, lastPerformed));
    QCOMPARE(task.state(today), expectedState);
    const QDateTime next = task.nextExecution(today);
    QCOMPARE(next, expectedNext);
    if (next.isValid()) {
        QCOMPARE(next.time(), expectedNext.time());
        QCOMPARE(next.offsetFromUtc(), expectedNext.offsetFromUtc());
    }
}

void TestTaskScheduler::emptyRecordKeepsDefaults()
{
    const TaskScheduler task({});
    QCOMPARE(task.id(), QString());
    QCOMPARE(task.description(), QString());
    QVERIFY(!task.date().isValid());
    QCOMPARE(task.frequency(), 0);
    QCOMPARE(task.frequencyDays(), 0);
    QVERIFY(!task.lastPerformed().isValid());
    QVERIFY(task.scheduledTests().isEmpty());
    QCOMPARE(task.state(QDate(2026, 1, 1)), TaskScheduler::kTaskStateIgnored);
}

void TestTaskScheduler::frequencyFromRecord_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("unsigned, as written by the task dialog") << QVariant(quint64(7 * kDay)) << 7 * kDay;
    QTest::newRow("signed") << QVariant(qint64(7 * kDay)) << 7 * kDay;
    QTest::newRow("text, as read back from another process") << QVariant("604800000") << 7 * kDay;
    QTest::newRow("negative number") << QVariant(qint64(-kDay)) << qint64(0);
    QTest::newRow("negative text") << QVariant("-5") << qint64(0);
    QTest::newRow("minus one written as unsigned") << QVariant(std::numeric_limits<quint64>::max()) << qint64(0);
    QTest::newRow("minus one written as unsigned, read as text") << QVariant("18446744073709551615") << qint64(0);
    QTest::newRow("huge but signed") << QVariant(qint64(1) << 62) << (qint64(1) << 62);
    QTest::newRow("not a number") << QVariant("weekly") << qint64(0);
    QTest::newRow("a list") << QVariant(QVariantList{1, 2}) << qint64(0);
}

void TestTaskScheduler::frequencyFromRecord()
{
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);

    const TaskScheduler task({{"frequency", stored}});
    QCOMPARE(task.frequency(), expected);
    QCOMPARE(task.frequencyDays(), expected / kDay);
}

void TestTaskScheduler::datesFromRecord_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QDateTime>("expected");

    QTest::newRow("date-time") << QVariant(at(2026, 3, 1, 10)) << at(2026, 3, 1, 10);
    QTest::newRow("ISO text") << QVariant("2026-03-01T10:00:00") << at(2026, 3, 1, 10);
    QTest::newRow("plain date") << QVariant(QDate(2026, 3, 1)) << at(2026, 3, 1);
    QTest::newRow("text that is no date") << QVariant("next Monday") << QDateTime();
    QTest::newRow("number") << QVariant(5) << QDateTime();
    QTest::newRow("invalid variant") << QVariant() << QDateTime();
}

void TestTaskScheduler::datesFromRecord()
{
    QFETCH(QVariant, stored);
    QFETCH(QDateTime, expected);

    const TaskScheduler task({{"date", stored}, {"lastperformed", stored}});
    QCOMPARE(task.date(), expected);
    QCOMPARE(task.lastPerformed(), expected);
}

void TestTaskScheduler::groupNumbersFromRecord()
{
    const TaskScheduler mixed({{"scheduledtestslist", QVariantList{1u, "2", "three", 4}}});
    QCOMPARE(mixed.scheduledTests(), (QVariantList{1u, 2u, 4u}));

    const TaskScheduler map({{"scheduledtestslist", QVariantMap{{"1", 1}}}});
    QVERIFY(map.scheduledTests().isEmpty());
}

void TestTaskScheduler::storedFormRoundTrips()
{
    const QVariantMap performed = record(at(2026, 3, 1, 8), 7 * kDay, at(2026, 3, 8, 9, 15));
    QCOMPARE(TaskScheduler(performed).toVariantMap(), performed);

    const QVariantMap fresh = record(at(2026, 3, 1, 8), 0);
    const QVariantMap stored = TaskScheduler(fresh).toVariantMap();
    QCOMPARE(stored, fresh);
    QVERIFY(!stored.contains("lastperformed"));
    QCOMPARE(stored.value("frequency").userType(), int(QMetaType::ULongLong));
}

void TestTaskScheduler::setterSignalsCarryNewValue()
{
    TaskScheduler task({});
    QSignalSpy frequencySpy(&task, &TaskScheduler::frequencyChanged);
    QSignalSpy dateSpy(&task, &TaskScheduler::dateChanged);

    task.setFrequency(2 * kDay);
    task.setFrequency(2 * kDay);
    task.setFrequency(-kDay);
    QCOMPARE(frequencySpy.count(), 2);
    QCOMPARE(frequencySpy.at(0).at(0).value<quint64>(), quint64(2 * kDay));
    QCOMPARE(frequencySpy.at(1).at(0).value<quint64>(), quint64(0));

    task.setDate(at(2026, 3, 1));
    QCOMPARE(dateSpy.count(), 1);
    QCOMPARE(dateSpy.at(0).at(0).toDateTime(), at(2026, 3, 1));
}

QTEST_GUILESS_MAIN(TestTaskScheduler)
#include "tst_taskscheduler.moc"
