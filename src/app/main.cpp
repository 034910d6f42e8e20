#include "datafolder.h"
#include "lumivexapplication.h"
#include "mainwindow.h"

#include <QDir>

#include <sys/stat.h>

#include <memory>

int main(int argc, char *argv[])
{
    // The settings, the database, their backups and the reports hold names
    // and serial numbers: every file the program creates is the user's alone.
    ::umask(S_IRWXG | S_IRWXO);
    LumivexApplication app(argc, argv, QStringLiteral("Lumivex"));
    if (!app.isValid())
        return 2;

    if (app.isRunning()) {
        const QString message = QCoreApplication::arguments().join(QStringLiteral("#_#"));
        return app.sendMessage(message, 10000) ? 0 : 1;
    }

    // The name of the user's data folder, whatever the program file is called.
    QCoreApplication::setApplicationName(QStringLiteral("lumivex"));
    const bool userData = DataFolder::isRequested(QCoreApplication::arguments());
    const DataFolder::Access access = userData ? DataFolder::enterUserDataFolder() : DataFolder::secureWorkingFolder();
    if (!DataFolder::report(access, userData ? DataFolder::userDataPath() : QDir::currentPath()))
        return 2;

    QGuiApplication::setQuitOnLastWindowClosed(false);
    // The window goes before the application object.
    auto window = std::make_unique<MainWindow>();
    QObject::connect(&app, &LumivexApplication::messageAvailable, window.get(), &MainWindow::receiveMessage);
    window->startApp();
    // exit() before the event loop runs is lost: a first start with "-close"
    // would stay behind, invisible, holding the single-instance segment.
    if (window->quitRequested())
        return 0;
    return app.exec();
}
