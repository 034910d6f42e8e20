#include "mainwindow.h"

#include "calibrationsettings.h"
#include "configurationmanager.h"
#include "displaysmodel.h"
#include "limitstable.h"
#include "localformats.h"
#include "metersettingspage.h"
#include "pdfprobe.h"
#include "savedsessionsmodel.h"
#include "scheduler/schedulertesting.h"
#include "schedulermanager.h"
#include "screenfit.h"
#include "screenidentity.h"
#include "support/cataloguesteps.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "support/storefiles.h"
#include "taskinterval.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "unsavedexport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>

const QString SettingsFile = QStringLiteral("Lumivex 2016.ini");

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
        for (const QString &file :
             {SettingsFile, QStringLiteral("Lumivex.sqlite"), QStringLiteral("Lumivex.sqlite-wal"),
              QStringLiteral("Lumivex unsaved sessions.json")})
            QFile::remove(file);
    }

    void init()
    {
        // A dialog no test expects (a due task's prompt after a failure, say) is rejected and counted, not waited on.
        ModalAnswers::rejectUnexpectedDialogs();
        m_window = std::make_unique<MainWindow>();
        m_window->findChild<TestingSession *>()->setScreenIdentity(std::make_unique<Md27>());
        m_window->show();
    }

    void cleanup()
    {
        m_window.reset();
        // The tasks a test made, also those a failure left behind, would fall due in the next test.
        removeAllTasks();
        SchedulerManager::instance()->setClock(nullptr);
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(left.unanswered, 0);
        QCOMPARE(left.pending, 0);
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

    // A daily constancy test of a display not tested before, answered with the operator's
    // name and zeros, its report printed from the preview, then deleted. It reads no
    // illuminance: the daily test is the composite pattern's visual check alone.
    void testRunFromHomeToDeletedReport()
    {
        click("newTestPushButton");
        choose(child<QComboBox>("testTypeComboBox"), "dailyConstancy");
        // The environment group is required, but the daily test leaves it out.
        QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4}));
        // A display not known before: its category and room class are asked, and it is offered an acceptance test.
        QString classified;
        ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::handle([&](QDialog *dialog) {
            classified = dialog->findChild<QLabel *>("displayLabel")->text();
            choose(dialog->findChild<QComboBox *>("roomClassComboBox"), "RK1");
            dialog->accept();
        });
        ModalAnswers::clickButton(QStringLiteral("Keep the chosen type"));
        click("goTestPushButton");
        QCOMPARE(classified, QStringLiteral("MAKER MD27 (SN 12345678)"));
        const QStringList shown = runSession();
        QVERIFY(!shown.contains(QStringLiteral("test_03_01_00")) && !shown.contains(QStringLiteral("test_05_02_00")));
        QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Dana Weber"));
        QCOMPARE(sessions()->index(0, SavedSessionsModel::StatusColumn).data(Qt::DecorationRole).value<QImage>(),
                 QImage(QStringLiteral(":/assets/checkicon")));

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
        // The session's own parts of the report: the day its display was classified, no illuminance.
        const QString text = PdfProbe::text(PdfProbe::words(pdf));
        QVERIFY2(text.contains("Category chosen on " + LocalFormats::date(QDate::currentDate())) &&
                     !text.contains(QStringLiteral("Ambient illuminance")),
                 qPrintable(text));

        // "Delete" withdraws: who and why are asked, and a session the law still asks to keep is withdrawn only
        // when asked twice, saying why: a constancy test for five years, an acceptance test's record until three
        // years after the display's next acceptance test.
        answerWithdrawal(QString());
        ItemViews::clickCell(table, 0, SavedSessionsModel::DeleteColumn);
        QVERIFY(sessions()->addSession({}, QStringLiteral("Acceptor"), 1, 0, 0, QStringLiteral("Panel"),
                                       {{QStringLiteral("testtype"), QStringLiteral("acceptance")}}));
        using Kept = std::pair<QString, QString>;
        for (const auto &[type, until] :
             {Kept{"Acceptance test", "3 years after its next acceptance test"},
              Kept{"Daily constancy test", LocalFormats::date(QDate::currentDate().addYears(5))}}) {
            const int rows = sessions()->rowCount();
            const QString why = withdrawNewest(QStringLiteral("No"));
            QCOMPARE(sessions()->rowCount(), rows);
            QVERIFY2(why.contains(type) && why.contains(until) && why.contains(QStringLiteral("§ 117")),
                     qPrintable(why));
            withdrawNewest(QStringLiteral("Yes"));
            QCOMPARE(sessions()->rowCount(), rows - 1);
        }
        const QVariantList stored = ConfigurationManager(SettingsFile).sessions();
        QCOMPARE(stored.size(), 2);
        const QVariantMap withdrawal = stored.first().toMap().value("withdrawal").toMap();
        QCOMPARE(withdrawal.value("withdrawnBy").toString(), QStringLiteral("Q. Officer"));
        QCOMPARE(withdrawal.value("reason").toString(), QStringLiteral("wrong display"));
        child<QCheckBox>("showWithdrawnCheckBox")->click();
        QCOMPARE(sessions()->rowCount(), 2);
        QVERIFY(sessions()->index(0, 0).data(Qt::FontRole).value<QFont>().strikeOut());
        // Classifying the display made its daily and periodic tasks (tests/scheduler checks which).
        QCOMPARE(ConfigurationManager::instance()->tasks().size(), 2);
    }

    // A task of the required groups and group 4, created today while the clock
    // still stands two days before; it falls due when the clock moves on.
    void scheduledTaskRun()
    {
        SchedulerManager *scheduler = schedulerAt(QDateTime::currentDateTime().addDays(-2));
        click("schedulerPushButton");
        ModalAnswers::handle([](QDialog *dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit *>("descriptionLineEdit"), QStringLiteral("Weekly"));
            choose(dialog->findChild<QComboBox *>("testTypeComboBox"), "dailyConstancy");
            QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        });
        click("addTaskPushButton");
        QTRY_COMPARE_WITH_TIMEOUT(scheduler->rowCount(), 1, Patience);
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
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), QStringLiteral("schedulerPage"), Patience);
        QCOMPARE(prompt, QStringLiteral("There are tasks to be performed. What do you want to do?\n\nWeekly\n"));

        // After a cancelled choice a passing run of the same groups is not the task's.
        ModalAnswers::chooseItem(QString());
        ItemViews::clickCell(child<QTableView>("schedulerTableView"), 0, SchedulerManager::kColumnStart);
        QCOMPARE(ItemViews::tickedRows(child<QTableView>("testsTableView")), (QList<int>{0, 1, 2, 3, 4}));
        answerPreparation(true, false);
        click("goTestPushButton");
        runSession();
        QVERIFY(!storedLastRun(id).isValid());
        click("schedulerPushButton");
        answerPreparation(true, true);
        ItemViews::clickCell(child<QTableView>("schedulerTableView"), 0, SchedulerManager::kColumnStart);
        runSession();
        QTRY_COMPARE_WITH_TIMEOUT(storedLastRun(id), m_clock.moment, Patience);
    }

    // A task for display B does not start on display A, the one connected: the
    // operator is asked, and may cancel or test A instead, which does not
    // perform the task. A task for A starts on A at once and its session
    // performs it. Both sessions are of the tasks' type and list as such.
    void taskRunsOnItsOwnDisplay()
    {
        SchedulerManager *scheduler = schedulerAt(QDateTime::currentDateTime());
        for (const auto &[id, display] : {std::make_pair("forB", kDisplayB), std::make_pair("forA", kDisplayA)}) {
            QVariantMap record = task(id, m_clock.moment.addDays(1), 7 * kDay);
            record.insert("display", display);
            record.insert("testtype", "dailyConstancy");
            scheduler->addTask(record);
        }
        QTRY_COMPARE_WITH_TIMEOUT(scheduler->rowCount(), 2, Patience);
        click("schedulerPushButton");
        auto *tasks = child<QTableView>("schedulerTableView");

        QString asked;
        ModalAnswers::handle([&](QDialog *dialog) {
            asked = static_cast<QInputDialog *>(dialog)->labelText();
            dialog->reject();
        });
        ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
        QCOMPARE(asked, QStringLiteral("The display of this task, MAKER MD27 (SN 87654321), is not connected.\n"
                                       "Choose another screen to test, or cancel."));
        QVERIFY(!m_window->findChild<TestingSession *>()->frame()->isVisible());

        answerPreparation(true, true);
        ItemViews::clickCell(tasks, 0, SchedulerManager::kColumnStart);
        runSession();
        QCOMPARE(sessions()->index(0, SavedSessionsModel::TestTypeColumn).data(), "Daily constancy test");
        QCOMPARE(sessions()->index(0, SavedSessionsModel::DisplayColumn).data(), "MAKER MD27 (SN 12345678)");
        QVERIFY(!storedLastRun("forB").isValid());

        click("schedulerPushButton");
        answerPreparation(false, true);
        ItemViews::clickCell(tasks, 1, SchedulerManager::kColumnStart);
        runSession();
        QTRY_COMPARE_WITH_TIMEOUT(storedLastRun("forA"), m_clock.moment, Patience);

        // A later test of the operator's own, of the same display and type, is not the task's run.
        const QDateTime performed = m_clock.moment;
        m_clock.moment = performed.addSecs(3600);
        const int stored = sessions()->rowCount();
        click("newTestPushButton");
        answerPreparation(true, true);
        click("goTestPushButton");
        runSession();
        QCOMPARE(sessions()->rowCount(), stored + 1);
        QCOMPARE(storedLastRun("forA"), performed);
    }

    // Task descriptions and translations are shown as written, in every label and prompt; a daily task last
    // run five years ahead (a clock once set ahead) is due since its start, and the status line says why. The
    // home page and the displays page say it is overdue (display A is known from the first session's test).
    void textsShownAsWritten()
    {
        SchedulerManager *scheduler = schedulerAt(QDateTime::currentDateTime());
        const QString markup = QStringLiteral("<img src=\"desk.png\"><i>Desk</i>");
        QVariantMap ahead = task("ahead", m_clock.moment.addDays(-3), kDay, m_clock.moment.addYears(5));
        ahead.insert("description", markup);
        ahead.insert("display", kDisplayA);
        QString prompt;
        ModalAnswers::clickButton(QStringLiteral("Ignore"), &prompt);
        scheduler->addTask(ahead);
        QTRY_VERIFY_WITH_TIMEOUT(prompt.contains(markup), Patience);
        auto *status = child<QLabel>("statusLabel");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(),
                                  "There are pending tasks: \n- " + markup +
                                      "\nThe last run lies in the future (was the clock set ahead?), so this task "
                                      "is due now:\n- " +
                                      markup,
                                  Patience);
        auto *overdueLabel = child<QLabel>("overdueLabel");
        QVERIFY(overdueLabel->isVisibleTo(m_window.get()));
        QCOMPARE(overdueLabel->text(), "Overdue tasks:\n" + markup + ": 3 days overdue");
        for (const QLabel *label : m_window->centralWidget()->findChildren<QLabel *>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        click("displaysPushButton");
        const QAbstractItemModel *displays = child<QTableView>("displaysTableView")->model();
        QStringList overdue;
        for (int row = 0; row < displays->rowCount(); ++row)
            overdue << displays->index(row, DisplaysModel::OverdueColumn).data().toString();
        QVERIFY2(overdue.contains("3 days overdue"), qPrintable(overdue.join('|')));
        removeAllTasks();
        QTRY_VERIFY_WITH_TIMEOUT(!overdueLabel->isVisibleTo(m_window.get()), Patience);
    }

    // Another process holds the database: the session stays on the list,
    // marked, and the operator is told at once what was not saved and where.
    // At the end the operator may export it; the next save that succeeds stores it.
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
            QVERIFY2(warning.contains(database) && warning.contains(QStringLiteral("database is locked")) &&
                         warning.contains(QStringLiteral("stored as soon as a save succeeds")),
                     qPrintable(warning));
            const QString exported = QDir::current().absoluteFilePath(QStringLiteral("exported.json"));
            QString offer;
            ModalAnswers::clickButton(QStringLiteral("Export"), &offer);
            ModalAnswers::handle([&](QDialog *dialog) {
                static_cast<QFileDialog *>(dialog)->selectFile(exported);
                dialog->done(QDialog::Accepted);
            });
            ModalAnswers::clickButton(QStringLiteral("OK"));
            UnsavedExport::offerOnExit(m_window.get(), ConfigurationManager::instance());
            QVERIFY2(offer.startsWith(QStringLiteral("1 testing sessions could not be saved.")), qPrintable(offer));
            QVERIFY(QString::fromUtf8(fileBytes(exported)).contains(QStringLiteral("\"Ada\"")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Ada - not saved"));
        const int rows = sessions()->rowCount();
        QVERIFY(sessions()->addSession({}, QStringLiteral("Bea"), 1, 0, 0, QStringLiteral("Panel")));
        QCOMPARE(sessions()->rowCount(), rows + 1);
        QCOMPARE(sessions()->index(0, 0).data().toString(), QStringLiteral("Bea"));
        QCOMPARE(sessions()->index(1, 0).data().toString(), QStringLiteral("Ada"));
    }

    // A refused limits file is said at start, with its reason; the built-in table judges.
    void refusedLimitsFileSaidAtStart()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("limits.json"));
        writeBytes(file, R"({"version":"s1","roomClasses":{"id":"RK1"}})");
        LimitsTable::setCurrent(LimitsTable::load(file));
        QString warning;
        ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
        m_window->startApp();
        LimitsTable::setCurrent(LimitsTable::load(QString()));
        QVERIFY2(warning.contains(QStringLiteral("\"roomClasses\" must be a list")), qPrintable(warning));
    }

    // Near the end: the display it stores stays in the working folder's store.
    void dailyTestFromHome()
    {
        TestsManager catalogue;
        for (Test *test : catalogueSteps(catalogue)) {
            for (TestContent *content : *test->content()) {
                content->setResultBoolean(true);
                content->setResultText(QStringLiteral("0"));
            }
        }
        firstAnswer(catalogue, 0)->setResultText("Dana Weber");
        firstAnswer(catalogue, 1)->setResultText("Clinic A");
        QVariantMap groups;
        for (const TestGroup *group : *catalogue.groups())
            groups.insert(QString::number(group->number()), group->toVariantMap());
        QVERIFY(ConfigurationManager::instance()->classifyDisplay(kDisplayA, "mammography", "RK1"));
        QVERIFY(sessions()->addSession(
            groups, "Dana Weber", 8, 0, 0, " (MAKER - MD27)",
            {{"display", kDisplayA}, {"testtype", "acceptance"}, {"measured", QVariantMap{{"maxLuminance", 300.0}}}}));
        const int before = sessions()->rowCount();

        ModalAnswers::chooseItem(Md27::chooserItem);
        QString question;
        ModalAnswers::clickButton(QStringLiteral("Unchanged"), &question);
        click("dailyTestPushButton");
        QVERIFY2(question.contains("Unchanged since " + LocalFormats::date(QDate::currentDate()) + "?"),
                 qPrintable(question));
        const QStringList shown = SessionDriver::runUntil(m_window->findChild<TestingSession *>(), {});
        QVERIFY2(std::all_of(shown.cbegin(), shown.cend(), [](const QString &id) { return id.startsWith("test_04_"); }),
                 qPrintable(shown.join(',')));
        // One click starts, two answer the questions before, each check takes its verdict and the next step.
        QVERIFY(3 + 2 * shown.size() <= 15);
        QCOMPARE(sessions()->rowCount(), before + 1);
        const QVariantMap record = sessions()->recordAt(0);
        QCOMPARE(record.value("testtype").toString(), QStringLiteral("dailyConstancy"));
        QCOMPARE(record.value("tester").toString(), QStringLiteral("Dana Weber"));
        QCOMPARE(record.value("nfailedtestcontents").toInt(), 0);
        const QStringList stored = record.value("test_session").toMap().keys();
        QCOMPARE(stored, (QStringList{"0", "1", "2", "4"}));
        TestsManager reread;
        for (TestGroup *group : *reread.groups())
            group->setResults(record.value("test_session").toMap().value(QString::number(group->number())).toMap());
        QCOMPARE(firstAnswer(reread, 1)->resultText(), QStringLiteral("Clinic A"));
        QCOMPARE(firstAnswer(reread, 0)->resultText(), QStringLiteral("Dana Weber"));
    }

    // German chosen is stored and re-labels the window. In German the screens write values as German does: the
    // task's start date, its interval with a unit. The calibration's settings are saved with the meter's.
    void germanNotationsAndCalibrationSettings()
    {
        auto *chooser = child<QComboBox>("languageComboBox");
        choose(chooser, "de");
        QCOMPARE(ConfigurationManager::instance()->localeSelected(), QStringLiteral("de"));
        QCOMPARE(child<QPushButton>("newTestPushButton")->text(), QStringLiteral("Neue Prüfung starten"));
        QString shownDate;
        ModalAnswers::handle([&](QDialog *dialog) {
            shownDate = dialog->findChild<QDateEdit *>("scheduledDateEdit")->text();
            dialog->findChild<QLineEdit *>("descriptionLineEdit")->setText(QStringLiteral("Halbjährlich"));
            choose(dialog->findChild<QComboBox *>("testTypeComboBox"), "periodicConstancy");
            choose(dialog->findChild<QComboBox *>("intervalUnitComboBox"), int(TaskInterval::Days));
            dialog->findChild<QSpinBox *>("frequencySpinBox")->setValue(182);
            QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
        });
        click("schedulerPushButton");
        click("addTaskPushButton");
        QCOMPARE(shownDate, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        const QAbstractItemModel *tasks = child<QTableView>("schedulerTableView")->model();
        QTRY_VERIFY_WITH_TIMEOUT(!tasks->match(tasks->index(0, 0), Qt::DisplayRole, "Halbjährlich").isEmpty(),
                                 Patience);
        const int row = tasks->match(tasks->index(0, 0), Qt::DisplayRole, "Halbjährlich").first().row();
        QCOMPARE(tasks->index(row, SchedulerManager::kColumnFrequency).data().toString(), QStringLiteral("182 Tage"));
        for (const auto &[program, levels] : {std::pair{"/usr/bin/dispwin", 17}, std::pair{"", 33}}) {
            child<QLineEdit>("calibrationProgramLineEdit")->setText(program);
            child<QSpinBox>("calibrationLevelsSpinBox")->setValue(levels);
            QVERIFY(m_window->findChild<MeterSettingsPage *>()->save());
            QSettings settings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
            const CalibrationSettings saved = CalibrationSettings::load(settings);
            QCOMPARE(saved.program + ' ' + QString::number(saved.levels), program + (' ' + QString::number(levels)));
        }
        choose(chooser, "en");
    }

private:
    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    static void choose(QComboBox *box, const QVariant &data) { box->setCurrentIndex(box->findData(data)); }
    // The first answer of a group: the operator's name in group 0, the institution (which has no id) in group 1.
    static TestContent *firstAnswer(const TestsManager &catalogue, int group)
    {
        return catalogue.groups()->at(group)->subgroups()->first()->tests()->first()->content()->first();
    }
    void click(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QString currentPage() { return child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(); }
    SavedSessionsModel *sessions() { return m_window->findChild<SavedSessionsModel *>(); }
    // The scheduler on the test's clock, standing at that moment.
    SchedulerManager *schedulerAt(const QDateTime &moment)
    {
        m_clock.moment = moment;
        SchedulerManager::instance()->setClock(&m_clock);
        return SchedulerManager::instance();
    }
    static void removeAllTasks()
    {
        QStringList ids;
        for (const QVariant &task : ConfigurationManager::instance()->tasks())
            ids << task.toMap().value("id").toString();
        SchedulerManager::instance()->removeTasks(ids);
    }
    // A task's last run as the store holds it: the queue's copies are brought up to date only when the event
    // loop runs.
    static QDateTime storedLastRun(const QString &id)
    {
        for (const QVariant &task : ConfigurationManager::instance()->tasks()) {
            if (task.toMap().value("id") == id)
                return task.toMap().value("lastperformed").toDateTime();
        }
        return {};
    }
    // Answers the questions before a session of MD27: the screen is chosen when asked; as the display has no
    // reference values, the task's type is kept when an acceptance test is offered; once the display has a
    // session, its daily test offers that session's answers for confirmation, which are given anew.
    static void answerPreparation(bool screenAsked, bool tested)
    {
        if (screenAsked)
            ModalAnswers::chooseItem(Md27::chooserItem);
        ModalAnswers::clickButton(QStringLiteral("Keep the chosen type"));
        if (tested)
            ModalAnswers::clickButton(QStringLiteral("Answer them anew"));
    }
    // Answers the question who withdraws a session and why; a blank reason cancels it.
    static void answerWithdrawal(const QString &reason)
    {
        ModalAnswers::handle([reason](QDialog *dialog) {
            dialog->findChild<QLineEdit *>("byLineEdit")->setText(QStringLiteral("Q. Officer"));
            dialog->findChild<QPlainTextEdit *>("reasonPlainTextEdit")->setPlainText(reason);
            auto *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
            if (ok->isEnabled())
                ok->click();
            else
                dialog->reject();
        });
    }
    // Withdraws the newest session of the list as a wrong display's, with that answer to the question whether to
    // withdraw a record still to be kept; returns the question.
    QString withdrawNewest(const QString &answer)
    {
        QString question;
        answerWithdrawal(QStringLiteral("wrong display"));
        ModalAnswers::clickButton(answer, &question);
        ItemViews::clickCell(child<QTableView>("listSavedSessionsTableView"), 0, SavedSessionsModel::DeleteColumn);
        return question;
    }
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
