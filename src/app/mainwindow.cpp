#include "mainwindow.h"

#include "defaultdictionary.h"
#include "translator.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>

namespace {

const QString MessageSeparator = QStringLiteral("#_#");
const char *const TranslationKeyProperty = "defaultText";

// The key stays with the action so that a change of language re-labels it.
void setTranslatedText(QAction *action, const QString &key)
{
    action->setProperty(TranslationKeyProperty, key);
    action->setText(TR::Translator::instance()->translate(key));
}

QAction *createTranslatedAction(const QString &key, QObject *parent)
{
    auto *action = new QAction(parent);
    setTranslatedText(action, key);
    return action;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setUpTranslator();
    setUpForm();
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Lumivex"));
    setUpTray();
}

MainWindow::~MainWindow()
{
    if (m_trayIcon)
        m_trayIcon->hide();
    delete m_trayMenu;
}

void MainWindow::setUpTranslator()
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLanguagePath(QCoreApplication::applicationDirPath() + QStringLiteral("/LumivexLanguages"));
    translator->setModel(TR::defaultDictionary());
}

void MainWindow::setUpForm()
{
    setObjectName(QStringLiteral("MainWindow"));
    auto *centralWidget = new QWidget(this);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    m_stackedWidget = new QStackedWidget(centralWidget);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    auto *homePage = new QWidget(m_stackedWidget);
    homePage->setObjectName(QStringLiteral("homePage"));
    m_stackedWidget->addWidget(homePage);
    setCentralWidget(centralWidget);
    resize(900, 640);
}

void MainWindow::setUpTray()
{
    m_trayMenu = new QMenu;
    if (!m_aboutAction)
        m_aboutAction = createTranslatedAction(QStringLiteral("about"), this);
    if (!m_minimizeAction)
        m_minimizeAction = createTranslatedAction(QStringLiteral("minimize"), this);
    if (!m_exitAction)
        m_exitAction = createTranslatedAction(QStringLiteral("exit"), this);
    m_trayMenu->addAction(m_aboutAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_minimizeAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_exitAction);
    connect(m_minimizeAction, &QAction::triggered, this, &MainWindow::restoreMinimizeWindow);
    connect(m_exitAction, &QAction::triggered, this, &MainWindow::closeWasPressed);

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icon")), this);
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::trayIconActivated);
    m_trayIcon->show();
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
}

void MainWindow::receiveMessage(const QString &message)
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

bool MainWindow::isInFront() const
{
    // Qt knows which of its windows has the focus; that stands in for asking
    // the window system for its stacking order, which is not portable.
    return isActiveWindow();
}

void MainWindow::showWindow()
{
    if (isHidden()) {
        showNormal();
        activateWindow();
    } else if (!isInFront()) {
        activateWindow();
        setFocus();
    }
    setTranslatedText(m_minimizeAction, QStringLiteral("minimize"));
}

void MainWindow::minimizeWindow()
{
    if (!isHidden())
        hide();
    setTranslatedText(m_minimizeAction, QStringLiteral("restore"));
}

void MainWindow::restoreMinimizeWindow()
{
    if (isHidden()) {
        showWindow();
    } else if (!isInFront()) {
        activateWindow();
        setFocus();
    } else {
        minimizeWindow();
    }
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
    if (m_trayIcon)
        m_trayIcon->hide();
    QCoreApplication::exit(0);
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto *stateEvent = static_cast<QWindowStateChangeEvent *>(event);
        if (isMinimized() && !(stateEvent->oldState() & Qt::WindowMinimized)) {
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
    qDebug().noquote() << "[MainWindow] Window shown";
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    qDebug().noquote() << "[MainWindow] Window hidden";
}
