#include "berlintime.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "schedulerclock.h"
#include "schedulermanager.h"
#include "taskscheduler.h"
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

constexpr qint64 kDay = TaskScheduler::kMillisecondsPerDay;

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

QVariantMap task(const QString &id, const QDateTime &date, qint64 frequency = 0,
                 const QDateTime &lastPerformed = QDateTime())
{
    QVariantMap map{{"id", id},
                    {"description", QStringLiteral("Task %1").arg(id)},
                    {"date", date},
                    {"frequency", static_cast<quint64>(frequency)},
                    {"scheduledtestslist", QVariantList{1u}}};
    if (lastPerformed.isValid()) {
        map.insert("lastperformed", lastPerformed);
    }
    return map;
}

class FixedClock : public SchedulerClock
{
public:
    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now;
};

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
    void cleanup();

    void queueSortsTasksByDueState();
    void queueWithoutUpcomingTaskLeavesTimerStopped();
    void timerWaitsForNearestTaskAcrossClockChange();
    void longWaitIsSplitAndRunsWhenDue();

    void changesRunQueueOnceIdle();
    void performRecordsRunAndKeepsOtherKeys();
    void performNotPerformedTasksClearsPending();
    void unknownIdsAreIgnored();
    void editDoesNotTouchStore();

    void modelShowsTasks();
    void modelHeadersAndOutsideRows();

    void badRecordNeverBreaksQueue_data();
    void badRecordNeverBreaksQueue();
    void handEditedFileLoads();

    void instanceRunsQueueOnceEventLoopTurns();

private:
    QueueRun runQueue();
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
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_clock.setNow(at(2026, 1, 31, 12));
    openStore(m_dir->filePath("Lumivex 2016.ini"));
}

void TestSchedulerManager::cleanup()
{
    m_manager.reset();
    m_store.reset();
    m_dir.reset();
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
    if (spy.count() != 1) {
        qWarning() << "executeTasks emitted" << spy.count() << "times";
        return {};
    }
    return {spy.at(0).at(0).toStringList(), spy.at(0).at(1).toStringList()};
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
    QVERIFY(m_manager->queueTimer()->isActive());
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);
}

void TestSchedulerManager::queueWithoutUpcomingTaskLeavesTimerStopped()
{
    QueueRun run = runQueue();
    QVERIFY(run.ids.isEmpty());
    QVERIFY(run.nextIds.isEmpty());
    QVERIFY(!m_manager->queueTimer()->isActive());

    m_store->addTask(task("single-today", at(2026, 1, 31, 9)));
    run = runQueue();
    QCOMPARE(run.ids, QStringList{"single-today"});
    QVERIFY(run.nextIds.isEmpty());
    QVERIFY(!m_manager->queueTimer()->isActive());
    QVERIFY(!m_manager->nextQueueRun().isValid());
}

void TestSchedulerManager::timerWaitsForNearestTaskAcrossClockChange()
{
    // Clocks go forward on 29 March 2026: a week from the 25th at 10:00 is
    // 10:00 summer time on 1 April, one hour less than four days after the 28th.
    m_clock.setNow(at(2026, 3, 28, 10));
    m_store->addTask(task("weekly", at(2026, 1, 1, 8), 7 * kDay, at(2026, 3, 25, 10)));
    QCOMPARE(runQueue().nextIds, QStringList{"weekly"});
    QCOMPARE(m_manager->nextQueueRun(), at(2026, 4, 1, 10));
    QCOMPARE(m_clock.now().msecsTo(m_manager->nextQueueRun()), 4 * kDay - 3600 * 1000);

    m_clock.setNow(at(2026, 4, 1, 9, 30));
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    fireQueueTimer();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_manager->queueTimer()->interval(), 30 * 60 * 1000);
}

void TestSchedulerManager::longWaitIsSplitAndRunsWhenDue()
{
    // 45 days: longer than a timer can wait in one go.
    m_clock.setNow(at(2026, 1, 1, 10));
    m_store->addTask(task("far", at(2026, 2, 15, 10)));
    QCOMPARE(runQueue().nextIds, QStringList{"far"});
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);

    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_clock.setNow(at(2026, 1, 20, 10));
    fireQueueTimer();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_manager->queueTimer()->interval(), SchedulerManager::kMaximumTimerInterval);

    m_clock.setNow(at(2026, 2, 15, 9, 59, 50));
    fireQueueTimer();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_manager->queueTimer()->interval(), 10 * 1000);

    // The last step goes through the real timer.
    m_clock.setNow(at(2026, 2, 15, 10).addMSecs(-20));
    fireQueueTimer();
    QCOMPARE(m_manager->queueTimer()->interval(), 20);
    m_clock.setNow(at(2026, 2, 15, 10));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toStringList(), QStringList{"far"});
    QVERIFY(spy.at(0).at(1).toStringList().isEmpty());
    QVERIFY(!m_manager->queueTimer()->isActive());
}

void TestSchedulerManager::changesRunQueueOnceIdle()
{
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    QTRY_COMPARE(spy.count(), 1); // the first run after construction
    spy.clear();

    m_manager->addTask(task("new", at(2026, 1, 30, 9)));
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toStringList(), QStringList{"new"});
    QCOMPARE(m_manager->rowCount(), 1);
    QCOMPARE(m_manager->taskById("new")->description(), QString("Task new"));

    m_manager->removeTasks({"new"});
    QTRY_COMPARE(spy.count(), 2);
    QVERIFY(spy.at(1).at(0).toStringList().isEmpty());
    QCOMPARE(m_manager->rowCount(), 0);
    QVERIFY(m_store->tasks().isEmpty());
}

void TestSchedulerManager::performRecordsRunAndKeepsOtherKeys()
{
    const QVariantMap weekly = task("weekly", at(2026, 1, 1, 8), 7 * kDay);
    m_store->addTask(weekly);
    QCOMPARE(runQueue().ids, QStringList{"weekly"});

    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->performTasks({"weekly"});
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).at(0).toStringList().isEmpty());
    QCOMPARE(spy.at(0).at(1).toStringList(), QStringList{"weekly"});

    QVariantMap expected = weekly;
    expected.insert("lastperformed", m_clock.now());
    QCOMPARE(m_store->tasks(), QVariantList{expected});
    QCOMPARE(m_manager->nextQueueRun(), at(2026, 2, 7, 12));
}

void TestSchedulerManager::performNotPerformedTasksClearsPending()
{
    m_store->addTask(task("a", at(2026, 1, 30, 9)));
    m_store->addTask(task("b", at(2026, 1, 1, 8), kDay));
    m_store->addTask(task("c", at(2026, 2, 3, 8)));
    QCOMPARE(runQueue().ids, (QStringList{"a", "b"}));

    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->performNotPerformedTasks();
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).at(0).toStringList().isEmpty());
    QCOMPARE(spy.at(0).at(1).toStringList(), (QStringList{"b", "c"}));
    QCOMPARE(m_manager->taskById("a")->lastPerformed(), m_clock.now());
    QVERIFY(!m_manager->taskById("c")->lastPerformed().isValid());
}

void TestSchedulerManager::unknownIdsAreIgnored()
{
    m_store->addTask(task("kept", at(2026, 1, 30, 9)));
    const QVariantList stored = m_store->tasks();

    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->performTasks({"missing"});
    m_manager->removeTasks({"missing", QString()});
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(m_store->tasks(), stored);
    QCOMPARE(spy.at(0).at(0).toStringList(), QStringList{"kept"});
}

void TestSchedulerManager::editDoesNotTouchStore()
{
    m_store->addTask(task("kept", at(2026, 1, 30, 9)));
    const QVariantList stored = m_store->tasks();
    runQueue();
    m_manager->editTasks({"kept"});
    QCOMPARE(m_store->tasks(), stored);
    QCOMPARE(m_manager->rowCount(), 1);
}

void TestSchedulerManager::modelShowsTasks()
{
    m_store->addTask(task("weekly", at(2026, 1, 3, 8), 7 * kDay, at(2026, 1, 28, 9, 5)));
    m_store->addTask(task("once", at(2026, 2, 14, 8)));
    runQueue();

    const SchedulerManager &model = *m_manager;
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 7);
    const auto cell = [&model](int row, int column, int role = Qt::DisplayRole) {
        return model.data(model.index(row, column), role);
    };
    QCOMPARE(cell(0, 0).toString(), QString("Task weekly"));
    QCOMPARE(cell(0, 1).toString(), QString("03/01/2026"));
    QCOMPARE(cell(0, 2).toLongLong(), 7);
    QCOMPARE(cell(0, 3).toString(), QString("28/01/2026 - 09:05"));
    QCOMPARE(cell(1, 2).toString(), QString("-"));
    QCOMPARE(cell(1, 3).toString(), QString());

    TR::Translator *translator = TR::Translator::instance();
    QCOMPARE(cell(1, 4).toString(), translator->translate("delete"));
    QCOMPARE(cell(1, 5).toString(), translator->translate("edit"));
    QCOMPARE(cell(1, 6).toString(), translator->translate("start"));
    for (int column = 4; column < 7; ++column) {
        const QPixmap icon = cell(0, column, Qt::DecorationRole).value<QPixmap>();
        QVERIFY2(!icon.isNull(), qPrintable(QString("column %1").arg(column)));
    }
    QCOMPARE(cell(0, 5, Qt::DecorationRole).value<QPixmap>().size(), QSize(24, 24));
    QCOMPARE(cell(0, 6, Qt::DecorationRole).value<QPixmap>().size(), QSize(24, 24));
    QVERIFY(!cell(0, 0, Qt::DecorationRole).isValid());

    for (int column = 0; column < 7; ++column) {
        const bool centred = column >= 1 && column <= 3;
        QCOMPARE(cell(0, column, Qt::TextAlignmentRole).isValid(), centred);
        if (centred) {
            QCOMPARE(cell(0, column, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        }
        QCOMPARE(model.flags(model.index(0, column)), Qt::ItemFlags(Qt::ItemIsEnabled));
    }

    QCOMPARE(m_manager->taskAt(1), m_manager->taskById("once"));
    QCOMPARE(m_manager->allTasks(), (QList<TaskScheduler *>{m_manager->taskAt(0), m_manager->taskAt(1)}));
}

void TestSchedulerManager::modelHeadersAndOutsideRows()
{
    TR::Translator *translator = TR::Translator::instance();
    const QStringList keys{"description", "scheduledDatetime", "frequency", "lastRun", "Delete", "Edit", "Start"};
    for (int section = 0; section < keys.size(); ++section) {
        QCOMPARE(m_manager->headerData(section, Qt::Horizontal).toString(), translator->translate(keys.at(section)));
    }
    QCOMPARE(m_manager->headerData(0, Qt::Horizontal).toString(), QString("Description"));
    QVERIFY(!m_manager->headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
    QCOMPARE(m_manager->headerData(2, Qt::Vertical), m_manager->QAbstractTableModel::headerData(2, Qt::Vertical));

    runQueue();
    QCOMPARE(m_manager->taskAt(0), nullptr);
    QCOMPARE(m_manager->taskAt(-1), nullptr);
    QCOMPARE(m_manager->taskById(QString()), nullptr);
    QVERIFY(!m_manager->data(m_manager->index(0, 0)).isValid());
    QVERIFY(!m_manager->data(QModelIndex()).isValid());
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
    QVariantMap minusOne = task("bad", past, 0, at(2026, 1, 20, 9));
    minusOne.insert("frequency", std::numeric_limits<quint64>::max());
    QTest::newRow("frequency of all bits set") << minusOne << QStringList{"good"} << QStringList() << "-";
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

    // The good task can still be run and marked, whatever sits beside it.
    QSignalSpy spy(m_manager.get(), &SchedulerManager::executeTasks);
    m_manager->performNotPerformedTasks();
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(!spy.at(0).at(0).toStringList().contains("good"));
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

    const TaskScheduler *typedByHand = m_manager->taskAt(3);
    QCOMPARE(typedByHand->date(), at(2026, 3, 1, 9));
    QCOMPARE(typedByHand->frequencyDays(), 7);
    QVERIFY(!typedByHand->lastPerformed().isValid());
    QCOMPARE(m_manager->taskAt(1)->description(), QString());
    QCOMPARE(m_manager->taskAt(4)->frequency(), 0);
}

void TestSchedulerManager::instanceRunsQueueOnceEventLoopTurns()
{
    QVERIFY(QDir::setCurrent(m_instanceDir.path()));
    ConfigurationManager::instance()->addTask(task("due", QDateTime::currentDateTime().addDays(-1)));

    SchedulerManager *manager = SchedulerManager::instance();
    QCOMPARE(SchedulerManager::instance(), manager);
    QSignalSpy spy(manager, &SchedulerManager::executeTasks);
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toStringList(), QStringList{"due"});
    QVERIFY(QFile::exists(m_instanceDir.filePath("Lumivex 2016.ini")));
}

QTEST_MAIN(TestSchedulerManager)
#include "tst_schedulermanager.moc"
