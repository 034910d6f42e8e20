// The site database on a loopback server: sending one session (a fully
// answered catalogue) from the outbox to the server, and opening the site page
// on a site of 200 stations with 600 displays and 100,000 sessions.

#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "translator.h"
#include "sitedatabase.h"
#include "sitepage.h"
#include "sitesender.h"
#include "siteoutbox.h"
#include "siteoverviewmodel.h"
#include "support/postgresserver.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTextStream>
#include <QUuid>

#include <algorithm>

namespace {

const int SendRuns = 20;
const int PageRuns = 10;
const int Stations = 200;
const int DisplaysPerStation = 3;
const int Sessions = 100000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QVariantMap answeredSession()
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, AnsweredCatalogue::brightMonitor());
    const unsigned failed = AnsweredCatalogue::judge(groups);
    QVariantMap results;
    for (const TestGroup *group : groups)
        results.insert(QString::number(group->number()), group->toVariantMap());
    return {{"tester", "Benchmark Operator"}, {"date", QDateTime::currentDateTime()},
            {"test_session", results},        {"ntest", groups.size()},
            {"nfailedtestcontents", failed},  {"monitorselected", 0},
            {"monitorinfo", " (BENCH - 27)"}};
}

// From the window's request to the sender's report that the outbox is empty:
// the outbox read, the upsert on the server and the outbox entry's removal.
void benchmarkSending(PostgresServer &server, const QString &folder)
{
    const QString stationFile = folder + QStringLiteral("/station.sqlite");
    const QString connection = QStringLiteral("bench-station");
    QSqlDatabase station = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    station.setDatabaseName(stationFile);
    station.open();
    // As the station's store keeps its database.
    QSqlQuery(station).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    SiteOutbox::createTable(station);
    SiteSender sender({server.uri(QStringLiteral("sending")), QStringLiteral("Bench station")}, stationFile);
    QSignalSpy status(&sender, &SiteSender::statusChanged);
    const QVariantMap record = answeredSession();
    QVector<double> times;
    for (int run = 0; run <= SendRuns; ++run) {
        SiteOutbox::addSession(station, QUuid::createUuid().toString(QUuid::WithoutBraces), record);
        QElapsedTimer timer;
        timer.start();
        sender.send();
        status.wait(30000);
        // The first run also connects and creates the tables.
        if (run > 0)
            times.append(timer.nsecsElapsed() / 1e6);
        if (!status.last().at(1).toString().isEmpty())
            out() << "sending failed: " << status.last().at(1).toString() << '\n';
    }
    out() << "Sending one session (" << QJsonDocument::fromVariant(record).toJson(QJsonDocument::Compact).size() / 1024
          << " KB record): median " << median(times) << " ms, longest " << *std::max_element(times.begin(), times.end())
          << " ms of " << SendRuns << " runs (target < 50 ms)\n";
}

void fillSite(PostgresServer &server)
{
    SiteDatabase schema(SiteUri::parse(server.uri(QStringLiteral("page"))), QStringLiteral("bench-schema"));
    schema.open();
    server.execute(QStringLiteral("page"),
                   {QStringLiteral("INSERT INTO lumivex_sessions (uuid, station, stored_at, tester, display_maker, "
                                   "display_model, display_serial, test_type, test_count, failed_count, record) "
                                   "SELECT gen_random_uuid(), 'Station ' || (n % %1), "
                                   "now() - n * interval '1 hour', 'Operator ' || (n % 17), 'MAKER', 'MD27', "
                                   "'SN-' || (n % %2), 'dailyConstancy', 8, (n % 5 = 0)::int, '{}'::jsonb "
                                   "FROM generate_series(1, %3) AS n")
                        .arg(Stations)
                        .arg(Stations * DisplaysPerStation)
                        .arg(Sessions),
                    QStringLiteral("INSERT INTO lumivex_tasks (station, task_id, description, next_due, record) "
                                   "SELECT 'Station ' || n, 't', 'Monthly', now() + n * interval '1 day', '{}'::jsonb "
                                   "FROM generate_series(0, %1) AS n")
                        .arg(Stations - 1),
                    QStringLiteral("ANALYZE")});
}

// From the page's request to its table holding every row.
void benchmarkSitePage(PostgresServer &server, const QString &folder)
{
    fillSite(server);
    SiteSender sender({server.uri(QStringLiteral("page")), QStringLiteral("Bench station")},
                      folder + QStringLiteral("/page.sqlite"));
    SitePage page(&sender);
    page.resize(1280, 720);
    QSignalSpy loaded(page.model(), &QAbstractItemModel::modelReset);
    QVector<double> times;
    for (int run = 0; run <= PageRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (run == 0)
            page.show();
        else
            page.refresh();
        loaded.wait(30000);
        QApplication::processEvents();
        if (run > 0)
            times.append(timer.nsecsElapsed() / 1e6);
    }
    out() << "Opening the site page (" << Stations << " stations, " << Stations * DisplaysPerStation << " displays, "
          << Sessions << " sessions): median " << median(times) << " ms, longest "
          << *std::max_element(times.begin(), times.end()) << " ms of " << PageRuns << " runs (target < 300 ms)\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    PostgresServer server(true);
    if (!server.start() || !server.execute(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE sending"),
                                                                        QStringLiteral("CREATE DATABASE page")})) {
        out() << "bench_site: no PostgreSQL server: " << server.error() << '\n';
        return 1;
    }
    QTemporaryDir folder;
    out() << "Site database on a loopback PostgreSQL 15 server (Unix socket)\n";
    benchmarkSending(server, folder.path());
    benchmarkSitePage(server, folder.path());
    out().flush();
    return 0;
}
