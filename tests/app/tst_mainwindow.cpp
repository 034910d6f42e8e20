#include "mainwindow.h"

#include "configurationmanager.h"
#include "pdfprobe.h"
#include "savedsessionsmodel.h"
#include "scheduler/schedulertesting.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/sessiondriver.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>

const QString SettingsFile = QStringLiteral("Lumivex 2016.ini");

// The main window as the operator meets it, on the process-wide store of the
// test's working folder and the language files shipped beside the program.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void receiveMessage_data();
    void receiveMessage();
    void languageChooser();
    void testRunFromHomeToDeletedReport();
    void scheduledTaskRun();
    void failedSaveWarnsAtOnce();

private:
    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    void click(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QString currentPage() { return child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(); }
    SavedSessionsModel *sessions() { return m_window->findChild<SavedSessionsModel *>(); }
    TestingSession *session() { return m_window->findChild<TestingSession *>(); }

    std::unique_ptr<MainWindow> m_window;
    FixedClock m_clock;
};

void TestMainWindow::initTestCase()
{
    QFile::remove(SettingsFile);
}

void TestMainWindow::init()
{
    m_window = std::make_unique<MainWindow>();
    m_window->show();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    SchedulerManager::instance()->setClock(nullptr);
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    QCOMPARE(ModalPrompt::pendingAnswers(), 0);
    ModalPrompt::reset();
}

void TestMainWindow::receiveMessage_data()
{
    QTest::addColumn<bool>("startShown");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shown");

    QTest::newRow("empty message shows") << false << QString() << true;
    QTest::newRow("program path alone changes nothing") << false << QStringLiteral("/opt/lumivex") << false;
    QTest::newRow("-SHOW in capitals") << false << QStringLiteral("/opt/lumivex#_#-SHOW") << true;
    QTest::newRow("-Hide without a tray minimises") << true << QStringLiteral("/opt/lumivex#_##_#-Hide#_#") << false;
    QTest::newRow("-hide and -show ends shown") << true << QStringLiteral("x#_#-show#_#-hide") << true;
    QTest::newRow("an option must be a whole argument") << true << QStringLiteral("x#_#a-hide") << true;
}

// The offscreen desktop has no tray: a hidden window could not be reached again,
// so "-hide" leaves it visible and minimised.
void TestMainWindow::receiveMessage()
{
    QFETCH(bool, startShown);
    QFETCH(QString, message);
    QFETCH(bool, shown);

    if (!startShown)
        m_window->hide();
    m_window->receiveMessage(message);
    QCOMPARE(m_window->isVisible() && !m_window->isMinimized(), shown);
    QCOMPARE(m_window->isVisible(), startShown || shown);
}

void TestMainWindow::languageChooser()
{
    auto *chooser = child<QComboBox>("languageComboBox");
    auto *newTest = child<QPushButton>("newTestPushButton");
    chooser->setCurrentIndex(chooser->findData(QStringLiteral("en")));
    QTest::keyClick(chooser, Qt::Key_Down);
    QCOMPARE(chooser->currentData().toString(), QStringLiteral("de"));
    QCOMPARE(ConfigurationManager::instance()->localeSelected(), QStringLiteral("de"));
    QCOMPARE(newTest->text(), QStringLiteral("Neue Prüfung starten"));
    QStringList trayTexts;
    for (const QAction *action : m_window->findChildren<QAction *>())
        trayTexts << action->text();
    QVERIFY2(trayTexts.contains(QStringLiteral("Minimieren")), qPrintable(trayTexts.join(',')));

    newTest->setText(QStringLiteral("unchanged"));
    m_window->languageChanged(chooser->currentIndex());
    QCOMPARE(newTest->text(), QStringLiteral("unchanged"));

    QTest::keyClick(chooser, Qt::Key_Up);
    QCOMPARE(ConfigurationManager::instance()->localeSelected(), QStringLiteral("en"));
}

// A new test of every group but one, answered with the operator's name and zeros, its
// report printed from the preview, then deleted.
void TestMainWindow::testRunFromHomeToDeletedReport()
{
    click("newTestPushButton");
    QCOMPARE(currentPage(), QStringLiteral("listTestPage"));
    auto *list = child<QTableView>("testsTableView");
    QCOMPARE(ItemViews::tickedRows(list), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    ItemViews::toggleRow(list, 7);

    QStringList monitors;
    QString warning;
    ModalAnswers::chooseItem(QStringLiteral("Display: 0"), &monitors);
    ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
    click("goTestPushButton");
    QCOMPARE(monitors, QStringList{QStringLiteral("Display: 0")});
    const QStringList shown = SessionDriver::runUntil(session(), {{"content00000000", "Dana Weber"}});
    QVERIFY(!shown.contains(QStringLiteral("test_07_01_00")));
    QCOMPARE(warning, QStringLiteral("1 errors were encountered."));
    QCOMPARE(currentPage(), QStringLiteral("listSavedSessionsPage"));
    QCOMPARE(sessions()->rowCount(), 1);
    QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Dana Weber"));
    QCOMPARE(sessions()->index(0, SavedSessionsModel::StatusColumn).data(Qt::DecorationRole).value<QImage>(),
             QImage(QStringLiteral(":/assets/xicon")));

    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("preview.pdf"));
    ModalAnswers::handle([&](QDialog *dialog) {
        static_cast<QPrintPreviewDialog *>(dialog)->printer()->setOutputFileName(pdf);
        dialog->findChild<QPrintPreviewWidget *>()->print();
    });
    auto *table = child<QTableView>("listSavedSessionsTableView");
    ItemViews::clickCell(table, 0, SavedSessionsModel::ReportColumn);
    const QString text = PdfProbe::text(PdfProbe::words(pdf));
    QVERIFY2(text.contains(QStringLiteral("Operator Dana Weber")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Were found 1 errors")), qPrintable(text));

    ModalAnswers::clickButton(QStringLiteral("No"));
    ItemViews::clickCell(table, 0, SavedSessionsModel::DeleteColumn);
    QCOMPARE(sessions()->rowCount(), 1);
    ModalAnswers::clickButton(QStringLiteral("Yes"));
    ItemViews::clickCell(table, 0, SavedSessionsModel::DeleteColumn);
    QCOMPARE(sessions()->rowCount(), 0);
    QCOMPARE(QSettings(SettingsFile, QSettings::IniFormat).value("TEST_SESSIONS/list").toList().size(), 0);
}

// A task of the required groups and group 4, created today while the clock
// still stands two days before; it falls due when the clock moves on.
void TestMainWindow::scheduledTaskRun()
{
    SchedulerManager *scheduler = SchedulerManager::instance();
    m_clock.moment = QDateTime::currentDateTime().addDays(-2);
    scheduler->setClock(&m_clock);
    click("schedulerPushButton");
    ModalAnswers::handle([](QDialog *dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit *>("descriptionLineEdit"), QStringLiteral("Weekly"));
        ItemViews::toggleRow(dialog->findChild<QTableView *>("testsTableView"), 4);
        QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    });
    click("addTaskPushButton");
    QTRY_COMPARE(scheduler->rowCount(), 1);
    const QString id = scheduler->taskAt(0)->id();
    click("homePushButton");
    QTRY_COMPARE(child<QLabel>("statusLabel")->text(),
                 "Next test must be executed on: " + QDate::currentDate().toString("dd/MM/yyyy"));

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

    auto *tasks = child<QTableView>("schedulerTableView");
    ModalAnswers::chooseItem(QString());
    ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
    QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4}));
    // After a cancelled choice a passing run of the same groups is not the task's.
    ModalAnswers::chooseItem(QStringLiteral("Display: 0"));
    click("goTestPushButton");
    SessionDriver::runUntil(session(), {{"content00000000", "Dana Weber"}});
    QCOMPARE(currentPage(), QStringLiteral("listSavedSessionsPage"));
    QVERIFY(!ConfigurationManager::instance()->tasks().value(0).toMap().value("lastperformed").toDateTime().isValid());
    click("schedulerPushButton");
    ModalAnswers::chooseItem(QStringLiteral("Display: 0"));
    ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
    SessionDriver::runUntil(session(), {{"content00000000", "Dana Weber"}});
    QTRY_COMPARE(scheduler->taskById(id)->lastPerformed(), m_clock.moment);
    scheduler->removeTasks({id});
}

// A folder where the file should be cannot be replaced, not even by root.
void TestMainWindow::failedSaveWarnsAtOnce()
{
    QVERIFY(QFile::remove(SettingsFile));
    QVERIFY(QDir().mkdir(SettingsFile));
    QString warning;
    ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
    const bool saved = sessions()->addSession({}, QStringLiteral("Ada"), 1, 0, 0, QStringLiteral("Panel"));
    QVERIFY(QDir().rmdir(SettingsFile));

    QVERIFY(!saved);
    QVERIFY2(warning.contains(QDir::current().absoluteFilePath(SettingsFile)), qPrintable(warning));
    QVERIFY2(warning.contains(QStringLiteral("kept only until the program ends")), qPrintable(warning));
    QCOMPARE(sessions()->data(sessions()->index(0, 0)).toString(), QStringLiteral("Ada - not saved"));
    QCOMPARE(sessions()->data(sessions()->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
