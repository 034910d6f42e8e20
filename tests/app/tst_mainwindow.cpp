#include "mainwindow.h"

#include "configurationmanager.h"
#include "localformats.h"
#include "pdfprobe.h"
#include "savedsessionsmodel.h"
#include "scheduler/schedulertesting.h"
#include "screenfit.h"
#include "screenidentity.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/sessiondriver.h"
#include "testingsession.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>

const QString SettingsFile = QStringLiteral("Lumivex 2016.ini");
// The answer to the offer of an acceptance test for a display without reference values.
const QString KeepType = QStringLiteral("Keep the chosen type");

// A monitor that names itself, in place of the offscreen desktop's screens.
class Md27 : public ScreenIdentity
{
public:
    Identity identity(int) const override { return {"MAKER", "MD27", "12345678", {4200, 2800}, {597, 336}}; }
    static inline const QString chooserItem = QStringLiteral("Display: 0 - MAKER MD27 (SN 12345678), 4200 x 2800");
};

// The main window as the operator meets it, on the process-wide store of the
// test's working folder and the language files shipped beside the program.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const QString &file : {SettingsFile, QStringLiteral("Lumivex.sqlite"), QStringLiteral("Lumivex.sqlite-wal")})
            QFile::remove(file);
    }

    void init()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->findChild<TestingSession *>()->setScreenIdentity(std::make_unique<Md27>());
        m_window->show();
    }

    void cleanup()
    {
        m_window.reset();
        SchedulerManager::instance()->setClock(nullptr);
        QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
        QCOMPARE(ModalPrompt::pendingAnswers(), 0);
        ModalPrompt::reset();
    }

    // The offscreen desktop has no tray: a hidden window could not be reached
    // again, so "-hide" minimises it. "-show" is read after "-hide".
    void hideWithoutTrayMinimises()
    {
        m_window->receiveMessage(QStringLiteral("/opt/lumivex#_#-Hide"));
        QVERIFY(m_window->isVisible() && m_window->isMinimized());
        m_window->receiveMessage(QStringLiteral("/opt/lumivex#_#-show#_#-hide"));
        QVERIFY(m_window->isVisible() && !m_window->isMinimized());
    }

    // A daily constancy test of the display under test, answered with the operator's
    // name, an illuminance above the room class and zeros, its report printed from
    // the preview, then deleted.
    void testRunFromHomeToDeletedReport()
    {
        click("newTestPushButton");
        QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        auto *type = child<QComboBox>("testTypeComboBox");
        type->setCurrentIndex(type->findData(QStringLiteral("dailyConstancy")));
        QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4}));
        // A display not known before: its category and room class are asked, and it is offered an acceptance test.
        QString warning;
        QString classified;
        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::handle([&](QDialog *dialog) {
            classified = dialog->findChild<QLabel *>("displayLabel")->text();
            auto *roomClass = dialog->findChild<QComboBox *>("roomClassComboBox");
            roomClass->setCurrentIndex(roomClass->findData(QStringLiteral("RK1")));
            dialog->accept();
        });
        ModalAnswers::clickButton(QStringLiteral("Keep the chosen type"));
        ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
        click("goTestPushButton");
        QCOMPARE(classified, QStringLiteral("MAKER MD27 (SN 12345678)"));
        QVERIFY(!runSession(QStringLiteral("60")).contains(QStringLiteral("test_05_02_00")));
        QCOMPARE(warning, QStringLiteral(
                              "1 errors were encountered.\n\u2022 Ambient illuminance: 60 lx, at most 50 lx: failed"));
        QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Dana Weber"));
        QCOMPARE(sessions()->index(0, SavedSessionsModel::StatusColumn).data(Qt::DecorationRole).value<QImage>(),
                 QImage(QStringLiteral(":/assets/xicon")));

        const QString pdf = QDir::current().absoluteFilePath(QStringLiteral("preview.pdf"));
        QString defaultFile;
        QSize previewSize;
        QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
        ModalAnswers::handle([&](QDialog *dialog) {
            defaultFile = static_cast<QPrintPreviewDialog *>(dialog)->printer()->outputFileName();
            previewSize = dialog->size();
            zoom = dialog->findChild<QPrintPreviewWidget *>()->zoomMode();
            static_cast<QPrintPreviewDialog *>(dialog)->printer()->setOutputFileName(pdf);
            dialog->findChild<QPrintPreviewWidget *>()->print();
        });
        auto *table = child<QTableView>("listSavedSessionsTableView");
        QVERIFY(table->isColumnHidden(SavedSessionsModel::TestCountColumn));
        ItemViews::clickCell(table, 0, SavedSessionsModel::ReportColumn);
        // The preview fills the screen's available area, pages fit to its width; the report goes to the data folder.
        QCOMPARE(previewSize, ScreenFit::availableGeometry(m_window.get()).size() - ScreenFit::frameAllowance());
        QCOMPARE(zoom, QPrintPreviewWidget::FitToWidth);
        const QDateTime started = sessions()->recordAt(0).value("date").toDateTime();
        QCOMPARE(defaultFile, QFileInfo(ConfigurationManager::instance()->databaseFileName())
                                  .absoluteDir()
                                  .filePath("reports/" + started.toString("yyyyMMdd-HHmm") + ".pdf"));
        QVERIFY(QFileInfo(defaultFile).dir().exists());
        const QString text = PdfProbe::text(PdfProbe::words(pdf));
        QVERIFY2(text.contains(QStringLiteral("Operator Dana Weber")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Were found 1 errors")), qPrintable(text));
        for (const QString &line : {QStringLiteral("Daily constancy test for display devices"),
                                    QStringLiteral("Display MAKER MD27 (SN 12345678)"),
                                    QStringLiteral("Ambient illuminance 60 lx, at most 50 lx: failed"),
                                    "Category chosen on " + LocalFormats::date(QDate::currentDate())})
            QVERIFY2(text.contains(line), qPrintable(text));

        // The display page lists the display with its class and the failed test.
        click("homePushButton");
        click("displaysPushButton");
        QCOMPARE(currentPage(), QStringLiteral("displaysPage"));
        const QAbstractItemModel *displays = child<QTableView>("displaysTableView")->model();
        QCOMPARE(displays->rowCount(), 1);
        QCOMPARE(displays->index(0, 2).data().toString(), QStringLiteral("RK1 (up to 50 lx)"));
        QCOMPARE(displays->index(0, 6).data().toString(), QStringLiteral("failed"));
        click("homePushButton");
        click("listSavedSessionPushButton");

        ModalAnswers::clickButton(QStringLiteral("No"));
        ItemViews::clickCell(table, 0, SavedSessionsModel::DeleteColumn);
        QCOMPARE(sessions()->rowCount(), 1);
        ModalAnswers::clickButton(QStringLiteral("Yes"));
        ItemViews::clickCell(table, 0, SavedSessionsModel::DeleteColumn);
        QCOMPARE(sessions()->rowCount(), 0);
        QCOMPARE(ConfigurationManager(SettingsFile).sessions().size(), 0);
    }

    // A task of the required groups and group 4, created today while the clock
    // still stands two days before; it falls due when the clock moves on.
    void scheduledTaskRun()
    {
        SchedulerManager *scheduler = SchedulerManager::instance();
        m_clock.moment = QDateTime::currentDateTime().addDays(-2);
        scheduler->setClock(&m_clock);
        click("schedulerPushButton");
        ModalAnswers::handle([](QDialog *dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit *>("descriptionLineEdit"), QStringLiteral("Weekly"));
            auto *type = dialog->findChild<QComboBox *>("testTypeComboBox");
            type->setCurrentIndex(type->findData(QStringLiteral("dailyConstancy")));
            QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        });
        click("addTaskPushButton");
        QTRY_COMPARE(scheduler->rowCount(), 1);
        const QString id = scheduler->taskAt(0)->id();
        click("homePushButton");

        // A queue signal that comes while the prompt is open only updates it.
        QString prompt;
        ModalAnswers::handle([&](QDialog *dialog) {
            scheduler->processQueue();
            ModalAnswers::clickButtonOf(dialog, QStringLiteral("Execute"), &prompt);
        });
        m_clock.moment = QDateTime::currentDateTime().addDays(1);
        scheduler->processQueue();
        QTRY_COMPARE(currentPage(), QStringLiteral("schedulerPage"));
        QCOMPARE(prompt, QStringLiteral("There are tasks to be performed. What do you want to do?\n\nWeekly\n"));

        // After a cancelled choice a passing run of the same groups is not the task's.
        ModalAnswers::chooseItem(QString());
        ItemViews::clickCell(child<QTableView>("schedulerTableView"), 0, SchedulerManager::kColumnStart);
        QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4}));
        // The display has no reference values yet: each run keeps the task's type when offered an acceptance test.
        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::clickButton(KeepType);
        click("goTestPushButton");
        runSession();
        QVERIFY(
            !ConfigurationManager::instance()->tasks().value(0).toMap().value("lastperformed").toDateTime().isValid());
        click("schedulerPushButton");
        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::clickButton(KeepType);
        ItemViews::clickCell(child<QTableView>("schedulerTableView"), 0, SchedulerManager::kColumnStart);
        runSession();
        QTRY_COMPARE(scheduler->taskById(id)->lastPerformed(), m_clock.moment);
        scheduler->removeTasks({id});
    }

    // A task for display B does not start on display A, the one connected: the
    // operator is asked, and may cancel or test A instead, which does not
    // perform the task. A task for A starts on A at once and its session
    // performs it. Both sessions are of the tasks' type and list as such.
    void taskRunsOnItsOwnDisplay()
    {
        SchedulerManager *scheduler = SchedulerManager::instance();
        m_clock.moment = QDateTime::currentDateTime();
        scheduler->setClock(&m_clock);
        const QVariantMap a{{"maker", "MAKER"}, {"model", "MD27"}, {"serial", "12345678"}};
        const QVariantMap b{{"maker", "MAKER"}, {"model", "MD27"}, {"serial", "87654321"}};
        for (const auto &[id, display] : {std::make_pair("forB", b), std::make_pair("forA", a)}) {
            QVariantMap record = task(id, m_clock.moment.addDays(1), 7 * kDay);
            record.insert("display", display);
            record.insert("testtype", "dailyConstancy");
            scheduler->addTask(record);
        }
        QTRY_COMPARE(scheduler->rowCount(), 2);
        click("schedulerPushButton");
        auto *tasks = child<QTableView>("schedulerTableView");
        const auto lastRun = [scheduler](const char *id) { return scheduler->taskById(id)->lastPerformed(); };

        QString asked;
        ModalAnswers::handle([&](QDialog *dialog) {
            asked = static_cast<QInputDialog *>(dialog)->labelText();
            dialog->reject();
        });
        ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
        QCOMPARE(asked, QStringLiteral("The display of this task, MAKER MD27 (SN 87654321), is not connected.\n"
                                       "Choose another screen to test, or cancel."));
        QVERIFY(!m_window->findChild<TestingSession *>()->frame()->isVisible());

        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::clickButton(KeepType);
        ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
        runSession();
        QCOMPARE(sessions()->index(0, SavedSessionsModel::TestTypeColumn).data(), "Daily constancy test");
        QCOMPARE(sessions()->index(0, SavedSessionsModel::DisplayColumn).data(), "MAKER MD27 (SN 12345678)");
        QVERIFY(!lastRun("forB").isValid());

        click("schedulerPushButton");
        ModalAnswers::clickButton(KeepType);
        ItemViews::clickCell(tasks, 1, SchedulerManager::kColumnStart);
        runSession();
        QTRY_COMPARE(lastRun("forA"), m_clock.moment);
        QVERIFY(!lastRun("forB").isValid());

        // A later test of the operator's own, of the same display and type, is not the task's run.
        const QDateTime performed = m_clock.moment;
        m_clock.moment = performed.addSecs(3600);
        const int stored = sessions()->rowCount();
        click("newTestPushButton");
        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::clickButton(KeepType);
        click("goTestPushButton");
        runSession();
        QCOMPARE(sessions()->rowCount(), stored + 1);
        // Read from the store: the queue's tasks are brought up to date only when the event loop runs.
        const QVariantList records = ConfigurationManager::instance()->tasks();
        const auto forA = std::find_if(records.cbegin(), records.cend(),
                                       [](const QVariant &record) { return record.toMap().value("id") == "forA"; });
        QVERIFY(forA != records.cend());
        QCOMPARE(forA->toMap().value("lastperformed").toDateTime(), performed);
        scheduler->removeTasks({"forA", "forB"});
    }

    // Task descriptions and translations are shown as written, in every label and prompt; a daily task last
    // run five years ahead (a clock once set ahead) is due, and the status line says why.
    void textsShownAsWritten()
    {
        SchedulerManager *scheduler = SchedulerManager::instance();
        m_clock.moment = QDateTime::currentDateTime();
        scheduler->setClock(&m_clock);
        const QString markup = QStringLiteral("<img src=\"desk.png\"><i>Desk</i>");
        QVariantMap ahead = task("ahead", m_clock.moment.addDays(-3), kDay, m_clock.moment.addYears(5));
        ahead.insert("description", markup);
        QString prompt;
        ModalAnswers::clickButton(QStringLiteral("Ignore"), &prompt);
        scheduler->addTask(ahead);
        QTRY_VERIFY(prompt.contains(markup));
        auto *status = child<QLabel>("statusLabel");
        QTRY_COMPARE(status->text(), "There are pending tasks: \n- " + markup +
                                         "\nThe last run lies in the future (was the clock set ahead?), so this task "
                                         "is due now:\n- " +
                                         markup);
        for (const QLabel *label : m_window->centralWidget()->findChildren<QLabel *>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        scheduler->removeTasks({"ahead"});
    }

    // Another process holds the database: the session stays on the list,
    // marked, and the operator is told at once what was not saved and where.
    void failedSaveWarnsAtOnce()
    {
        const QString database = ConfigurationManager::instance()->databaseFileName();
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            locker.setDatabaseName(database);
            QVERIFY(locker.open() && QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QString warning;
            ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
            sessions()->addSession({}, QStringLiteral("Ada"), 1, 0, 0, QStringLiteral("Panel"));
            QVERIFY2(warning.contains(database) && warning.contains(QStringLiteral("database is locked")),
                     qPrintable(warning));
            QVERIFY2(warning.contains(QStringLiteral("kept only until the program ends")), qPrintable(warning));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Ada - not saved"));
    }

    // Last, as it leaves German chosen for the tests that follow in this process.
    void languageChooser()
    {
        auto *chooser = child<QComboBox>("languageComboBox");
        chooser->setCurrentIndex(chooser->findData(QStringLiteral("en")));
        QTest::keyClick(chooser, Qt::Key_Down);
        QCOMPARE(ConfigurationManager::instance()->localeSelected(), QStringLiteral("de"));
        QCOMPARE(child<QPushButton>("newTestPushButton")->text(), QStringLiteral("Neue Prüfung starten"));
        const QList<QAction *> actions = m_window->findChildren<QAction *>();
        QVERIFY(std::any_of(actions.begin(), actions.end(), [](QAction *a) { return a->text() == "Minimieren"; }));

        child<QPushButton>("newTestPushButton")->setText(QStringLiteral("unchanged"));
        m_window->languageChanged(chooser->currentIndex());
        QCOMPARE(child<QPushButton>("newTestPushButton")->text(), QStringLiteral("unchanged"));
    }

private:
    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    void click(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QString currentPage() { return child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(); }
    SavedSessionsModel *sessions() { return m_window->findChild<SavedSessionsModel *>(); }
    // Answered with the operator's name, the illuminance and zeros.
    QStringList runSession(const QString &illuminance = QStringLiteral("40"))
    {
        return SessionDriver::runUntil(m_window->findChild<TestingSession *>(),
                                       {{"content00000000", "Dana Weber"}, {"content03030002", illuminance}});
    }

    std::unique_ptr<MainWindow> m_window;
    FixedClock m_clock;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
