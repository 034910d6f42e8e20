#include "mainwindow.h"

#include "answeredsession.h"
#include "configurationmanager.h"
#include "pdfprobe.h"
#include "savedsessionsmodel.h"
#include "schedulermanager.h"
#include "support/modalanswers.h"
#include "testconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

// The main window as the operator meets it, on the process-wide store of the
// test's working folder.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void receiveMessage_data();
    void receiveMessage();
    void languageChooser();
    void reportCellWritesThePreview();
    void deleteSessionAsksFirst();
    void failedSaveWarnsAtOnce();
    void queuePromptOpensOnce();

private:
    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    SavedSessionsModel *sessions() { return m_window->findChild<SavedSessionsModel *>(); }
    void clickSessionCell(int column);

    std::unique_ptr<MainWindow> m_window;
    QString m_languages;
};

const QString SettingsFile = QStringLiteral("Lumivex 2016.ini");

void TestMainWindow::initTestCase()
{
    QFile::remove(SettingsFile);
    // The window looks for languages beside the program. A file named with
    // capitals cannot be loaded and must not be offered.
    m_languages = QCoreApplication::applicationDirPath() + QStringLiteral("/LumivexLanguages");
    QVERIFY(QDir().mkpath(m_languages));
    QVERIFY(QFile::copy(LUMIVEX_TEST_DATA_DIR "/translation/languages/l_de.xml", m_languages + "/l_de.xml"));
    QVERIFY(QFile::copy(LUMIVEX_TEST_DATA_DIR "/translation/languages/l_it.xml", m_languages + "/l_it.XML"));
}

void TestMainWindow::init()
{
    m_window = std::make_unique<MainWindow>();
    m_window->show();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    QCOMPARE(ModalPrompt::pendingAnswers(), 0);
    ModalPrompt::reset();
}

void TestMainWindow::cleanupTestCase()
{
    QDir(m_languages).removeRecursively();
}

void TestMainWindow::receiveMessage_data()
{
    QTest::addColumn<bool>("startShown");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shown");

    QTest::newRow("empty message shows") << false << QString() << true;
    QTest::newRow("only separators shows") << false << QStringLiteral("#_##_#") << true;
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
    QCOMPARE(chooser->count(), 2);
    QCOMPARE(chooser->itemData(1).toString(), QStringLiteral("de"));

    QTest::keyClick(chooser, Qt::Key_Down);
    QCOMPARE(ConfigurationManager::instance()->localeSelected(), QStringLiteral("de"));
    QCOMPARE(newTest->text(), QStringLiteral("Einen neuen Test starten"));
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

void TestMainWindow::clickSessionCell(int column)
{
    QTest::mouseClick(child<QPushButton>("listSavedSessionPushButton"), Qt::LeftButton);
    auto *view = child<QTableView>("listSavedSessionsTableView");
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), view->parentWidget());
    const QPoint cell = view->visualRect(view->model()->index(0, column)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
}

void TestMainWindow::reportCellWritesThePreview()
{
    const QVariantMap record = AnsweredSession::fullRecord(QDateTime::currentDateTime(), true);
    sessions()->addSession(record.value("test_session").toMap(), "Dana Weber", 14, 3, 0, "Panel");
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("preview.pdf"));
    QString title;
    ModalAnswers::handle([&](QDialog *dialog) {
        title = dialog->windowTitle();
        static_cast<QPrintPreviewDialog *>(dialog)->printer()->setOutputFileName(pdf);
        dialog->findChild<QPrintPreviewWidget *>()->print();
    });
    clickSessionCell(SavedSessionsModel::ReportColumn);

    const QString date = sessions()->recordAt(0).value("date").toDateTime().toString("dd/MM/yyyy - HH:mm");
    QCOMPARE(title, QStringLiteral("Report - ") + date);
    const QString text = PdfProbe::text(PdfProbe::words(pdf));
    QVERIFY2(text.contains(QStringLiteral("Operator Dr. Anna Berger")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Were found 3 errors")), qPrintable(text));
}

void TestMainWindow::deleteSessionAsksFirst()
{
    sessions()->addSession({}, QStringLiteral("Ada"), 1, 0, 0, QStringLiteral("Panel"));
    const int rows = sessions()->rowCount();
    QString question;
    ModalAnswers::clickButton(QStringLiteral("No"), &question);
    clickSessionCell(SavedSessionsModel::DeleteColumn);
    QCOMPARE(question, QStringLiteral("Are you sure you want to delete the selected testing session?"));
    QCOMPARE(sessions()->rowCount(), rows);

    ModalAnswers::clickButton(QStringLiteral("Yes"));
    clickSessionCell(SavedSessionsModel::DeleteColumn);
    QCOMPARE(sessions()->rowCount(), rows - 1);
    QCOMPARE(QSettings(SettingsFile, QSettings::IniFormat).value("TEST_SESSIONS/list").toList().size(), rows - 1);
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

// A queue signal that comes while the prompt is open brings the open prompt up
// to date; the status line then shows the latest queue.
void TestMainWindow::queuePromptOpensOnce()
{
    const QDateTime due = QDateTime::currentDateTime().addDays(-1);
    const auto task = [&](const QString &id) {
        return QVariantMap{{"id", id}, {"description", "Task " + id}, {"date", due}, {"frequency", 86400000ULL}};
    };
    SchedulerManager *scheduler = SchedulerManager::instance();
    QStringList texts;
    ModalAnswers::handle([&](QDialog *dialog) {
        auto *prompt = static_cast<QMessageBox *>(dialog);
        texts << prompt->text();
        scheduler->addTask(task(QStringLiteral("B")));
        QTRY_VERIFY(prompt->text().contains(QStringLiteral("Task B")));
        texts << prompt->text();
        for (QAbstractButton *button : prompt->buttons()) {
            if (button->text() == QStringLiteral("Execute"))
                QTest::mouseClick(button, Qt::LeftButton);
        }
    });
    scheduler->addTask(task(QStringLiteral("A")));
    QTRY_COMPARE(texts.size(), 2);
    const QString status = child<QLabel>("statusLabel")->text();
    scheduler->removeTasks({QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(texts.at(0), QStringLiteral("There are tasks to be performed. What do you want to do?\n\nTask A\n"));
    QCOMPARE(texts.at(1), texts.at(0) + QStringLiteral("Task B\n"));
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(), QStringLiteral("schedulerPage"));
    QCOMPARE(status, QStringLiteral("There are pending tasks: \n- Task A\n- Task B"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
