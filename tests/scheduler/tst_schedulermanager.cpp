#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "schedulerclock.h"
#include "schedulermanager.h"
#include "schedulertesting.h"
#include "testconfig.h"
#include "translator.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>
#include <memory>

namespace {

struct QueueRun
{
    QStringList ids;
    QStringList nextIds;
};

} // namespace

class TestSchedulerManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void queueSortsTasksByDueState();
    void longWaitIsSplitAndRunsWhenDue();

    void changesRunQueueOnceIdle();

    void modelColumns_data();
    void modelColumns();

    void badRecordNeverBreaksQueue_data();
    void badRecordNeverBreaksQueue();
    void handEditedFileLoads();

    void instanceRunsQueueOnceEventLoopTurns();

private:
    QueueRun runQueue();
    QueueRun nextRun(QSignalSpy &spy);
    void fireQueueTimer();
    void openStore(const QString &fileName);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SchedulerManager> m_manager;
    FixedClock m_clock;
    QTemporaryDir m_instanceDir; // the process-wide store lives until the end
};

void TestSchedulerManager::initTestCase()
{
    useBerlinTime();
    TR::Translator::instance()->setModel(TR::defaultDictionary());
}

void TestSchedulerManager::init()
{
    m_manager.reset(); // before the store and the folder it writes to
    m_store.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_clock.setNow(at(2026, 1, 31, 12));
    openStore(m_dir->filePath("Lumivex 2016.ini"));
}

void TestSchedulerManager::openStore(const QString &fileName)
{
    m_manager.reset();
    m_store = std::make_unique<ConfigurationManager>(fileName);
    m_manager = std::make_unique<SchedulerManager>(m_store.get(), &m_clock);
}

QueueRun TestSchedulerManager::runQueue()
{
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->processQueue();
    return nextRun(spy);
}

// The run the spy saw last, or nothing (with a warning) unless it saw exactly one.
QueueRun TestSchedulerManager::nextRun(QSignalSpy &spy)
{
    if (spy.count() != 1) {
        qWarning() << "executeTasks emitted" << spy.count() << "times";
        return {};
    }
    const QList<QVariant> arguments = spy.takeFirst();
    return {arguments.at(0).toStringList(), arguments.at(1).toStringList()};
}

void TestSchedulerManager::fireQueueTimer()
{
    QVERIFY(m_manager->queueTimer()->isActive());
    QMetaObject::invokeMethod(const_cast<QTimer *>(m_manager->queueTimer()), "timeout");
}

void TestSchedulerManager::queueSortsTasksByDueState()
{
    // Month end: the last day of January, with runs falling due in February.
    m_store->addTask(task("single-today", at(2026, 1, 31, 20)));
    m_store->addTask(task("single-later", at(2026, 2, 10, 9)));
    m_store->addTask(task("weekly-tomorrow", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 25, 8)));
    m_store->addTask(task("single-done", at(2026, 1, 5, 10), 0, at(2026, 1, 5, 10)));
    m_store->addTask(task("no-date", QDateTime()));
    m_store->addTask(task("weekly-today", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 24, 23)));

    const QueueRun run = runQueue();
    QCOMPARE(run.ids, (QStringList{"single-today", "weekly-today"}));
    QCOMPARE(run.nextIds, (QStringList{"weekly-tomorrow", "single-later"}));
    QCOMPARE(m_manager->rowCount(), 6);
    QCOMPARE(m_manager->nextQueueRun(), at(2026, 2, 1, 8));
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);
    QCOMPARE(m_manager->taskById("no-date"), m_manager->taskAt(4));
    QCOMPARE(m_manager->taskAt(6), nullptr);
    QCOMPARE(m_manager->taskAt(-1), nullptr);
}

void TestSchedulerManager::longWaitIsSplitAndRunsWhenDue()
{
    // 45 days, longer than a timer can wait in one go, and one hour short of
    // 45 whole days: the clocks go forward on 29 March 2026.
    m_clock.setNow(at(2026, 3, 1, 10));
    m_store->addTask(task("far", at(2026, 4, 15, 10)));
    QCOMPARE(runQueue().nextIds, QStringList{"far"});
    QCOMPARE(m_clock.now().msecsTo(m_manager->nextQueueRun()), 45 * kDay - 3600 * 1000);
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);

    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_clock.setNow(at(2026, 3, 20, 10));
    fireQueueTimer();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);

    // The last step goes through the real timer.
    m_clock.setNow(at(2026, 4, 15, 10).addMSecs(-20));
    fireQueueTimer();
    QCOMPARE(m_manager->queueTimer()->interval(), 20);
    m_clock.setNow(at(2026, 4, 15, 10));
    QTRY_COMPARE(spy.count(), 1);
    const QueueRun run = nextRun(spy);
    QCOMPARE(run.ids, QStringList{"far"});
    // Nothing upcoming: the queue still reports, and waits for the next change.
    QVERIFY(run.nextIds.isEmpty());
    QVERIFY(!m_manager->queueTimer()->isActive());
}

void TestSchedulerManager::changesRunQueueOnceIdle()
{
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    QTRY_COMPARE(spy.count(), 1); // the first run after construction, on no tasks at all
    spy.clear();

    const QVariantMap weekly = task("weekly", at(2026, 1, 1, 8), 7 * kDay);
    const QVariantMap later = task("later", at(2026, 2, 10, 9));
    m_manager->addTask(weekly);
    m_manager->addTask(later);
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(spy.count(), 1);
    QueueRun run = nextRun(spy);
    QCOMPARE(run.ids, QStringList{"weekly"});
    QCOMPARE(run.nextIds, QStringList{"later"});

    // A run is recorded by id, keeping the other keys; ids not stored change nothing.
    m_manager->performTasks({"missing", "weekly"});
    QTRY_COMPARE(spy.count(), 1);
    run = nextRun(spy);
    QVERIFY(run.ids.isEmpty());
    QCOMPARE(run.nextIds, (QStringList{"weekly", "later"}));
    QVariantMap performed = weekly;
    performed.insert("lastperformed", m_clock.now());
    QCOMPARE(m_store->tasks(), (QVariantList{performed, later}));
    QCOMPARE(m_manager->nextQueueRun(), at(2026, 2, 7, 12));

    m_manager->removeTasks({"missing", QString(), "later"});
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(nextRun(spy).nextIds, QStringList{"weekly"});
    QCOMPARE(m_store->tasks(), QVariantList{performed});
}

void TestSchedulerManager::modelColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("headerKey");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<bool>("icon");

    const auto translated = [](const char *key) {
        const QString text = TR::Translator::instance()->translate(key);
        return QStringList{text, text};
    };
    QTest::newRow("description") << 0 << "description" << QStringList{"Task weekly", "Task once"} << false << false;
    QTest::newRow("date") << 1 << "scheduledDatetime" << QStringList{"03/01/2026", "14/02/2026"} << true << false;
    QTest::newRow("frequency") << 2 << "frequency" << QStringList{"7", "-"} << true << false;
    QTest::newRow("last run") << 3 << "lastRun" << QStringList{"28/01/2026 - 09:05", ""} << true << false;
    QTest::newRow("delete") << 4 << "Delete" << translated("delete") << false << true;
    QTest::newRow("edit") << 5 << "Edit" << translated("edit") << false << true;
    QTest::newRow("start") << 6 << "Start" << translated("start") << false << true;
}

void TestSchedulerManager::modelColumns()
{
    QFETCH(int, column);
    QFETCH(QString, headerKey);
    QFETCH(QStringList, texts);
    QFETCH(bool, centred);
    QFETCH(bool, icon);

    m_store->addTask(task("weekly", at(2026, 1, 3, 8), 7 * kDay, at(2026, 1, 28, 9, 5)));
    m_store->addTask(task("once", at(2026, 2, 14, 8)));
    runQueue();

    const SchedulerManager &model = *m_manager;
    QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), TR::Translator::instance()->translate(headerKey));
    QCOMPARE(model.data(model.index(0, column)).toString(), texts.at(0));
    QCOMPARE(model.data(model.index(1, column)).toString(), texts.at(1));
    QCOMPARE(model.data(model.index(0, column), Qt::TextAlignmentRole),
             centred ? QVariant(int(Qt::AlignCenter)) : QVariant());
    QCOMPARE(!model.data(model.index(0, column), Qt::DecorationRole).value<QPixmap>().isNull(), icon);
    QCOMPARE(model.flags(model.index(0, column)), Qt::ItemFlags(Qt::ItemIsEnabled));
}

void TestSchedulerManager::badRecordNeverBreaksQueue_data()
{
    QTest::addColumn<QVariantMap>("record");
    QTest::addColumn<QStringList>("expectedIds");
    QTest::addColumn<QStringList>("expectedNextIds");
    QTest::addColumn<QString>("expectedFrequency");

    const QDateTime past = at(2026, 1, 10, 9);
    QVariantMap withoutId = task("x", past, 7 * kDay);
    withoutId.remove("id");
    QTest::newRow("record without id") << withoutId << QStringList{"good"} << QStringList() << "7";

    QTest::newRow("negative frequency") << task("bad", past, -7 * kDay) << QStringList{"good", "bad"} << QStringList()
                                        << "-";
    QTest::newRow("huge frequency") << task("bad", past, qint64(1) << 62, at(2026, 1, 20, 9)) << QStringList{"good"}
                                    << QStringList() << "53375995583";

    QVariantMap badDate = task("bad", past, 7 * kDay);
    badDate.insert("date", "31/02/2026");
    QTest::newRow("invalid date") << badDate << QStringList{"good"} << QStringList() << "7";

    QTest::newRow("duplicate id") << task("good", at(2026, 2, 2, 9)) << QStringList{"good"} << QStringList() << "-";

    const QVariantMap wrongTypes{{"id", 42},
                                 {"description", QVariantList{"a", "b"}},
                                 {"date", "2026-02-02T09:00:00"},
                                 {"frequency", "every week"},
                                 {"lastperformed", "yesterday"},
                                 {"scheduledtestslist", "all"}};
    QTest::newRow("wrongly typed keys") << wrongTypes << QStringList{"good"} << QStringList{"42"} << "-";

    QTest::newRow("empty record") << QVariantMap() << QStringList{"good"} << QStringList() << "-";
}

void TestSchedulerManager::badRecordNeverBreaksQueue()
{
    QFETCH(QVariantMap, record);
    QFETCH(QStringList, expectedIds);
    QFETCH(QStringList, expectedNextIds);
    QFETCH(QString, expectedFrequency);

    m_store->addTask(task("good", at(2026, 1, 31, 9)));
    m_store->addTask(record);
    const QueueRun run = runQueue();
    QCOMPARE(run.ids, expectedIds);
    QCOMPARE(run.nextIds, expectedNextIds);
    QCOMPARE(m_manager->rowCount(), 2);
    QCOMPARE(m_manager->data(m_manager->index(1, 2)).toString(), expectedFrequency);
    for (int column = 0; column < m_manager->columnCount(); ++column) {
        m_manager->data(m_manager->index(1, column));
    }

    // Every pending task can still be run and marked, whatever sits beside it.
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->performNotPerformedTasks();
    QTRY_COMPARE(spy.count(), 1);
    const QueueRun afterRun = nextRun(spy);
    QVERIFY(afterRun.ids.isEmpty());
    QCOMPARE(afterRun.nextIds, expectedNextIds);
    QCOMPARE(m_store->tasks().size(), 2);
}

void TestSchedulerManager::handEditedFileLoads()
{
    const QString fileName = m_dir->filePath("handedited.ini");
    QVERIFY(QFile::copy(LUMIVEX_TEST_DATA_DIR "/scheduler/handedited.ini", fileName));
    QVERIFY(QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner));
    openStore(fileName);
    m_clock.setNow(at(2026, 3, 5, 12));

    const QueueRun run = runQueue();
    QCOMPARE(m_manager->rowCount(), 6);
    QCOMPARE(run.ids, QStringList{"fedcba9876543210fedcba9876543210"});
    QCOMPARE(run.nextIds, QStringList{"0123456789abcdef0123456789abcdef"});
    QCOMPARE(m_manager->nextQueueRun(), at(2026, 3, 9, 8, 30));

    // Typed by hand: the date and the interval as text, "lastperformed" no date.
    QCOMPARE(m_manager->taskAt(3)->frequencyDays(), 7);
}

void TestSchedulerManager::instanceRunsQueueOnceEventLoopTurns()
{
    QVERIFY(QDir::setCurrent(m_instanceDir.path()));
    ConfigurationManager::instance()->addTask(task("due", QDateTime::currentDateTime().addDays(-1)));

    SchedulerManager *manager = SchedulerManager::instance();
    QSignalSpy spy(manager, &SchedulerManager::executeTasks);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(nextRun(spy).ids, QStringList{"due"});
}

QTEST_MAIN(TestSchedulerManager)
#include "tst_schedulermanager.moc"
