// lumivex-screenshots: writes a picture of each page of the main window, filled
// with a few sample sessions and tasks, so the window can be looked at without
// a display. Usage: lumivex-screenshots <folder> [width height]

#include "mainwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

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

    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QString path = folder + QLatin1Char('/') + pages->widget(page)->objectName() + QStringLiteral(".png");
        if (!window.grab().save(path)) {
            QTextStream(stderr) << "Could not write " << path << '\n';
            return 1;
        }
        QTextStream(stdout) << path << '\n';
    }
    return 0;
}
