// lumivex-screenshots: writes a picture of the screen with each page of the main
// window and the task dialog, filled with a few sample sessions and tasks, and
// with the full-screen test frame and its input dialog at a few steps, so the
// program can be looked at without a display. The window opens as on a real
// start, sized from the screen; the sample makers, models and people are invented.
// Usage: lumivex-screenshots <folder> [language]

#include "addtaskdialog.h"
#include "mainwindow.h"
#include "test.h"
#include "testframe.h"
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

// The display of the sample tasks, as the sample sessions name it.
const QVariantMap MedView{{"maker", "Quorvane"}, {"model", "MedView 27D"}, {"serial", "QV27-00412"}};

// A session of the display with that serial number; an acceptance test leaves its readings as the reference.
QVariantMap sampleSession(const QString &tester, const QDateTime &date, int tests, int failed, const QString &monitor,
                          const QString &serial, const QString &type)
{
    QVariantMap session{{"tester", tester},
                        {"date", date},
                        {"test_session", QVariantMap()},
                        {"ntest", tests},
                        {"nfailedtestcontents", failed},
                        {"monitorselected", 0},
                        {"monitorinfo", monitor},
                        {"testtype", type},
                        {"display", QVariantMap{{"maker", monitor.section(QLatin1Char(' '), 0, 0)},
                                                {"model", monitor.section(QLatin1Char(' '), 1)},
                                                {"serial", serial},
                                                {"category", "projectionRadiography"},
                                                {"roomClass", "RK2"},
                                                {"classifiedOn", date.date().toString(Qt::ISODate)}}}};
    if (type == QLatin1String("acceptance"))
        session.insert("measured", QVariantMap{{"maxLuminance", 412.0}, {"minLuminance", 1.1}});
    return session;
}

QVariantMap sampleTask(const QString &id, const QString &description, const QDateTime &date, int days,
                       const QVariantList &groups, const QString &testType, const QVariantMap &display = {})
{
    return {{"id", id},
            {"description", description},
            {"date", date},
            {"frequency", quint64(days) * 86400000},
            {"scheduledtestslist", groups},
            {"testtype", testType},
            {"display", display}};
}

// Written before the window opens its store, in a folder of its own.
void writeSampleSettings(const QString &language)
{
    const QDateTime now = QDateTime::currentDateTime();
    QSettings settings(QStringLiteral("Lumivex 2016.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("General/locale_selected"), language);
    settings.setValue(QStringLiteral("TEST_SESSIONS/list"),
                      QVariantList{sampleSession("Dr. Ilse Wendtner", now.addDays(-1), 14, 0, "Quorvane MedView 27D",
                                                 "QV27-00412", "dailyConstancy"),
                                   sampleSession("Nico Balestri", now.addDays(-8), 14, 2, "Quorvane MedView 27D",
                                                 "QV27-00412", "periodicConstancy"),
                                   sampleSession("Dr. Ilse Wendtner", now.addDays(-30), 22, 0, "Taselko Clarix 3MP",
                                                 "TC3-7781", "acceptance")});
    const QDateTime tomorrow(now.date().addDays(1), QTime(8, 0));
    settings.setValue(
        QStringLiteral("SCHEDULER/tasks"),
        QVariantList{sampleTask("1", "Daily constancy check", tomorrow, 1, {0, 1, 2, 3, 4}, "dailyConstancy", MedView),
                     sampleTask("2", "Six-monthly constancy test", tomorrow.addDays(90), 182, {0, 1, 2, 3, 4, 6, 7},
                                "periodicConstancy")});
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

bool saveScreen(const QString &path)
{
    QCoreApplication::processEvents();
    return save(QGuiApplication::primaryScreen()->grabWindow(0), path);
}

// Steps of the shipped catalogue on the whole screen as the operator sees them:
// the pattern and the floating dialog beside what is judged or measured.
bool saveTestFrames(MainWindow *window, const QString &folder)
{
    TestsManager catalogue;
    auto *session = window->findChild<TestingSession *>();
    session->setGroups(catalogue.groups());
    bool saved = true;
    for (const char *id : {"test_02_03_00", "test_05_01_01", "test_05_01_02", "test_06_02_04", "test_06_03_06"}) {
        int index = 0;
        while (session->testAt(index) && session->testAt(index)->id() != QLatin1String(id))
            ++index;
        if (!session->testAt(index))
            index = FirstVisualTest;
        session->setTestIndex(index);
        session->start(0);
        saved =
            saveScreen(folder + QStringLiteral("/testFrame-") + QLatin1String(id) + QStringLiteral(".png")) && saved;
        session->frame()->close();
    }
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
    QDir().mkpath(folder);

    QTemporaryDir workFolder;
    QDir::setCurrent(workFolder.path());
    writeSampleSettings(arguments.value(2, QStringLiteral("en")));

    MainWindow window;
    window.showWindow();
    // Lets the task queue report the next task on the home page.
    QCoreApplication::processEvents();

    // The selection page as "Start a new test" shows it, every group ticked.
    window.checkAll();
    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        if (!saveScreen(folder + QLatin1Char('/') + pages->widget(page)->objectName() + QStringLiteral(".png")))
            return 1;
    }
    // The task dialog as "Add a task" opens it, over the task list.
    pages->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("schedulerPage")));
    AddTaskDialog taskDialog(&window);
    taskDialog.show();
    const bool dialogSaved = saveScreen(folder + QStringLiteral("/addTaskDialog.png"));
    taskDialog.close();
    return saveTestFrames(&window, folder) && dialogSaved ? 0 : 1;
}
