#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "addtaskdialog.h"
#include "calibrationlauncher.h"
#include "calibrationsettingsfields.h"
#include "carriedoveranswers.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "dicomexportdialog.h"
#include "displaypreparation.h"
#include "displayrecord.h"
#include "displayspage.h"
#include "displaytasks.h"
#include "limitstable.h"
#include "localformats.h"
#include "metersettingspage.h"
#include "modalprompt.h"
#include "patternsourcewidget.h"
#include "recordfingerprint.h"
#include "overduetasks.h"
#include "reportgenerator.h"
#include "retentionpolicy.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "schedulerclock.h"
#include "scheduleritemdelegate.h"
#include "schedulermanager.h"
#include "screenfit.h"
#include "screenidentity.h"
#include "sessiondatabase.h"
#include "sessionwithdrawal.h"
#include "sitepage.h"
#include "sitesender.h"
#include "sitesettings.h"
#include "tablesizing.h"
#include "taskscheduler.h"
#include "tasktarget.h"
#include "testcontextwidget.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testitemsmodel.h"
#include "testsmanager.h"
#include "translator.h"
#include "unsavedexport.h"

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>

namespace {

const QString MessageSeparator = QStringLiteral("#_#");
const QString NoTask = QStringLiteral("-1");
const QString ProgramVersion = QStringLiteral("7.8.1.0");
const char *const TranslationKeyProperty = "defaultText";

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

// The key stays with the object so that a change of language re-labels it.
void setTranslatedText(QObject *object, const char *key)
{
    object->setProperty(TranslationKeyProperty, QString::fromLatin1(key));
    object->setProperty("text", translated(key));
}

QAction *createTranslatedAction(const char *key, QObject *parent)
{
    auto *action = new QAction(parent);
    setTranslatedText(action, key);
    return action;
}

QString brandLogoStyleSheet(const QString &brand)
{
    if (brand == QLatin1String("quenza"))
        return QStringLiteral("image: url(:/assets/assets/logo_quenza.JPG);");
    if (brand == QLatin1String("ardil"))
        return QStringLiteral("image: url(:/assets/assets/logo_ardil.JPG);");
    if (brand == QLatin1String("morvella"))
        return QStringLiteral("image: url(:/assets/assets/logo_morvella.png);");
    return QString();
}

bool trayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), m_ui(new Ui::MainWindow)
{
    m_ui->setupUi(this);
    setUpTranslator();

    m_scheduler = SchedulerManager::instance();
    m_currentTaskId = NoTask;
    m_reportGenerator = new ReportGenerator(this);
    m_store = ConfigurationManager::instance();

    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Lumivex"));

    m_translator->setLocale(m_store->localeSelected());
    m_translator->fillLanguageComboBox(m_ui->languageComboBox);
    m_selectedMonitor = QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen());

    createModels();
    m_testContext = new TestContextWidget(m_catalogue, m_ui->listTestPage);
    m_ui->listTestPageLayout->insertWidget(0, m_testContext);
    connect(m_testContext, &TestContextWidget::testTypeChosen, this, &MainWindow::tickGroups);
    m_patternSource = new PatternSourceWidget(m_ui->listTestPage);
    m_ui->listTestPageLayout->insertWidget(1, m_patternSource);
    addDisplaysPage();
    addDailyTestButton();
    connect(m_store, &ConfigurationManager::displayClassified, this,
            [this](const QVariantMap &display, const QString &category) {
                for (const QVariant &task : DisplayTasks::missing(m_store->tasks(), display, category, *m_catalogue,
                                                                  LimitsTable::current(), m_scheduler->clock()->now()))
                    m_scheduler->addTask(task.toMap());
            });
    setUpTray();
    selectStoredLanguage();

    addMeterPage();
    addDicomExport();
    m_ui->stackedWidget->setCurrentWidget(m_ui->homePage);
    m_ui->homePushButton->hide();
    applyBrandLogo();
    connectSignals();
    setUpSite();
}

MainWindow::~MainWindow()
{
    if (m_trayIcon)
        m_trayIcon->hide();
    releaseTestingSession();
    delete m_reportGenerator;
    delete m_savedSessions;
    delete m_taskPrompt;
    delete m_savedSessionsDelegate;
    delete m_ui;
    delete m_testingSession;
    delete m_catalogue;
    delete m_selectionModel;
    delete m_trayIcon;
    delete m_trayMenu;
    delete m_minimizeAction;
    delete m_exitAction;
    delete m_aboutAction;
}

void MainWindow::setUpTranslator()
{
    m_translator = TR::Translator::instance();
    m_translator->setLanguagePaths(TR::Translator::programLanguagePaths());
    m_translator->setModel(TR::defaultDictionary());
}

void MainWindow::createModels()
{
    m_catalogue = new TestsManager;
    createSelectionModel();
    m_savedSessions = new SavedSessionsModel(m_store, this);
    m_savedSessionsDelegate = new SavedSessionsItemDelegate(this);
    m_ui->listSavedSessionsTableView->setModel(m_savedSessions);
    m_ui->listSavedSessionsTableView->setItemDelegate(m_savedSessionsDelegate);
    // The stored count of test groups would read as a number of the test, which no test has.
    m_ui->listSavedSessionsTableView->setColumnHidden(SavedSessionsModel::TestCountColumn, true);
    createSchedulerDelegate();
    m_ui->schedulerTableView->setModel(m_scheduler);
    createTestingSession();
    // Every column fits its contents but the first, which takes the rest.
    for (QTableView *view : {m_ui->testsTableView, m_ui->listSavedSessionsTableView, m_ui->schedulerTableView})
        TableSizing::fix(view, 0);
}

void MainWindow::createSelectionModel()
{
    m_selectionModel = new TestItemsModel(nullptr, m_catalogue->groups());
    m_ui->testsTableView->setModel(m_selectionModel);
}

void MainWindow::createSchedulerDelegate()
{
    m_schedulerDelegate = new SchedulerItemDelegate(this);
    m_ui->schedulerTableView->setItemDelegate(m_schedulerDelegate);
    connect(m_schedulerDelegate, &SchedulerItemDelegate::buttonClicked, this, &MainWindow::schedulerButtonClicked);
}

void MainWindow::createTestingSession()
{
    m_testingSession = new TestingSession(this, nullptr, m_savedSessions);
    connect(m_testingSession, &TestingSession::sessionCompleted, this, &MainWindow::listSavedSessionsClicked);
    connect(m_testingSession, &TestingSession::sessionSucceeded, this, &MainWindow::updateTaskDate);
    connect(m_testingSession, &TestingSession::sessionSucceeded, this, [this](bool succeeded) {
        if (!succeeded)
            CalibrationLauncher(m_store, this).offerAfter(m_testingSession->completedDetails(), m_selectedMonitor);
    });
}

// The session must not reach into the catalogue's groups while the objects
// around it are torn down.
void MainWindow::releaseTestingSession()
{
    if (m_testingSession)
        m_testingSession->setGroups(nullptr);
}

void MainWindow::startSession(const TestingSession::Context &context, const QVariantMap &prefill)
{
    m_testingSession->setContext(context);
    m_testingSession->setViewer(m_patternSource->viewer());
    m_testingSession->setGroups(m_catalogue->selectedGroups());
    m_testingSession->prefill(prefill);
    m_testingSession->setTestIndex(0);
    m_testingSession->start(m_selectedMonitor);
}

void MainWindow::tickGroups(const QVariantList &groupNumbers)
{
    QSet<uint> numbers;
    for (const QVariant &number : groupNumbers)
        numbers.insert(number.toUInt());
    const QList<TestGroup *> &groups = *m_catalogue->groups();
    for (int row = 0; row < groups.size(); ++row) {
        const bool ticked = numbers.contains(groups.at(row)->number());
        setGroupTicked(row, ticked);
    }
}

void MainWindow::check(bool checked)
{
    const QList<TestGroup *> &groups = *m_catalogue->groups();
    for (int row = 0; row < groups.size(); ++row) {
        if (!groups.at(row)->required())
            setGroupTicked(row, checked);
    }
}

// Through the model, so that the list shows the change at once.
void MainWindow::setGroupTicked(int row, bool ticked)
{
    m_selectionModel->setData(m_selectionModel->index(row), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void MainWindow::runAddTaskDialog()
{
    AddTaskDialog dialog(this);
    connect(&dialog, &AddTaskDialog::addTask, m_scheduler, &SchedulerManager::addTask);
    ModalPrompt::exec(&dialog);
}

void MainWindow::setUpTray()
{
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayMenu = new QMenu;
    if (!m_minimizeAction)
        m_minimizeAction = createTranslatedAction("minimize", this);
    if (!m_exitAction)
        m_exitAction = createTranslatedAction("exit", this);
    if (!m_aboutAction)
        m_aboutAction = createTranslatedAction("about", this);
    m_trayMenu->addAction(m_aboutAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_minimizeAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_exitAction);
    m_trayIcon->setIcon(QIcon(QStringLiteral(":/icon")));
    m_trayIcon->setContextMenu(m_trayMenu);

    connect(m_minimizeAction, &QAction::triggered, this, &MainWindow::restoreMinimizeWindow);
    connect(m_exitAction, &QAction::triggered, this, &MainWindow::closeWasPressed);
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::trayIconActivated);
    m_trayIcon->show();
}

void MainWindow::selectStoredLanguage()
{
    QComboBox *chooser = m_ui->languageComboBox;
    for (int i = 0; i < chooser->count(); ++i) {
        if (chooser->itemData(i).toString() == m_store->localeSelected()) {
            chooser->setCurrentIndex(i);
            break;
        }
    }
    retranslate();
}

void MainWindow::retranslate()
{
    m_translator->translateObject(this, true);
    m_translator->translateObject(m_trayMenu, true);
    m_testContext->retranslate();
    m_patternSource->retranslate();
    m_displaysPage->reload();
    showSiteStatus();
}

// With a site database the station sends its records there and the home page
// offers the site page; without one, nothing of it exists.
void MainWindow::setUpSite()
{
    const SiteSettings settings = SiteSettings::read(m_store->fileName());
    if (!settings.isConfigured())
        return;
    m_siteSender = new SiteSender(settings, m_store->databaseFileName(), this);
    if (m_store->database())
        m_siteSender->watch(m_store->database());
    m_sitePage = new SitePage(m_siteSender, m_ui->stackedWidget);
    m_ui->stackedWidget->addWidget(m_sitePage);

    auto *button = new QPushButton(m_ui->homePage);
    button->setObjectName(QStringLiteral("sitePushButton"));
    setTranslatedText(button, "homePage_site");
    button->setMinimumSize(m_ui->schedulerPushButton->minimumSize());
    button->setMaximumSize(m_ui->schedulerPushButton->maximumSize());
    m_ui->homeButtonsLayout->insertWidget(m_ui->homeButtonsLayout->indexOf(m_ui->schedulerPushButton) + 1, button);
    auto *status = new QLabel(m_ui->homePage);
    status->setObjectName(QStringLiteral("siteStatusLabel"));
    status->setAlignment(Qt::AlignCenter);
    status->setWordWrap(true);
    status->setTextFormat(Qt::PlainText);
    m_ui->homePageLayout->insertWidget(m_ui->homePageLayout->indexOf(m_ui->statusLabel) + 1, status);

    connect(button, &QPushButton::clicked, this, [this] { showPage(m_sitePage); });
    connect(m_sitePage, &SitePage::reportRequested, this, &MainWindow::openReportPreview);
    connect(m_siteSender, &SiteSender::statusChanged, this, &MainWindow::showSiteStatus);
    m_siteSender->send();
}

void MainWindow::showSiteStatus()
{
    auto *label = findChild<QLabel *>(QStringLiteral("siteStatusLabel"));
    if (!label)
        return;
    QStringList lines;
    if (m_siteSender->waitingSessions() > 0)
        lines << translated("site_waiting").arg(LocalFormats::count(m_siteSender->waitingSessions()));
    if (!m_siteSender->lastFailure().isEmpty())
        lines << translated("site_sendFailed").arg(m_siteSender->lastFailure());
    label->setText(lines.join(QLatin1Char('\n')));
}

void MainWindow::applyBrandLogo()
{
    m_ui->frame_2->setStyleSheet(brandLogoStyleSheet(QStringLiteral(LUMIVEX_BRAND)));
}

void MainWindow::connectSignals()
{
    connect(m_ui->homePushButton, &QPushButton::clicked, this, &MainWindow::backToHomeClicked);
    connect(m_ui->newTestPushButton, &QPushButton::clicked, this, &MainWindow::newTestClicked);
    connect(m_ui->goTestPushButton, &QPushButton::clicked, this, &MainWindow::goTestClicked);
    connect(m_ui->listSavedSessionPushButton, &QPushButton::clicked, this, &MainWindow::listSavedSessionsClicked);
    connect(m_ui->checkAllPushButton, &QPushButton::clicked, this, &MainWindow::checkAll);
    connect(m_ui->checkNonePushButton, &QPushButton::clicked, this, &MainWindow::checkNone);
    connect(m_savedSessionsDelegate, &SavedSessionsItemDelegate::buttonClicked, this,
            &MainWindow::savedSessionsButtonClicked);
    connect(m_ui->showWithdrawnCheckBox, &QCheckBox::toggled, m_savedSessions, &SavedSessionsModel::setShowWithdrawn);
    connect(m_store, &ConfigurationManager::writeFailed, this, &MainWindow::warnWriteFailed);
    connect(m_ui->languageComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::languageChanged);
    connect(m_ui->schedulerPushButton, &QPushButton::clicked, this, &MainWindow::openScheduler);
    connect(m_scheduler, &SchedulerManager::executeTasks, this, &MainWindow::performTasks);
    connect(m_ui->addTaskPushButton, &QPushButton::clicked, this, &MainWindow::addTaskClicked);
    connect(m_ui->stackedWidget, &QStackedWidget::currentChanged, this, &MainWindow::stackedWidgetChanged);
    connect(m_ui->executePendingPushButton, &QPushButton::clicked, this, &MainWindow::performPendingTasks);
}

void MainWindow::addMeterPage()
{
    auto *page = new MeterSettingsPage(m_ui->stackedWidget);
    page->setObjectName(QStringLiteral("meterPage"));
    new CalibrationSettingsFields(page, m_store);
    m_ui->stackedWidget->addWidget(page);
    auto *button = new QPushButton(m_translator->translate(QStringLiteral("homePage_meter")), m_ui->homePage);
    button->setObjectName(QStringLiteral("meterPushButton"));
    button->setProperty("defaultText", QStringLiteral("homePage_meter"));
    addHomeButton(button);
    connect(button, &QPushButton::clicked, this, [this, page] {
        page->reload();
        showPage(page);
    });
}

// The home page's smaller buttons stand two by two, so that the page still fits a
// small screen at scale factor 2 as more of them come.
void MainWindow::addHomeButton(QPushButton *button)
{
    if (!m_homeButtonsGrid) {
        auto *row = new QHBoxLayout;
        m_homeButtonsGrid = new QGridLayout;
        row->addStretch();
        row->addLayout(m_homeButtonsGrid);
        row->addStretch();
        m_ui->homePageLayout->insertLayout(m_ui->homePageLayout->indexOf(m_ui->statusLabel), row);
    }
    const int placed = m_homeButtonsGrid->count();
    m_homeButtonsGrid->addWidget(button, placed / 2, placed % 2);
}

// The test set for the screen under test, to be shown by the viewing software.
void MainWindow::addDicomExport()
{
    auto *button = new QPushButton(m_ui->homePage);
    button->setObjectName(QStringLiteral("dicomExportPushButton"));
    setTranslatedText(button, "dicom_export");
    addHomeButton(button);
    connect(button, &QPushButton::clicked, this, [this] {
        DicomExportDialog dialog(screenItems(), m_selectedMonitor, this);
        ModalPrompt::exec(&dialog);
    });
}

// The test of every working day starts from the home page in one click; below, the tasks that are overdue.
void MainWindow::addDailyTestButton()
{
    m_overdueLabel = new QLabel(m_ui->homePage);
    m_overdueLabel->setObjectName(QStringLiteral("overdueLabel"));
    m_overdueLabel->setAlignment(Qt::AlignCenter);
    m_overdueLabel->setWordWrap(true);
    m_overdueLabel->setTextFormat(Qt::PlainText);
    m_overdueLabel->hide();
    m_ui->homePageLayout->insertWidget(m_ui->homePageLayout->indexOf(m_ui->statusLabel) + 1, m_overdueLabel);
    auto *button = new QPushButton(m_ui->homePage);
    button->setObjectName(QStringLiteral("dailyTestPushButton"));
    setTranslatedText(button, "plan_dailyTest");
    addHomeButton(button);
    connect(button, &QPushButton::clicked, this, [this] {
        m_testContext->setTestType(QStringLiteral("dailyConstancy"));
        goTestClicked();
    });
}

void MainWindow::addDisplaysPage()
{
    m_displaysPage = new DisplaysPage(m_store, m_ui->stackedWidget);
    m_ui->stackedWidget->addWidget(m_displaysPage);
    auto *button = new QPushButton(m_ui->homePage);
    button->setObjectName(QStringLiteral("displaysPushButton"));
    setTranslatedText(button, "homePage_displays");
    addHomeButton(button);
    connect(button, &QPushButton::clicked, this, [this] {
        m_displaysPage->reload();
        showPage(m_displaysPage);
    });
}

void MainWindow::showPage(QWidget *page)
{
    if (m_ui->stackedWidget->currentWidget() != page)
        m_ui->stackedWidget->setCurrentWidget(page);
}

void MainWindow::backToHomeClicked()
{
    m_ui->stackedWidget->setCurrentWidget(m_ui->homePage);
}

void MainWindow::newTestClicked()
{
    m_testContext->applyTestType();
    m_ui->stackedWidget->setCurrentWidget(m_ui->listTestPage);
}

void MainWindow::listSavedSessionsClicked()
{
    showPage(m_ui->listSavedSessionsPage);
}

void MainWindow::openScheduler()
{
    showPage(m_ui->schedulerPage);
}

void MainWindow::stackedWidgetChanged(int index)
{
    m_ui->homePushButton->setVisible(index != m_ui->stackedWidget->indexOf(m_ui->homePage));
}

void MainWindow::checkAll()
{
    check(true);
}

void MainWindow::checkNone()
{
    check(false);
}

// A session started here is the operator's own, whatever task ran before it.
void MainWindow::goTestClicked()
{
    startOnScreen(chooseScreen(translated("chooseMonitor")), NoTask);
}

QStringList MainWindow::screenItems() const
{
    QStringList items;
    for (int screen = 0; screen < QGuiApplication::screens().size(); ++screen) {
        const QString identity =
            ScreenIdentity::description(m_testingSession->screenIdentity().identity(screen));
        items << translated("display") + QString::number(screen) +
                     (identity.isEmpty() ? QString() : QStringLiteral(" - ") + identity);
    }
    return items;
}

// The index of the screen the operator chose; -1 when cancelled.
int MainWindow::chooseScreen(const QString &label)
{
    const QStringList items = screenItems();
    const QString chosen =
        ModalPrompt::chooseItem(this, QStringLiteral(" "), label, items, translated("ok"), translated("cancel"));
    return chosen.isNull() ? -1 : items.indexOf(chosen);
}

// The first connected screen whose own identity is that display's; -1 when none is.
int MainWindow::screenOf(const QString &displayKey) const
{
    for (int screen = 0; screen < QGuiApplication::screens().size(); ++screen) {
        const ScreenIdentity::Identity identity = m_testingSession->screenIdentity().identity(screen);
        const QVariantMap display{{QStringLiteral("maker"), identity.manufacturer},
                                  {QStringLiteral("model"), identity.model},
                                  {QStringLiteral("serial"), identity.serialNumber}};
        if (DisplayRecord::key(display) == displayKey)
            return screen;
    }
    return -1;
}

// Nothing starts when no screen was chosen or the display's preparation was
// cancelled. The task is the one whose run the session will be, or NoTask.
void MainWindow::startOnScreen(int screen, const QString &taskId)
{
    if (screen < 0)
        return;
    if (!m_patternSource->isComplete()) {
        tell(QMessageBox::Warning, translated("dicom_viewerNameMissing"));
        return;
    }
    m_selectedMonitor = screen;
    const QString chosenType = m_testContext->context().testType;
    const auto prepared = DisplayPreparation(m_store, this)
                              .prepare(m_testingSession->screenIdentity().identity(m_selectedMonitor), chosenType);
    if (!prepared)
        return;
    // The first test of a display without reference values may have become its acceptance test.
    if (prepared->context.testType != chosenType)
        m_testContext->setTestType(prepared->context.testType);
    TestingSession::Context context = prepared->context;
    if (const TestsManager::TestType *type = m_catalogue->testType(context.testType)) {
        context.onlySubgroups = type->onlySubgroups;
        context.confirmedGroups =
            CarriedOverAnswers::confirm(this, type->carriedOver, prepared->prefill, prepared->prefillDate);
    }
    m_currentTaskId = taskId;
    startSession(context, prepared->prefill);
}

void MainWindow::updateTaskDate(bool bSucceeded)
{
    if (m_currentTaskId == NoTask)
        return;
    const TaskScheduler *task = m_scheduler->taskById(m_currentTaskId);
    const bool runOfTask = bSucceeded && task && task->isRunBy(m_testingSession->completedDetails());
    m_scheduler->performTasks(runOfTask ? QStringList{m_currentTaskId} : QStringList());
}

// A task for a display starts on that display's screen, or asks for another
// one when it is not connected; a task for any display asks as a new test does.
void MainWindow::startTaskTests(const QString &taskId)
{
    const TaskScheduler *task = m_scheduler->taskById(taskId);
    if (!task)
        return;
    const QVariantMap display = task->display();
    const QVariantList groups = task->scheduledTests();
    if (!task->testType().isEmpty())
        m_testContext->setTestType(task->testType());
    tickGroups(groups);
    const QString displayKey = DisplayRecord::key(display);
    int screen = displayKey.isEmpty() ? -1 : screenOf(displayKey);
    if (screen < 0)
        screen = chooseScreen(displayKey.isEmpty()
                                  ? translated("chooseMonitor")
                                  : translated("task_displayNotConnected").arg(TaskTarget::displayText(display)));
    startOnScreen(screen, taskId);
}

bool MainWindow::confirm(const char *key)
{
    const QList<ModalPrompt::Button> buttons = {{translated("no"), QMessageBox::RejectRole},
                                                {translated("yes"), QMessageBox::AcceptRole}};
    return ModalPrompt::question(this, QMessageBox::Warning, translated("attention"), translated(key), buttons) == 1;
}

void MainWindow::savedSessionsButtonClicked(QModelIndex index, const QAbstractItemModel *)
{
    if (index.column() == SavedSessionsModel::ReportColumn) {
        QVariantMap record = m_savedSessions->recordAt(index.row());
        // A stored session's report carries the fingerprint of its record.
        if (!record.isEmpty() && m_savedSessions->isSaved(index.row()))
            record.insert(RecordFingerprint::UuidKey, m_savedSessions->summaryAt(index.row()).value("uuid"));
        if (record.isEmpty())
            tell(QMessageBox::Warning, translated("sessionUnreadable"), m_store->database()->errorString());
        else
            openReportPreview(record);
    } else if (index.column() == SavedSessionsModel::DeleteColumn) {
        SessionWithdrawal(m_store, m_savedSessions, RetentionPolicy::standard())
            .run(this, index.row(), QDate::currentDate());
        showPage(m_ui->listSavedSessionsPage);
    }
}

void MainWindow::schedulerButtonClicked(QModelIndex index, const QAbstractItemModel *)
{
    const TaskScheduler *task = index.row() < 0 ? nullptr : m_scheduler->taskAt(index.row());
    if (!task)
        return;
    const QString id = task->id();
    switch (index.column()) {
    case SchedulerManager::kColumnDelete:
        if (confirm("confirm_deleteScheduler")) {
            m_scheduler->removeTasks({id});
            showPage(m_ui->schedulerPage);
        }
        break;
    case SchedulerManager::kColumnEdit:
        m_scheduler->editTasks({id});
        break;
    case SchedulerManager::kColumnStart:
        startTaskTests(id);
        break;
    default:
        break;
    }
}

void MainWindow::openReportPreview(const QVariantMap &record)
{
    m_reportSession = record;
    QPrinter printer(QPrinter::HighResolution);
    ReportGenerator::setUpPrinter(&printer, record);
    const QString reports = QFileInfo(m_store->databaseFileName()).absoluteDir().filePath(QStringLiteral("reports"));
    QDir().mkpath(reports);
    printer.setOutputFileName(ReportGenerator::reportPath(reports, record));
    QPrintPreviewDialog preview(&printer, this, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // A report is read page by page: the whole screen, each page as wide as the window.
    ScreenFit::fit(&preview, ScreenFit::availableGeometry(this).size());
    preview.findChild<QPrintPreviewWidget *>()->setZoomMode(QPrintPreviewWidget::FitToWidth);
    const QString date = LocalFormats::dateTime(record.value(QStringLiteral("date")).toDateTime());
    preview.setWindowTitle(translated("report") + QStringLiteral(" - ") + date);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &MainWindow::printPreview);
    ModalPrompt::exec(&preview);
}

void MainWindow::printPreview(QPrinter *printer)
{
    QPainter painter;
    m_reportGenerator->generate(printer, &painter, m_reportSession);
}

void MainWindow::tell(QMessageBox::Icon icon, const QString &text, const QString &detail)
{
    const QString message = detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail;
    ModalPrompt::question(this, icon, translated("attention"), message, {{translated("ok"), QMessageBox::AcceptRole}});
}

QString MainWindow::shownPath(const QString &fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

void MainWindow::warnWriteFailed(ConfigurationManager::Write what, const QString &reason)
{
    static const QMap<ConfigurationManager::Write, const char *> keys = {
        {ConfigurationManager::SessionWrite, "saveFailed"},
        {ConfigurationManager::SessionDeletion, "deleteFailed"},
        {ConfigurationManager::TaskWrite, "taskSaveFailed"},
        {ConfigurationManager::TaskDeletion, "deleteFailed"},
        {ConfigurationManager::LanguageWrite, "languageSaveFailed"},
        {ConfigurationManager::DisplayWrite, "displaySaveFailed"}};
    const QString file = what == ConfigurationManager::LanguageWrite ? m_store->fileName() : m_store->databaseFileName();
    tell(QMessageBox::Warning, translated(keys.value(what)).arg(shownPath(file)), reason);
}

// What the store found at start-up, told once the window is there.
void MainWindow::reportStoreStart()
{
    const ConfigurationManager::StartReport &start = m_store->startReport();
    if (!start.unavailable.isEmpty())
        tell(QMessageBox::Critical, translated("storeUnavailable").arg(shownPath(m_store->databaseFileName())),
             start.unavailable);
    if (!start.damagedCopy.isEmpty())
        tell(QMessageBox::Warning, translated("storeDamaged").arg(shownPath(start.damagedCopy)),
             translated("records_recovered")
                 .arg(LocalFormats::count(start.recoveredSessions), LocalFormats::count(start.recoveredTasks),
                      LocalFormats::count(start.unrecoveredRows)));
    if (!start.importFailed.isEmpty())
        tell(QMessageBox::Warning, translated("importFailed").arg(shownPath(m_store->fileName())), start.importFailed);
    if (start.skippedRecords > 0)
        tell(QMessageBox::Warning,
             translated("importSkipped").arg(LocalFormats::count(start.skippedRecords)).arg(shownPath(start.importBackup)));
}

void MainWindow::languageChanged(int index)
{
    const QString code = m_ui->languageComboBox->itemData(index).toString();
    if (code == m_store->localeSelected())
        return;
    m_store->setLocaleSelected(code);
    retranslate();
    m_ui->statusLabel->setText(statusText(m_queuedIds, m_queuedNextIds));
}

void MainWindow::showAbout()
{
    const QString text = QStringLiteral("Lumivex v. ") + ProgramVersion + QLatin1Char('\n') + translated("aboutRights");
    ModalPrompt::question(this, QMessageBox::Information, translated("about"), text,
                          {{translated("ok"), QMessageBox::AcceptRole}});
}

void MainWindow::addTaskClicked()
{
    runAddTaskDialog();
    showPage(m_ui->schedulerPage);
}

QStringList MainWindow::taskDescriptions(const QStringList &ids) const
{
    QStringList descriptions;
    for (const QString &id : ids) {
        if (const TaskScheduler *task = m_scheduler->taskById(id))
            descriptions << task->description();
    }
    return descriptions;
}

QString MainWindow::promptText(const QStringList &ids) const
{
    QString text = translated("scheduler_executionQueue") + QStringLiteral("\n\n");
    for (const QString &description : taskDescriptions(ids))
        text += description + QLatin1Char('\n');
    return text;
}

QString MainWindow::statusText(const QStringList &ids, const QStringList &nextIds) const
{
    const QDateTime now = m_scheduler->clock()->now();
    if (!ids.isEmpty())
        return translated("pendingTaskMessage") + QStringLiteral("\n- ") +
               taskDescriptions(ids).join(QStringLiteral("\n- ")) + clockErrorText(ids, now);
    const TaskScheduler *next = nextIds.isEmpty() ? nullptr : m_scheduler->taskById(nextIds.first());
    if (next)
        return translated("nextTaskMessage") +
               LocalFormats::date(next->nextExecution(now.toLocalTime().date()).toLocalTime().date());
    return QString();
}

// Why a task whose last run lies in the future is due: the clock was once set ahead.
QString MainWindow::clockErrorText(const QStringList &ids, const QDateTime &now) const
{
    QStringList aheadIds;
    for (const QString &id : ids) {
        const TaskScheduler *task = m_scheduler->taskById(id);
        if (task && task->lastRunInFuture(now))
            aheadIds << id;
    }
    if (aheadIds.isEmpty())
        return QString();
    return QStringLiteral("\n") + translated("clockErrorMessage") + QStringLiteral("\n- ") +
           taskDescriptions(aheadIds).join(QStringLiteral("\n- "));
}

bool MainWindow::askToExecuteTasks(const QStringList &ids)
{
    if (!m_taskPrompt) {
        m_taskPrompt = new QMessageBox(this);
        m_taskPrompt->setIcon(QMessageBox::Information);
        m_taskPrompt->setTextFormat(Qt::PlainText);
        setTranslatedText(m_taskPrompt->addButton(QString(), QMessageBox::RejectRole), "ignore");
        setTranslatedText(m_taskPrompt->addButton(QString(), QMessageBox::AcceptRole), "execute");
    }
    m_taskPrompt->setWindowTitle(translated("info"));
    m_taskPrompt->setText(promptText(ids));
    return ModalPrompt::exec(m_taskPrompt) == 1;
}

void MainWindow::performTasks(QStringList ids, QStringList nextIds)
{
    m_queuedIds = ids;
    m_queuedNextIds = nextIds;
    // The queue may speak again while the operator is still looking at the
    // prompt: a second prompt would stack on the first, so the open one is
    // brought up to date instead.
    if (m_taskPrompt && m_taskPrompt->isVisible()) {
        m_taskPrompt->setText(promptText(ids));
        return;
    }
    const bool execute =
        !ids.isEmpty() && m_ui->stackedWidget->currentWidget() != m_ui->schedulerPage && askToExecuteTasks(ids);
    m_ui->executePendingPushButton->hide();
    if (execute)
        showPage(m_ui->schedulerPage);
    m_ui->statusLabel->setText(statusText(m_queuedIds, m_queuedNextIds));
    showOverdue();
}

// On the home page, the displays page and, once a day, in the tray.
void MainWindow::showOverdue()
{
    const QDateTime now = m_scheduler->clock()->now();
    const QList<OverdueTasks::Entry> overdue = OverdueTasks::of(m_scheduler->allTasks(), now);
    const QString lines = OverdueTasks::lines(overdue);
    m_overdueLabel->setText(translated("plan_overdueTasks") + QLatin1Char('\n') + lines);
    m_overdueLabel->setVisible(!overdue.isEmpty());
    QMap<QString, QString> byDisplay;
    const QMap<QString, int> days = OverdueTasks::byDisplay(overdue);
    for (auto display = days.cbegin(); display != days.cend(); ++display)
        byDisplay.insert(display.key(), OverdueTasks::daysText(display.value()));
    m_displaysPage->setOverdue(byDisplay);
    const QDate today = now.toLocalTime().date();
    if (!overdue.isEmpty() && m_trayIcon && m_trayIcon->isVisible() && OverdueTasks::tellAgain(m_overdueTold, today)) {
        m_trayIcon->showMessage(translated("plan_overdueTasks"), lines);
        m_overdueTold = today;
    }
}

void MainWindow::performPendingTasks()
{
    m_scheduler->performNotPerformedTasks();
    m_ui->stackedWidget->setCurrentWidget(m_ui->listTestPage);
    showWindow();
}

void MainWindow::startApp()
{
    QStringList arguments = QCoreApplication::arguments();
    QString described;
    if (arguments.size() <= 1) {
        arguments << QStringLiteral("-show");
        described = QStringLiteral("NO PARAMS");
    } else {
        QStringList options;
        for (const QString &argument : arguments.mid(1)) {
            if (argument != arguments.first())
                options << argument;
        }
        described = QLatin1Char('[') + options.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    qDebug().noquote() << "-----> APPLICATION STARTED WITH PARAMETERS:" << described;
    handleArguments(arguments);
    if (!m_quitRequested) {
        reportStoreStart();
        warnBrokenLimits();
    }
}

// A broken site file of limits is said at start: the built-in limits judge until it is mended.
void MainWindow::warnBrokenLimits()
{
    const QString problem = LimitsTable::current().siteProblem();
    if (problem.isEmpty())
        return;
    ModalPrompt::question(this, QMessageBox::Warning, translated("attention"),
                          translated("limits_siteFileBroken") + QLatin1Char('\n') + problem,
                          {{translated("ok"), QMessageBox::AcceptRole}});
}

void MainWindow::receiveMessage(QString message)
{
    handleArguments(message.split(MessageSeparator, Qt::SkipEmptyParts));
}

void MainWindow::handleArguments(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        showWindow();
        return;
    }
    if (arguments.contains(QStringLiteral("-close"), Qt::CaseInsensitive)) {
        closeWasPressed();
        return;
    }
    if (arguments.contains(QStringLiteral("-hide"), Qt::CaseInsensitive))
        minimizeWindow();
    if (arguments.contains(QStringLiteral("-show"), Qt::CaseInsensitive))
        showWindow();
}

// Qt knows which of its windows has the focus; that stands in for asking the
// window system for its stacking order, which has no portable interface.
bool MainWindow::isInFront() const
{
    return isActiveWindow();
}

void MainWindow::bringToFront()
{
    activateWindow();
    setFocus();
}

void MainWindow::showWindow()
{
    // Sized from the screen it opens on, so that nothing is cut off on a small
    // or high-density screen.
    if (!m_fittedToScreen) {
        ScreenFit::fit(this, size());
        m_fittedToScreen = true;
    }
    if (isHidden() || isMinimized()) {
        showNormal();
        activateWindow();
    } else if (!isInFront()) {
        bringToFront();
    }
    setTranslatedText(m_minimizeAction, "minimize");
}

// Without a system tray a hidden window could not be reached again, so it is
// minimised to the task bar instead.
void MainWindow::minimizeWindow()
{
    if (!trayAvailable())
        showMinimized();
    else if (!isHidden())
        hide();
    setTranslatedText(m_minimizeAction, "restore");
}

void MainWindow::restoreMinimizeWindow()
{
    if (isHidden() || isMinimized())
        showWindow();
    else if (!isInFront())
        bringToFront();
    else
        minimizeWindow();
}

void MainWindow::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        restoreMinimizeWindow();
}

void MainWindow::closeWasPressed()
{
    close();
    quitApplication();
}

void MainWindow::quitApplication()
{
    if (!m_quitRequested)
        UnsavedExport::offerOnExit(this, m_store);
    m_quitRequested = true;
    if (m_trayIcon)
        m_trayIcon->hide();
    QCoreApplication::exit(0);
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const bool wasMinimized = static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized;
        if (wasMinimized && !isMinimized() && isVisible())
            logShown();
        if (isMinimized() && !wasMinimized && trayAvailable()) {
            // Minimising sends the window to the tray instead of the task bar.
            QTimer::singleShot(0, this, &QWidget::hide);
            event->ignore();
            return;
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    quitApplication();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!isMinimized())
        logShown();
}

// The moment the operator can see the window, for the start-up measurements.
void MainWindow::logShown()
{
    qDebug().noquote() << "[MainWindow] Window shown";
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    qDebug().noquote() << "[MainWindow] Window hidden";
}
