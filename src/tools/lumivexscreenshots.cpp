// lumivex-screenshots: writes a picture of each page of the main window, filled
// with a few sample sessions and tasks, and one of the full-screen test frame
// with its input dialog, so the program can be looked at without a display.
// Usage: lumivex-screenshots <folder> [width height]

#include "mainwindow.h"
#include "testingsession.h"
#include "testsmanager.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Steps 0 to 5 ask for the operator, the institute, the device and the room.
const int FirstVisualTest = 6;

QVariantMap sampleSession(const QString &tester, const QDateTime &date, int tests, int failed, const QString &monitor)
{
    return {{"tester", tester},
            {"date", date},
            {"test_session", QVariantMap()},
            {"ntest", tests},
            {"nfailedtestcontents", failed},
            {"monitorselected", 0},
            {"monitorinfo", monitor}};
}

QVariantMap sampleTask(const QString &id, const QString &description, const QDateTime &date, int days,
                       const QVariantList &groups)
{
    return {{"id", id},
            {"description", description},
            {"date", date},
            {"frequency", quint64(days) * 86400000},
            {"scheduledtestslist", groups}};
}

// Written before the window opens its store, in a folder of its own.
void writeSampleSettings()
{
    const QDateTime now = QDateTime::currentDateTime();
    QSettings settings(QStringLiteral("Lumivex 2016.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("General/locale_selected"), QStringLiteral("en"));
    settings.setValue(QStringLiteral("TEST_SESSIONS/list"),
                      QVariantList{sampleSession("Dr. Anna Berger", now.addDays(-1), 14, 0, "EIZO RadiForce RX660"),
                                   sampleSession("Marco Rossi", now.addDays(-8), 14, 2, "EIZO RadiForce RX660"),
                                   sampleSession("Dr. Anna Berger", now.addDays(-30), 22, 0, "Barco Nio MDNC-3521")});
    const QDateTime tomorrow(now.date().addDays(1), QTime(8, 0));
    settings.setValue(
        QStringLiteral("SCHEDULER/tasks"),
        QVariantList{sampleTask("1", "Daily constancy check", tomorrow, 1, {0, 1, 2, 3}),
                     sampleTask("2", "Six-monthly constancy test", tomorrow.addDays(90), 182, {0, 1, 2, 3, 4, 5})});
}

bool save(const QPixmap &picture, const QString &path)
{
    if (!picture.save(path)) {
        QTextStream(stderr) << "Could not write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// The first visual test of the shipped catalogue, on the whole screen as the
// operator sees it: the pattern and the floating dialog above it.
bool saveTestFrame(MainWindow *window, const QString &path)
{
    TestsManager catalogue;
    auto *session = window->findChild<TestingSession *>();
    session->setGroups(catalogue.groups());
    session->setTestIndex(FirstVisualTest);
    session->start(0);
    QCoreApplication::processEvents();
    const bool saved = save(QGuiApplication::primaryScreen()->grabWindow(0), path);
    session->setGroups(nullptr);
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        QTextStream(stderr) << "Usage: lumivex-screenshots <folder> [width height]\n";
        return 2;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    const QSize size(arguments.value(2, QStringLiteral("1280")).toInt(),
                     arguments.value(3, QStringLiteral("800")).toInt());
    QDir().mkpath(folder);

    QTemporaryDir workFolder;
    QDir::setCurrent(workFolder.path());
    writeSampleSettings();

    MainWindow window;
    window.resize(size);
    window.show();
    // Lets the task queue report the next task on the home page.
    QCoreApplication::processEvents();

    // The selection page as "Start a new test" shows it, every group ticked.
    window.checkAll();
    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        if (!save(window.grab(),
                  folder + QLatin1Char('/') + pages->widget(page)->objectName() + QStringLiteral(".png")))
            return 1;
    }
    if (!saveTestFrame(&window, folder + QStringLiteral("/testFrame.png")))
        return 1;
    return 0;
}
