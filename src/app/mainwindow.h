#pragma once

#include "configurationmanager.h"
#include "testingsession.h"

#include <QDate>
#include <QDateTime>
#include <QMainWindow>
#include <QMessageBox>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <QSystemTrayIcon>

class QGridLayout;
class QLabel;
class QPushButton;
#include <QVariantMap>

class QAbstractItemModel;
class QAction;
class QMenu;
class QPrinter;
class QTableView;
class DisplaysPage;
class PatternSourceWidget;
class ReportGenerator;
class SavedSessionsItemDelegate;
class SavedSessionsModel;
class SchedulerItemDelegate;
class SchedulerManager;
class SitePage;
class SiteSender;
class TestItemsModel;
class TestContextWidget;
class TestingSession;
class TestsManager;

namespace TR {
class Translator;
}
namespace Ui {
class MainWindow;
}

// The program's only top-level window: the home page, the test selection, the
// stored sessions and the scheduled tasks, with a tray icon to live on when it
// is hidden. It acts on the options "-show", "-hide" and "-close" of its own
// command line and of those forwarded by later starts.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // True once "-close" or the exit entry asked the program to end; a request
    // made before the event loop runs would otherwise be lost.
    bool quitRequested() const { return m_quitRequested; }

public slots:
    void startApp();
    void backToHomeClicked();
    void newTestClicked();
    void goTestClicked();
    void listSavedSessionsClicked();
    void openScheduler();
    void updateTaskDate(bool bSucceeded);
    void checkAll();
    void checkNone();
    void check(bool checked);
    void savedSessionsButtonClicked(QModelIndex index, const QAbstractItemModel *model);
    void schedulerButtonClicked(QModelIndex index, const QAbstractItemModel *model);
    void printPreview(QPrinter *printer);
    void languageChanged(int index);
    void closeWasPressed();
    void restoreMinimizeWindow();
    void showAbout();
    void showWindow();
    void minimizeWindow();
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void addTaskClicked();
    void performTasks(QStringList ids, QStringList nextIds);
    void performPendingTasks();
    void receiveMessage(QString message);
    void stackedWidgetChanged(int index);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setUpTranslator();
    void createModels();
    void createSelectionModel();
    void createSchedulerDelegate();
    void createTestingSession();
    void releaseTestingSession();
    void setUpTray();
    void selectStoredLanguage();
    void applyBrandLogo();
    void connectSignals();
    void retranslate();
    void setUpSite();
    void showSiteStatus();

    void addMeterPage();
    void addHomeButton(QPushButton *button);
    void addDicomExport();
    void addDisplaysPage();
    void addDailyTestButton();
    void showOverdue();
    void showPage(QWidget *page);
    void handleArguments(const QStringList &arguments);
    void quitApplication();
    void logShown();
    bool isInFront() const;
    void bringToFront();
    bool confirm(const char *key);
    void tell(QMessageBox::Icon icon, const QString &text, const QString &detail = QString());
    static QString shownPath(const QString &fileName);
    void warnWriteFailed(ConfigurationManager::Write what, const QString &reason);
    void reportStoreStart();
    void openReportPreview(const QVariantMap &record);
    void startSession(const TestingSession::Context &context, const QVariantMap &prefill);
    void startTaskTests(const QString &taskId);
    QStringList screenItems() const;
    int chooseScreen(const QString &label);
    int screenOf(const QString &displayKey) const;
    void startOnScreen(int screen, const QString &taskId);
    void tickGroups(const QVariantList &groupNumbers);
    void warnBrokenLimits();
    void setGroupTicked(int row, bool ticked);
    void runAddTaskDialog();
    bool askToExecuteTasks(const QStringList &ids);
    QStringList taskDescriptions(const QStringList &ids) const;
    QString promptText(const QStringList &ids) const;
    QString statusText(const QStringList &ids, const QStringList &nextIds) const;
    QString clockErrorText(const QStringList &ids, const QDateTime &now) const;

    Ui::MainWindow *m_ui;
    int m_selectedMonitor = 0;
    TR::Translator *m_translator = nullptr;
    TestsManager *m_catalogue = nullptr;
    TestItemsModel *m_selectionModel = nullptr;
    TestingSession *m_testingSession = nullptr;
    TestContextWidget *m_testContext = nullptr;
    PatternSourceWidget *m_patternSource = nullptr;
    DisplaysPage *m_displaysPage = nullptr;
    ConfigurationManager *m_store = nullptr;
    QVariantMap m_reportSession;
    SavedSessionsModel *m_savedSessions = nullptr;
    SavedSessionsItemDelegate *m_savedSessionsDelegate = nullptr;
    ReportGenerator *m_reportGenerator = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_trayMenu = nullptr;
    QPointer<QAction> m_minimizeAction;
    QPointer<QAction> m_exitAction;
    QPointer<QAction> m_aboutAction;
    SchedulerItemDelegate *m_schedulerDelegate = nullptr;
    SchedulerManager *m_scheduler = nullptr;
    QMessageBox *m_taskPrompt = nullptr;
    QLabel *m_overdueLabel = nullptr;
    QGridLayout *m_homeButtonsGrid = nullptr;
    // The day the tray last told of overdue tasks: it tells once a day.
    QDate m_overdueTold;
    QString m_currentTaskId;
    // The queue's latest pending and upcoming tasks, kept while the prompt is
    // open so that a newer queue signal wins over the one that opened it.
    QStringList m_queuedIds;
    QStringList m_queuedNextIds;
    bool m_quitRequested = false;
    bool m_fittedToScreen = false;
    // Both only with a site database configured.
    SiteSender *m_siteSender = nullptr;
    SitePage *m_sitePage = nullptr;
};
