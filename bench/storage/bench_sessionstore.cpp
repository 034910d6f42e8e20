// How the settings file copes with years of daily sessions: for each count of
// stored sessions, the file size and the median time of opening the store,
// adding a session, reading the sessions and building the saved-sessions model.
// Each file is prepared by a child run of this program, so the timed process
// reads it cold from disk as the application does at start-up.

#include "answeredcatalogue.h"
#include "configurationmanager.h"
#include "savedsessionsmodel.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QApplication>
#include <QDataStream>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

// Saves of the largest files take seconds each, so they run fewer times.
const int Runs = 5;
const int LargeFileRuns = 3;
const int LargeFileSessions = 1000;
const QList<int> SessionCounts = {10, 100, 1000, 3000};
const QString FileName = QStringLiteral("Lumivex 2016.ini");

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

template <typename Action> double medianMilliseconds(int runs, Action action)
{
    QVector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        action();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// The groups map a finished session hands to the store: every group of the
// shipped catalogue, answered and judged, by group number.
QVariantMap answeredSessionResults(unsigned *failedContents)
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, AnsweredCatalogue::brightMonitor());
    *failedContents = AnsweredCatalogue::judge(groups);
    QVariantMap results;
    for (const TestGroup *group : groups)
        results.insert(QString::number(group->number()), group->toVariantMap());
    return results;
}

void addAnsweredSession(ConfigurationManager &store)
{
    unsigned failed = 0;
    static const QVariantMap results = answeredSessionResults(&failed);
    store.addSession(results, QStringLiteral("Benchmark Operator"), results.size(), failed, 0,
                     QStringLiteral("BENCH-27 2560x1440"));
}

// Writes `count` sessions in one go: one session stored by the store itself,
// copied with a day between dates, so the file holds exactly what the
// application writes without paying for `count` successive saves.
int prepare(const QString &path, int count)
{
    QVariantList records;
    {
        ConfigurationManager store(path + QStringLiteral(".template"));
        addAnsweredSession(store);
        records = store.sessions();
    }
    QVariantMap record = records.first().toMap();
    const QDateTime newest = record.value(QStringLiteral("date")).toDateTime();
    records.clear();
    for (int i = 0; i < count; ++i) {
        record.insert(QStringLiteral("date"), newest.addDays(-i - 1));
        records.append(record);
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("TEST_SESSIONS/list"), records);
    settings.sync();
    return settings.status() == QSettings::NoError ? 0 : 1;
}

// Resident memory of this process, from the kernel's view of it.
double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// What one record weighs as the binary variant QSettings embeds and as the
// escaped text line it writes, against the same data as compact JSON.
void describeRecord(QTextStream &out, const QString &folder)
{
    const QString path = folder + QStringLiteral("/one-") + FileName;
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--prepare"), path, QStringLiteral("1")}) != 0)
        return;
    QSettings settings(path, QSettings::IniFormat);
    const QVariant record = settings.value(QStringLiteral("TEST_SESSIONS/list")).toList().value(0);
    QByteArray binary;
    QDataStream stream(&binary, QIODevice::WriteOnly);
    stream << record;
    const QByteArray json = QJsonDocument::fromVariant(record).toJson(QJsonDocument::Compact);
    out << "One session: " << QFileInfo(path).size() / 1024 << " KB in the file, " << binary.size() / 1024
        << " KB as serialised variant, " << json.size() / 1024 << " KB as compact JSON" << Qt::endl;
}

void measure(QTextStream &out, const QString &program, const QString &folder, int count)
{
    const QString path = folder + QLatin1Char('/') + QString::number(count) + QLatin1Char('-') + FileName;
    if (QProcess::execute(program, {QStringLiteral("--prepare"), path, QString::number(count)}) != 0) {
        out << count << "\tpreparing the file failed" << Qt::endl;
        return;
    }
    const double megabytes = QFileInfo(path).size() / (1024.0 * 1024.0);

    QElapsedTimer timer;
    timer.start();
    ConfigurationManager store(path);
    const double open = timer.nsecsElapsed() / 1e6;

    const double add =
        medianMilliseconds(count >= LargeFileSessions ? LargeFileRuns : Runs, [&store] { addAnsweredSession(store); });
    int read = 0;
    const double sessions = medianMilliseconds(Runs, [&store, &read] { read = store.sessions().size(); });
    const double model = medianMilliseconds(Runs, [&store] { SavedSessionsModel model(&store); });
    const double resident = residentMegabytes();

    out << count << '\t' << QString::number(megabytes, 'f', 1) << '\t' << QString::number(open, 'f', 1) << '\t'
        << QString::number(add, 'f', 1) << '\t' << QString::number(sessions, 'f', 2) << '\t'
        << QString::number(model, 'f', 2) << '\t' << QString::number(resident, 'f', 0) << '\t' << read << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--prepare"))
        return prepare(args.at(2), args.at(3).toInt());

    QTemporaryDir folder;
    QTextStream out(stdout);
    out << "Settings file with stored sessions (each a fully answered catalogue); median of " << Runs << " runs ("
        << LargeFileRuns << " for adding to " << LargeFileSessions << " and more), times in ms" << Qt::endl;
    describeRecord(out, folder.path());
    out << "sessions\tsize MB\topen\taddSession\tsessions()\tmodel\tresident MB\trows" << Qt::endl;
    for (int count : SessionCounts)
        measure(out, app.applicationFilePath(), folder.path(), count);
    return 0;
}
