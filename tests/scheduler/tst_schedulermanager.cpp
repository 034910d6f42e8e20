#include "schedulertesting.h"
#include "translator.h"

#include <QtTest>

#include <limits>
#include <memory>

class TestSchedulerManager : public QObject
{
    Q_OBJECT
    std::unique_ptr<SchedulerFixture> m_scheduler;

private slots:
    void initTestCase()
    {
        QCOMPARE(at(2026, 7, 1).offsetFromUtc(), 2 * 3600); // the zone CTest sets
    }
    void init() { m_scheduler = std::make_unique<SchedulerFixture>(); }

    void queue_data();
    void queue();
    void longWaitIsSplitAndRunsWhenDue();
    void modelShowsTasks();
};

void TestSchedulerManager::queue_data()
{
    QTest::addColumn<QVariantList>("records");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("nextIds");
    QTest::addColumn<QDateTime>("nextQueueRun");

    const QDateTime never;
    const QStringList none;
    QTest::newRow("month end: due, upcoming, finished, never run and undated tasks")
        << QVariantList{task("single-today", at(2026, 1, 31, 20)),
                        task("single-later", at(2026, 2, 10, 9)),
                        task("weekly-tomorrow", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 25, 8)),
                        task("single-done", at(2026, 1, 5, 10), 0, at(2026, 1, 5, 10)),
                        task("no-date", never),
                        task("weekly-today", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 24, 23)),
                        task("weekly-never-run", at(2026, 1, 31, 18), 7 * kDay)}
        << QStringList{"single-today", "weekly-today", "weekly-never-run"}
        << QStringList{"weekly-tomorrow", "single-later"} << at(2026, 2, 1, 8);
    QTest::newRow("single run performed on its day, before its hour, is finished")
        << QVariantList{task("t", at(2026, 1, 31, 23), 0, at(2026, 1, 31, 8))} << none << none << never;
    QTest::newRow("single run performed before its date is pending again on its day")
        << QVariantList{task("t", at(2026, 1, 31, 9), 0, at(2026, 1, 20, 9))} << QStringList{"t"} << none << never;
    QTest::newRow("interval under a day counts as a single run")
        << QVariantList{task("t", at(2026, 1, 1), 3600000, at(2026, 1, 2))} << none << none << never;
    QTest::newRow("largest interval never comes due again")
        << QVariantList{task("t", at(2026, 1, 1), std::numeric_limits<qint64>::max(), at(2026, 1, 2))} << none << none
        << never;

    // Hand-edited records beside a good one, which must still be run and marked.
    const QVariantMap good = task("good", at(2026, 1, 31, 9));
    QVariantMap withoutId = task("x", at(2026, 1, 10), 7 * kDay);
    withoutId.remove("id");
    QVariantMap badDate = task("bad", at(2026, 1, 10), 7 * kDay);
    badDate.insert("date", "31/02/2026");
    const QStringList onlyGood{"good"};
    QTest::newRow("record without id") << QVariantList{good, withoutId} << onlyGood << none << never;
    QTest::newRow("negative frequency") << QVariantList{good, task("bad", at(2026, 1, 10), -7 * kDay)}
                                        << QStringList{"good", "bad"} << none << never;
    QTest::newRow("invalid date") << QVariantList{good, badDate} << onlyGood << none << never;
    QTest::newRow("duplicate id") << QVariantList{good, task("good", at(2026, 2, 2, 9))} << onlyGood << none << never;
    QTest::newRow("empty record") << QVariantList{good, QVariantMap()} << onlyGood << none << never;
}

void TestSchedulerManager::queue()
{
    QFETCH(QVariantList, records);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, nextIds);
    QFETCH(QDateTime, nextQueueRun);

    SchedulerManager &manager = m_scheduler->manager;
    QSignalSpy spy(&manager, &SchedulerManager::executeTasks);
    QTRY_COMPARE(spy.count(), 1); // the first run after start-up, on no tasks at all
    spy.clear();
    for (const QVariant &record : qAsConst(records))
        manager.addTask(record.toMap());
    QCOMPARE(spy.count(), 0); // a change runs the queue once the event loop is idle
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst(), (QVariantList{ids, nextIds}));
    QCOMPARE(manager.nextQueueRun(), nextQueueRun);
    QCOMPARE(manager.rowCount(), records.size());
    for (int cell = 0; cell < records.size() * SchedulerManager::kColumnCount; ++cell)
        manager.index(cell / SchedulerManager::kColumnCount, cell % SchedulerManager::kColumnCount).data();

    manager.performNotPerformedTasks();
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toStringList(), QStringList());
    // Ids that are not stored are passed over.
    manager.removeTasks(QStringList{"missing", QString()} + ids);
    QCOMPARE(m_scheduler->store.tasks().size(), records.size() - ids.size());
}

void TestSchedulerManager::longWaitIsSplitAndRunsWhenDue()
{
    // 45 days, longer than a timer can wait in one go, and one hour short of
    // 45 whole days: the clocks go forward on 29 March 2026, and the task keeps its hour.
    SchedulerManager &manager = m_scheduler->manager;
    QDateTime &now = m_scheduler->clock.moment;
    QTimer *timer = const_cast<QTimer *>(manager.queueTimer());
    now = at(2026, 3, 1, 10);
    m_scheduler->store.addTask(task("far", at(2026, 1, 1), 45 * kDay, now));
    manager.processQueue();
    QCOMPARE(timer->interval(), SchedulerManager::kMaximumTimerInterval);

    QSignalSpy spy(&manager, &SchedulerManager::executeTasks);
    now = at(2026, 3, 20, 10);
    QMetaObject::invokeMethod(timer, "timeout");
    QCOMPARE(spy.count(), 0);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), SchedulerManager::kMaximumTimerInterval);

    now = at(2026, 4, 15, 10).addMSecs(-20);
    QMetaObject::invokeMethod(timer, "timeout");
    QCOMPARE(timer->interval(), 20);
    now = at(2026, 4, 15, 10);
    QMetaObject::invokeMethod(timer, "timeout");
    // Nothing upcoming: the queue still reports, and waits for the next change.
    QCOMPARE(spy.takeFirst(), (QVariantList{QStringList{"far"}, QStringList()}));
    QVERIFY(!timer->isActive());
}

void TestSchedulerManager::modelShowsTasks()
{
    m_scheduler->store.addTask(task("weekly", at(2026, 1, 3, 8), 7 * kDay, at(2026, 1, 28, 9, 5)));
    m_scheduler->store.addTask(task("once", at(2026, 2, 14, 8)));
    m_scheduler->manager.processQueue();
    const TR::Translator &translator = *TR::Translator::instance();
    const QStringList headers{"description", "scheduledDatetime", "frequency", "lastRun", "Delete", "Edit", "Start"};
    const QStringList buttons{translator.translate("delete"), translator.translate("edit"),
                              translator.translate("start")};
    const QList<QStringList> rows{QStringList{"Task weekly", "03/01/2026", "7", "28/01/2026 - 09:05"} + buttons,
                                  QStringList{"Task once", "14/02/2026", "-", ""} + buttons};
    const SchedulerManager &model = m_scheduler->manager;
    for (int column = 0; column < SchedulerManager::kColumnCount; ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), translator.translate(headers.at(column)));
        for (int row = 0; row < 2; ++row)
            QCOMPARE(model.index(row, column).data().toString(), rows.at(row).at(column));
    }
}

QTEST_MAIN(TestSchedulerManager)
#include "tst_schedulermanager.moc"
