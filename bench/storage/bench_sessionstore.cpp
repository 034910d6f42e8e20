// How the two stores cope with years of daily sessions: the settings file of
// earlier versions and the database. For each count of stored sessions (each
// a fully answered catalogue), the file size, the start, adding a session,
// reading the list, one whole record and the resident memory. Every figure
// is taken by a child run of this program on a file another child prepared,
// so it reads the file as the application does at start-up (from the
// operating system's cache, which is not emptied). The cold start to the
// window shown is the real program's, started on the database.

#include "answeredsession.h"
#include "configurationmanager.h"
#include "residentmemory.h"
#include "savedsessionsmodel.h"
#include "sessiondatabase.h"
#include "testconfig.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUuid>

#include <algorithm>
#include <memory>

namespace {

const int Runs = 5;
const QList<int> DatabaseCounts = {1000, 10000};
// The settings file needs 250 KB and seconds of parsing per 1,000 sessions.
const QList<int> SettingsCounts = {100, 1000};
const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
const QString SessionList = QStringLiteral("TEST_SESSIONS/list");
const QString Program = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex");

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

template <typename Action> double milliseconds(Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.nsecsElapsed() / 1e6;
}

template <typename Action> double medianMilliseconds(int runs, Action action)
{
    QVector<double> times;
    for (int run = 0; run < runs; ++run)
        times.append(milliseconds(action));
    return median(times);
}

QVariantMap answeredRecord(int daysBack)
{
    static const QVariantMap record = AnsweredSession::fullRecord(QDateTime::currentDateTime(), true);
    QVariantMap copy = record;
    copy.insert(QStringLiteral("date"), QDateTime::currentDateTime().addDays(-daysBack));
    return copy;
}

QString figure(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

// One transaction for all, so preparing 10,000 sessions takes seconds.
int prepareDatabase(const QString &folder, int count)
{
    ConfigurationManager store(folder + QLatin1Char('/') + SettingsFileName);
    SessionDatabase *database = store.database();
    const bool prepared = database->transact([&] {
        for (int i = 0; i < count; ++i) {
            qint64 id = 0;
            if (!database->insertSession(answeredRecord(i + 1), QUuid::createUuid().toString(), &id))
                return false;
        }
        return true;
    });
    return prepared ? 0 : 1;
}

int prepareSettings(const QString &folder, int count)
{
    QVariantList records;
    for (int i = 0; i < count; ++i)
        records.append(answeredRecord(i + 1));
    QSettings settings(folder + QLatin1Char('/') + SettingsFileName, QSettings::IniFormat);
    settings.setValue(SessionList, records);
    settings.sync();
    return settings.status() == QSettings::NoError ? 0 : 1;
}

// open, page, add, record, resident: the start of the store with the list
// model, the list model again, adding a session, reading the newest whole.
QString measureDatabase(const QString &folder)
{
    std::unique_ptr<ConfigurationManager> store;
    std::unique_ptr<SavedSessionsModel> model;
    const double open = milliseconds([&] {
        store = std::make_unique<ConfigurationManager>(folder + QLatin1Char('/') + SettingsFileName);
        model = std::make_unique<SavedSessionsModel>(store.get());
    });
    const double resident = residentMegabytes();
    const double page = medianMilliseconds(Runs, [&] { SavedSessionsModel again(store.get()); });
    const double record = medianMilliseconds(Runs, [&] { store->latestSessionResults(); });
    int day = 0;
    const double add = medianMilliseconds(Runs, [&] { store->addSessionRecord(answeredRecord(--day)); });
    return QStringList{figure(open), figure(page), figure(add), figure(record), figure(resident, 0)}.join('\t');
}

// The earlier store's work: QSettings parses the file, the list is read and
// sorted; adding writes the whole list back.
QString measureSettings(const QString &folder)
{
    std::unique_ptr<QSettings> settings;
    QVariantList records;
    const double open = milliseconds([&] {
        settings = std::make_unique<QSettings>(folder + QLatin1Char('/') + SettingsFileName, QSettings::IniFormat);
        records = settings->value(SessionList).toList();
        std::stable_sort(records.begin(), records.end(), [](const QVariant &a, const QVariant &b) {
            return a.toMap().value(QStringLiteral("date")).toDateTime() >
                   b.toMap().value(QStringLiteral("date")).toDateTime();
        });
    });
    const double resident = residentMegabytes();
    const double page = milliseconds([&] { records = settings->value(SessionList).toList(); });
    const double record = milliseconds([&] { records.value(0).toMap().value(QStringLiteral("test_session")); });
    const double add = milliseconds([&] {
        records.append(answeredRecord(0));
        settings->setValue(SessionList, records);
        settings->sync();
    });
    return QStringList{figure(open), figure(page), figure(add), figure(record), figure(resident, 0)}.join('\t');
}

QString runChild(const QStringList &arguments)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return QStringLiteral("failed");
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

// Milliseconds from starting the program until its window is shown, median of three.
double coldStart(const QString &folder)
{
    QVector<double> times;
    for (int run = 0; run < 3; ++run) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), folder);
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=true"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder);
        program.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer timer;
        timer.start();
        program.start(Program, QStringList());
        QByteArray log;
        while (!log.contains("[MainWindow] Window shown") && program.waitForReadyRead(60000))
            log += program.readAll();
        times.append(timer.nsecsElapsed() / 1e6);
        QProcess::execute(Program, {QStringLiteral("-close")});
        program.waitForFinished(15000);
    }
    return median(times);
}

double kilobytes(const QString &path)
{
    return QFileInfo(path).size() / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));

    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--prepare-database"))
        return prepareDatabase(args.at(2), args.at(3).toInt());
    if (args.size() == 4 && args.at(1) == QLatin1String("--prepare-settings"))
        return prepareSettings(args.at(2), args.at(3).toInt());
    if (args.size() == 3 && args.at(1) == QLatin1String("--measure-database")) {
        QTextStream(stdout) << measureDatabase(args.at(2)) << Qt::endl;
        return 0;
    }
    if (args.size() == 3 && args.at(1) == QLatin1String("--measure-settings")) {
        QTextStream(stdout) << measureSettings(args.at(2)) << Qt::endl;
        return 0;
    }

    QTextStream out(stdout);
    out << "Stored sessions, each a fully answered catalogue; times in ms (median of " << Runs
        << " where repeated), resident memory in MB after the start" << Qt::endl;
    out << "store\tsessions\tfile MB\tKB/session\tstart+list\tlist page\tadd\twhole record\tresident MB\twindow shown"
        << Qt::endl;
    const auto row = [&](const QString &store, int count, const QString &file, const QString &figures,
                         const QString &window) {
        const double size = kilobytes(file);
        out << store << '\t' << count << '\t' << figure(size / 1024.0) << '\t' << figure(size / count) << '\t'
            << figures << '\t' << window << Qt::endl;
    };
    for (int count : SettingsCounts) {
        QTemporaryDir folder;
        if (runChild({QStringLiteral("--prepare-settings"), folder.path(), QString::number(count)}) == "failed")
            continue;
        const QString file = folder.filePath(SettingsFileName);
        row(QStringLiteral("settings file"), count, file,
            runChild({QStringLiteral("--measure-settings"), folder.path()}), QStringLiteral("-"));
    }
    for (int count : DatabaseCounts) {
        QTemporaryDir folder;
        if (runChild({QStringLiteral("--prepare-database"), folder.path(), QString::number(count)}) == "failed")
            continue;
        const QString file = folder.filePath(SessionDatabase::defaultFileName());
        const QString figures = runChild({QStringLiteral("--measure-database"), folder.path()});
        row(QStringLiteral("database"), count, file, figures, figure(coldStart(folder.path())));
    }
    return 0;
}
