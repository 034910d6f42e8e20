#include "addtaskdialog.h"
#include "configurationmanager.h"
#include "displayrecord.h"
#include "displaytasks.h"
#include "limitstable.h"
#include "overduetasks.h"
#include "schedulerclock.h"
#include "scheduleritemdelegate.h"
#include "schedulermanager.h"
#include "schedulertesting.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/shippedlanguages.h"
#include "taskscheduler.h"
#include "testsmanager.h"
#include "translator.h"

#include <QtTest>
#include <QtWidgets>

#include <limits>
#include <memory>

Q_DECLARE_METATYPE(const QAbstractItemModel *)

// Replaces a field's text as an operator does: select all, then type.
static void type(QWidget *dialog, const char *field, const QString &text)
{
    QTest::keyClick(dialog->findChild<QWidget *>(field), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog->findChild<QWidget *>(field), text);
}

// The task for that display and test type; an empty one of either is left out, as in tasks stored before them.
static QVariantMap taskFor(QVariantMap record, const QVariantMap &display, const QString &type = QString())
{
    if (!display.isEmpty())
        record.insert("display", display);
    if (!type.isEmpty())
        record.insert("testtype", type);
    return record;
}

// The task queue, the task dialog and the buttons of the task table that lead to it.
class TestScheduler : public QObject
{
    Q_OBJECT
    std::unique_ptr<SchedulerFixture> m_scheduler;

    // A weekly task with a hand-edited test list, of a display and a type this
    // store does not know, and a single run.
    void addTwoTasks()
    {
        QVariantMap weekly = taskFor(task("weekly", at(2026, 1, 5, 8, 30), 199 * kDay, at(2026, 1, 20, 9, 15)),
                                     {{"maker", "OTHER"}, {"model", "X"}, {"serial", "1"}}, "weeklyLook");
        weekly.insert("scheduledtestslist", QVariantList{0u, "5", "three", 6u});
        m_scheduler->store.addTask(weekly);
        m_scheduler->store.addTask(task("once", at(2026, 2, 2)));
        m_scheduler->manager.processQueue();
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<const QAbstractItemModel *>(); // for the delegate's clicks
        useShippedLanguages();
        QCOMPARE(at(2026, 7, 1).offsetFromUtc(), 2 * 3600); // the zone CTest sets
    }
    void init()
    {
        m_scheduler = std::make_unique<SchedulerFixture>();
        ModalAnswers::rejectUnexpectedDialogs();
    }
    void cleanup() { QCOMPARE(ModalAnswers::finish().unanswered, 0); }
    void queue_data()
    {
        QTest::addColumn<QVariantList>("records");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("nextIds");

        const QStringList none;
        QTest::newRow("month end: due, upcoming, finished, never run and undated tasks")
            << QVariantList{task("single-today", at(2026, 1, 31, 20)),
                            task("single-later", at(2026, 2, 10, 9)),
                            task("weekly-tomorrow", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 25, 8)),
                            task("single-done", at(2026, 1, 5, 10), 0, at(2026, 1, 5, 10)),
                            task("no-date", QDateTime()),
                            task("weekly-today", at(2026, 1, 1, 8), 7 * kDay, at(2026, 1, 24, 23)),
                            task("weekly-never-run", at(2026, 1, 31, 18), 7 * kDay)}
            << QStringList{"single-today", "weekly-today", "weekly-never-run"}
            << QStringList{"weekly-tomorrow", "single-later"};
        QTest::newRow("single run performed on its day before its hour is finished, performed before its date pending")
            << QVariantList{task("done", at(2026, 1, 31, 23), 0, at(2026, 1, 31, 8)),
                            task("again", at(2026, 1, 31, 9), 0, at(2026, 1, 20, 9))}
            << QStringList{"again"} << none;
        QTest::newRow("interval under a day is a single run, the largest interval never comes due again")
            << QVariantList{task("hour", at(2026, 1, 1), 3600000, at(2026, 1, 2)),
                            task("largest", at(2026, 1, 1), std::numeric_limits<qint64>::max(), at(2026, 1, 2))}
            << none << none;

        // Stored in UTC or another zone: the local day of the instant counts. The first is due at 00:30 tonight,
        // the weekly one last ran at 00:45 local time on the 25th; the third named tomorrow in its zone (+14 h), and
        // that moment has passed here: its day is today, so it is due now and never waits for a moment gone by.
        QTest::newRow("dates of other zones are compared as instants")
            << QVariantList{task("utc-tonight", at(2026, 2, 1, 0, 30).toUTC()),
                            task("weekly-utc", at(2026, 1, 1), 7 * kDay, at(2026, 1, 25, 0, 45).toUTC()),
                            task("far-east", QDateTime(QDate(2026, 2, 1), QTime(0, 0), Qt::OffsetFromUTC, 14 * 3600))}
            << QStringList{"far-east"} << QStringList{"utc-tonight", "weekly-utc"};
        QTest::newRow("a last run in the future is a clock error: due now")
            << QVariantList{task("daily-ahead", at(2026, 1, 1, 8), kDay, at(2031, 1, 1, 8)),
                            task("single-ahead", at(2026, 1, 10), 0, at(2027, 1, 1))}
            << QStringList{"daily-ahead", "single-ahead"} << none;

        // Hand-edited records beside a good one, which must still be run and marked: one without id, one with a
        // negative frequency, an invalid date, a duplicate id and an empty record. The store refuses those
        // without an id of their own.
        QVariantMap withoutId = task("x", at(2026, 1, 10), 7 * kDay), badDate = task("bad", at(2026, 1, 10), 7 * kDay);
        withoutId.remove("id");
        badDate.insert("date", "31/02/2026");
        QTest::newRow("hand-edited records") << QVariantList{task("good", at(2026, 1, 31, 9)),
                                                             withoutId,
                                                             task("negative", at(2026, 1, 10), -7 * kDay),
                                                             badDate,
                                                             task("good", at(2026, 2, 2, 9)),
                                                             QVariantMap()}
                                             << QStringList{"good", "negative"} << none;
    }

    void queue()
    {
        QFETCH(QVariantList, records);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, nextIds);

        SchedulerManager &manager = m_scheduler->manager;
        QSignalSpy spy(&manager, &SchedulerManager::executeTasks);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, Patience); // the first run after start-up, on no tasks at all
        spy.clear();
        for (const QVariant &record : qAsConst(records))
            manager.addTask(record.toMap());
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, Patience);
        QCOMPARE(spy.takeFirst(), (QVariantList{ids, nextIds}));
        // The queue waits for a moment still ahead, or not at all.
        QVERIFY(!manager.queueTimer()->isActive() || manager.nextQueueRun() > m_scheduler->moment);
        QCOMPARE(manager.rowCount(),
                 QTest::currentDataTag() == QLatin1String("hand-edited records") ? 3 : records.size());
        for (int cell = 0; cell < records.size() * SchedulerManager::kColumnCount; ++cell)
            manager.index(cell / SchedulerManager::kColumnCount, cell % SchedulerManager::kColumnCount).data();

        manager.performNotPerformedTasks();
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, Patience);
        QCOMPARE(spy.first().first().toStringList(), QStringList());
    }

    void longWaitIsSplitAndRunsWhenDue()
    {
        // 45 days, longer than a timer can wait in one go, and one hour short of
        // 45 whole days: the clocks go forward on 29 March 2026, and the task keeps its hour.
        SchedulerManager &manager = m_scheduler->manager;
        QDateTime &now = m_scheduler->moment;
        QTimer *timer = const_cast<QTimer *>(manager.queueTimer());
        now = at(2026, 3, 1, 10);
        m_scheduler->store.addTask(task("far", at(2026, 1, 1), 45 * kDay, now.toUTC()));
        manager.processQueue();
        QCOMPARE(timer->interval(), SchedulerManager::kMaximumTimerInterval);

        // A timer that fires before the due moment waits for the rest, without a signal.
        QSignalSpy spy(&manager, &SchedulerManager::executeTasks);
        now = at(2026, 4, 15, 10).addMSecs(-20);
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(timer->interval(), 20);
        now = at(2026, 4, 15, 10);
        QMetaObject::invokeMethod(timer, "timeout");
        // Nothing upcoming: the queue still reports, and waits for the next change.
        QCOMPARE(spy.takeFirst(), (QVariantList{QStringList{"far"}, QStringList()}));
        QVERIFY(!timer->isActive());
    }

    // Due days count from the start: a monthly task started on 31 January falls on each month's last day and
    // comes back to the 31st, however late a run was; working days skip the weekend.
    void intervals_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("lastRun");
        QTest::addColumn<QDateTime>("next");
        const auto row = [](const char *name, int count, TaskInterval::Unit unit, const QDateTime &start,
                            const QDateTime &lastRun, const QDateTime &next) {
            QTest::newRow(name) << count << int(unit) << start << lastRun << next;
        };
        const QDateTime january31 = at(2026, 1, 31, 9);
        const auto months = TaskInterval::Months;
        const auto workingDays = TaskInterval::WorkingDays;
        row("monthly from 31 January: February's last day", 1, months, january31, at(2026, 1, 31, 10),
            at(2026, 2, 28, 9));
        row("then March's 31st", 1, months, january31, at(2026, 2, 28, 9), at(2026, 3, 31, 9));
        row("a late run keeps the month's end", 1, months, january31, at(2026, 2, 5, 9), at(2026, 2, 28, 9));
        row("six months from 31 August", 6, months, at(2026, 8, 31, 9), at(2026, 8, 31, 9), at(2027, 2, 28, 9));
        row("yearly from 29 February", 1, TaskInterval::Years, at(2024, 2, 29, 9), at(2024, 2, 29, 9),
            at(2025, 2, 28, 9));
        row("working day after a Friday", 1, workingDays, at(2026, 1, 30, 8), at(2026, 1, 30, 8), at(2026, 2, 2, 8));
        row("working day run on a Sunday", 1, workingDays, at(2026, 1, 5, 8), at(2026, 2, 1, 8), at(2026, 2, 2, 8));
        row("two working days from a Thursday", 2, workingDays, at(2026, 1, 29, 8), at(2026, 1, 29, 8),
            at(2026, 2, 2, 8));
        row("two weeks", 2, TaskInterval::Weeks, january31, at(2026, 2, 3, 9), at(2026, 2, 14, 9));
    }

    void intervals()
    {
        QFETCH(int, count);
        QFETCH(int, unit);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, lastRun);
        QFETCH(QDateTime, next);
        QVariantMap record = task("t", start, 0, lastRun);
        record.insert(TaskInterval(count, TaskInterval::Unit(unit)).toRecord());
        const TaskScheduler scheduled(record);
        QCOMPARE(scheduled.nextExecution(lastRun.date()), next);
        QCOMPARE(scheduled.state(next.addSecs(-3600 * 24)), TaskScheduler::kTaskStateUpcoming);
        QCOMPARE(scheduled.state(next), TaskScheduler::kTaskStatePending);
        // Stored and read back, the task names its unit in the task list.
        m_scheduler->manager.addTask(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_scheduler->manager.rowCount(), 1, Patience);
        QCOMPARE(m_scheduler->manager.taskAt(0)->interval().unit(), TaskInterval::Unit(unit));
    }

    // A classified display gets its daily and periodic tasks, at the interval of its category, unless it has them.
    void displayTasks_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("made"); // "type count unit start"
        const QString daily = "dailyConstancy 1 workingDays 2026-01-31";
        QTest::newRow("mammography") << "mammography" << QStringList()
                                     << QStringList{daily, "periodicConstancy 6 months 2026-07-31"};
        QTest::newRow("dental, every twelve months")
            << "dentalRk6" << QStringList() << QStringList{daily, "periodicConstancy 12 months 2027-01-31"};
        QTest::newRow("a daily task kept as the operator set it")
            << "ct" << QStringList{"dailyConstancy"} << QStringList{"periodicConstancy 6 months 2026-07-31"};
        QTest::newRow("category not in the table") << "gone" << QStringList() << QStringList();
    }

    void displayTasks()
    {
        QFETCH(QString, category);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, made);
        // Another display's tasks are not this display's.
        QVariantList stored{taskFor(task("other", at(2026, 1, 1), kDay), kDisplayB, "periodicConstancy")};
        for (const QString &type : existing)
            stored << taskFor(task(type, at(2026, 1, 1), 7 * kDay), kDisplayA, type);
        const TestsManager catalogue;
        QStringList shown;
        for (const QVariant &record :
             DisplayTasks::missing(stored, kDisplayA, category, catalogue, LimitsTable::load(), at(2026, 1, 31, 12))) {
            const QVariantMap made = record.toMap();
            QCOMPARE(made.value("display").toMap(), kDisplayA);
            QCOMPARE(made.value("scheduledtestslist").toList(),
                     catalogue.testTypeGroups(made.value("testtype").toString()));
            shown << QStringLiteral("%1 %2 %3 %4")
                         .arg(made.value("testtype").toString(), made.value("interval").toString(),
                              made.value("intervalUnit").toString(), made.value("date").toDate().toString(Qt::ISODate));
        }
        QCOMPARE(shown, made);
    }

    // A due task whose day has passed is overdue by the days since that day; one due today is not yet.
    void overdue()
    {
        QVariantMap monthly = task("monthly", at(2026, 1, 31, 9), 0, at(2026, 1, 31, 9));
        monthly.insert(TaskInterval(1, TaskInterval::Months).toRecord());
        for (const QVariantMap &record : {monthly, taskFor(task("never-run", at(2026, 2, 27, 9)), kDisplayA),
                                          taskFor(task("again", at(2026, 2, 20, 9)), kDisplayA),
                                          task("today", at(2026, 3, 2, 8)), task("upcoming", at(2026, 3, 5, 8))})
            m_scheduler->manager.addTask(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_scheduler->manager.rowCount(), 5, Patience);
        const QList<OverdueTasks::Entry> entries =
            OverdueTasks::of(m_scheduler->manager.allTasks(), at(2026, 3, 2, 12));
        QCOMPARE(OverdueTasks::lines(entries),
                 QStringLiteral("Task monthly: 2 days overdue\nTask never-run: 3 days overdue\n"
                                "Task again: 10 days overdue"));
        QCOMPARE(OverdueTasks::byDisplay(entries), (QMap<QString, int>{{DisplayRecord::key(kDisplayA), 10}}));
        QVERIFY(OverdueTasks::tellAgain(QDate(2026, 3, 1), QDate(2026, 3, 2)));
        QVERIFY(!OverdueTasks::tellAgain(QDate(2026, 3, 2), QDate(2026, 3, 2)));
    }

    void newTask_data()
    {
        QTest::addColumn<QString>("typedDate");
        QTest::addColumn<int>("typedDays");
        QTest::addColumn<QDateTime>("expectedDate");
        QTest::addColumn<int>("expectedDays");
        QTest::addColumn<bool>("forDisplayB"); // the daily constancy test of display B, one of its groups left out

        QTest::newRow("single run from today") << "" << 0 << at(2026, 1, 31) << 0 << false;
        QTest::newRow("199 days") << "15032026" << 199 << at(2026, 3, 15) << 199 << false;
        QTest::newRow("days above 1000 cannot be entered") << "" << 1001 << at(2026, 1, 31) << 100 << false;
        QTest::newRow("year before 2014 cannot be entered") << "31122013" << 7 << at(2026, 12, 31) << 7 << false;
        QTest::newRow("for a known display and a type") << "" << 1 << at(2026, 1, 31) << 1 << true;
    }

    // The dialog offers "any display" and every display the store knows, and the chosen type ticks its groups.
    void newTask()
    {
        QFETCH(QString, typedDate);
        QFETCH(int, typedDays);
        QFETCH(QDateTime, expectedDate);
        QFETCH(int, expectedDays);
        QFETCH(bool, forDisplayB);
        addTwoTasks();
        for (const QVariantMap &display : {kDisplayA, kDisplayB})
            QVERIFY(m_scheduler->store.addSession({}, "Ada", 1, 0, 0, "Panel",
                                                  {{"display", display}, {"testtype", "acceptance"}}));
        // A stored task already has the id that the first random number gives in this second.
        QRandomGenerator random(7), draws(7);
        const auto idOf = [](quint32 number) {
            const QByteArray text = "31/01/2026 12:00:00" + QByteArray::number(number);
            return QString(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
        };
        m_scheduler->store.addTask(task(idOf(draws.generate()), at(2026, 1, 1)));
        AddTaskDialog dialog(nullptr, &m_scheduler->store, m_scheduler.get(), &random);
        connect(&dialog, &AddTaskDialog::addTask, &m_scheduler->manager, &SchedulerManager::addTask);
        dialog.show();

        type(&dialog, "descriptionLineEdit", "   ");
        QTest::mouseClick(dialog.findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.findChild<QLineEdit *>("descriptionLineEdit")->styleSheet(), "border:1px solid red;");

        auto *displays = dialog.findChild<QComboBox *>("displayComboBox");
        auto *types = dialog.findChild<QComboBox *>("testTypeComboBox");
        QCOMPARE(displays->itemText(0), TR::Translator::instance()->translate("task_anyDisplay"));
        QVERIFY(displays->findText("MAKER MD27 (SN 12345678)") > 0);
        QCOMPARE(types->count(), 4);
        if (forDisplayB) {
            displays->setCurrentIndex(displays->findText("MAKER MD27 (SN 87654321)"));
            types->setCurrentIndex(types->findData("dailyConstancy"));
            QCOMPARE(ItemViews::tickedRows(dialog.findChild<QTableView *>()), (QList<int>{0, 1, 2, 3, 4}));
            ItemViews::toggleRow(dialog.findChild<QTableView *>(), 4);
        }
        type(&dialog, "descriptionLineEdit", "Weekly constancy");
        if (!typedDate.isEmpty()) { // as after a click on the day: typed section by section
            dialog.findChild<QDateEdit *>()->setSelectedSection(QDateTimeEdit::DaySection);
            QTest::keyClicks(dialog.findChild<QDateEdit *>(), typedDate);
        }
        type(&dialog, "frequencySpinBox", QString::number(typedDays));
        QTest::mouseClick(dialog.findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        const QVariantList groups =
            forDisplayB ? QVariantList{0u, 1u, 2u, 3u} : QVariantList{0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u};
        QCOMPARE(m_scheduler->store.tasks().value(3).toMap(),
                 (QVariantMap{{"id", idOf(draws.generate())},
                              {"date", expectedDate},
                              {"description", "Weekly constancy"},
                              {"frequency", expectedDays * kDay},
                              {"interval", expectedDays},
                              {"intervalUnit", "days"},
                              {"scheduledtestslist", groups},
                              {"display", forDisplayB ? kDisplayB : QVariantMap()},
                              {"testtype", forDisplayB ? "dailyConstancy" : "acceptance"}}));
        QCOMPARE(m_scheduler->store.tasks().value(3).toMap().value("frequency").userType(), int(QMetaType::ULongLong));
    }

    // Only a session of the task's display and type is a run of it; "any" and
    // the tasks stored before tasks named either take every session.
    void runOfTask_data()
    {
        QTest::addColumn<QVariantMap>("display");
        QTest::addColumn<QString>("testType");
        QTest::addColumn<QVariantMap>("session");
        QTest::addColumn<bool>("isRun");

        const QVariantMap &a = kDisplayA, &b = kDisplayB;
        QVariantMap bAnswered = b; // as the operator typed it, with its category
        bAnswered.insert({{"maker", " MAKER"}, {"model", "MD27 "}, {"category", "dental"}, {"roomClass", "RK5"}});
        const auto session = [](const QVariantMap &display, const QString &type) {
            return QVariantMap{{"display", display}, {"testtype", type}};
        };
        const QString periodic = "periodicConstancy";
        QTest::newRow("task of B, session of A") << b << periodic << session(a, periodic) << false;
        QTest::newRow("task of B, session of B as typed, with its category")
            << b << periodic << session(bAnswered, periodic) << true;
        QTest::newRow("task of B, session of another type") << b << periodic << session(b, "dailyConstancy") << false;
        QTest::newRow("task of B, session naming no display")
            << b << periodic << QVariantMap{{"testtype", periodic}} << false;
        QTest::newRow("task of B of any type") << b << "" << session(b, "acceptance") << true;
        QTest::newRow("task of any display, periodic") << QVariantMap() << periodic << session(a, periodic) << true;
        QTest::newRow("task stored before tasks named display and type")
            << QVariantMap() << "" << QVariantMap() << true;
        QTest::newRow("task of a blank display is of any display")
            << QVariantMap{{"maker", " "}} << "" << session(a, "") << true;
    }

    void runOfTask()
    {
        QFETCH(QVariantMap, display);
        QFETCH(QString, testType);
        QFETCH(QVariantMap, session);
        QTEST(TaskScheduler(taskFor(task("t", at(2026, 1, 1)), display, testType)).isRunBy(session), "isRun");
    }

    // Editing keeps the id, the last run, and a display and type this store
    // does not know as the task names them; the table shows the edited task.
    void editKeepsIdAndLastRun()
    {
        addTwoTasks();
        ModalAnswers::handle([](QDialog *dialog) {
            auto *view = dialog->findChild<QTableView *>();
            QCOMPARE(ItemViews::tickedRows(view), (QList<int>{0, 1, 2, 3, 5, 6}));
            QCOMPARE(dialog->findChild<QSpinBox *>()->value(), 199);
            type(dialog, "descriptionLineEdit", "Edited");
            for (int row : {0, 4, 6}) // required, not scheduled, scheduled
                ItemViews::toggleRow(view, row);
            QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        });
        SchedulerManager &model = m_scheduler->manager;
        QVariantMap stored = m_scheduler->store.tasks().constFirst().toMap();
        model.editTasks({"unknown", "weekly"});
        stored.insert("description", "Edited");
        stored.insert("scheduledtestslist", QVariantList{0u, 1u, 2u, 3u, 4u, 5u});
        // A task stored before units keeps its days, now with their unit.
        stored.insert({{"interval", 199}, {"intervalUnit", "days"}});
        QCOMPARE(m_scheduler->store.tasks().constFirst(), stored);
        // The table reloads when the dialog closes: every cell as the operator reads it.
        QTRY_COMPARE_WITH_TIMEOUT(model.index(0, 0).data().toString(), "Edited", Patience);
        const TR::Translator *tr = TR::Translator::instance();
        const QString buttons = tr->translate("delete") + "|" + tr->translate("edit") + "|" + tr->translate("start");
        const int columns = SchedulerManager::kColumnCount;
        QStringList cells;
        for (int cell = 0; cell < 2 * columns; ++cell)
            cells << model.index(cell / columns, cell % columns).data().toString();
        QCOMPARE(cells.join('|'), "Edited|OTHER X (SN 1)\nweeklyLook|05/01/2026|199 days|20/01/2026 - 09:15|" +
                                      buttons + "|Task once|Any display\nAny test type|02/02/2026|-||" + buttons);
        // The delete icon is drawn centred alone in its cell. (A click only where press and release meet: the
        // shared button cells in tst_storage's sessionsTable.)
        QStyleOptionViewItem option;
        option.rect = QRect(5, 7, 33, 25);
        QImage canvas(60, 40, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QImage expected = canvas;
        SchedulerItemDelegate().paint(std::make_unique<QPainter>(&canvas).get(), option,
                                      model.index(0, SchedulerManager::kColumnDelete));
        QPainter(&expected).drawPixmap(QPoint(10, 8), QPixmap(":/assets/deleteicon"));
        QCOMPARE(canvas, expected);
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
