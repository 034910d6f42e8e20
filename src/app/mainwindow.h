#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QStackedWidget;

// The program's only top-level window. It lives on in the system tray when it
// is hidden, and acts on the options "-show", "-hide" and "-close" of its own
// command line and of those forwarded by later starts.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void startApp();
    void closeWasPressed();
    void restoreMinimizeWindow();
    void showWindow();
    void minimizeWindow();
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void receiveMessage(const QString &message);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setUpTranslator();
    void setUpForm();
    void setUpTray();
    void handleArguments(const QStringList &arguments);
    void quitApplication();
    bool isInFront() const;

    QStackedWidget *m_stackedWidget = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_trayMenu = nullptr;
    QPointer<QAction> m_minimizeAction;
    QPointer<QAction> m_exitAction;
    QPointer<QAction> m_aboutAction;
};
