#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "localformats.h"
#include "mainwindow.h"
#include "pdfprobe.h"
#include "sitedatabase.h"
#include "siteoutbox.h"
#include "siteoverviewmodel.h"
#include "sitepage.h"
#include "sitesender.h"
#include "siteuri.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/postgresserver.h"
#include "support/storefiles.h"
#include "taskinterval.h"
#include "testconfig.h"
#include "translator.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSqlDatabase>
#include <QStackedWidget>
#include <QTableView>
#include <QTcpServer>
#include <QtTest>

namespace {

QVariantMap sessionRecord(const QString &tester, const QDateTime &date, const QString &serial, int failed = 0)
{
    const QVariantMap deviceTest{
        {"content", QVariantList{QVariantMap{{"id", "content02010000"}, {"resulttext", "MAKER"}},
                                 QVariantMap{{"id", "content02010001"}, {"resulttext", "MD27"}},
                                 QVariantMap{{"id", "content02010003"}, {"resulttext", serial}}}}};
    const QVariantMap subgroup{{"tests", QVariantList{deviceTest}}};
    const QVariantMap group{{"subgroups", QVariantMap{{"1", subgroup}}}};
    return {{"tester", tester},
            {"date", date},
            {"ntest", 4},
            {"nfailedtestcontents", failed},
            {"monitorselected", 0},
            {"monitorinfo", " (MAKER - MD27)"},
            {"test_session", QVariantMap{{"2", group}}}};
}

// Noon of the day `days` from today, so that no change of the clocks moves it to another day.
QDateTime localNoon(int days)
{
    return QDateTime(QDate::currentDate().addDays(days), QTime(12, 0));
}

// A task repeating every week from `startDays`, last run `lastRunDays` from today (never for 0), for the display
// MAKER MD27 of `serial` or, without one, for any display.
QVariantMap weeklyTask(const QString &id, const QString &description, int startDays, int lastRunDays,
                       const QString &serial = QString())
{
    QVariantMap task = TaskInterval(1, TaskInterval::Weeks).toRecord();
    task.insert({{"id", id}, {"description", description}, {"date", localNoon(startDays)}});
    if (lastRunDays != 0)
        task.insert("lastperformed", localNoon(lastRunDays));
    if (!serial.isEmpty())
        task.insert("display", QVariantMap{{"maker", "MAKER"}, {"model", "MD27"}, {"serial", serial}});
    return task;
}

QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A station database holding only the outbox, under a connection of its own.
class StationDatabase
{
public:
    explicit StationDatabase(const QString &path) : m_name(QStringLiteral("station-") + path)
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        database.setDatabaseName(path);
        database.open();
        SiteOutbox::createTable(database);
    }
    ~StationDatabase() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    bool addSession(const QVariantMap &record, const QString &uuid = newUuid()) const
    {
        return SiteOutbox::addSession(database(), uuid, record);
    }
    bool addTask(const QVariantMap &task) const { return SiteOutbox::addTask(database(), task); }

private:
    const QString m_name;
};

} // namespace

class TestSite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QFile::remove("Lumivex 2016.ini");
        TR::Translator::instance()->setModel(TR::defaultDictionary());
    }

    void init() { ModalAnswers::rejectUnexpectedDialogs(); }
    void cleanup() { QCOMPARE(ModalAnswers::finish().unanswered, 0); }

    void uri_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("error");

        const auto parsed = [](const char *name, const char *uri, const char *host, int port, const char *options) {
            QTest::newRow(name) << uri << host << port << options << "";
        };
        parsed("socket folder", "postgresql://qa@%2Fvar%2Frun%2Fpostgresql/site", "/var/run/postgresql", -1,
               "connect_timeout=5");
        parsed("host, port, sslmode", "postgres://qa@db.example.org:5433/site?sslmode=verify-full", "db.example.org",
               5433, "sslmode=verify-full;connect_timeout=5");
        parsed("IPv6 host", "postgresql://qa@[::1]:5432/site", "::1", 5432, "connect_timeout=5");
        parsed("host in the query", "postgresql:///site?host=/tmp/pg&sslmode=disable", "/tmp/pg", -1,
               "sslmode=disable;connect_timeout=5");
        const auto refused = [](const char *name, const char *uri, const char *error) {
            QTest::newRow(name) << uri << QString() << -1 << QString() << error;
        };
        refused("password in the user", "postgresql://qa:secret@db/site", "holds a password");
        refused("password parameter", "postgresql://qa@db/site?password=secret", "holds a password");
        refused("unknown sslmode", "postgresql://qa@db/site?sslmode=always", "sslmode \"always\"");
        refused("port out of range", "postgresql://qa@db:70000/site", "port \"70000\"");
        refused("semicolon in a value", "postgresql://qa@db/site?application_name=a;sslmode=disable", "unusable value");
        refused("unsupported parameter", "postgresql://qa@db/site?connect_timeout=600", "not supported");
        refused("not a URI", "host=db dbname=site", "postgresql:// URI");
    }

    void uri()
    {
        QFETCH(QString, uri);
        QFETCH(QString, error);
        const SiteUri parsed = SiteUri::parse(uri);
        QVERIFY2(parsed.error().contains(error) && parsed.isValid() == error.isEmpty(), qPrintable(parsed.error()));
        if (!error.isEmpty())
            return;
        QTEST(parsed.host(), "host");
        QTEST(parsed.port(), "port");
        QCOMPARE(parsed.databaseName(), QStringLiteral("site")); // in every valid URI
        QTEST(parsed.connectOptions().join(';'), "options");
    }

    void twoStationsSendToOneSite()
    {
        const QString database = newDatabase();
        const QString oddStation = QStringLiteral("CT 3'; DROP TABLE lumivex_sessions; --");
        const QString oddTester = QStringLiteral("O'Brien \"SELECT\" ; DELETE FROM lumivex_tasks");
        const QString uuid = newUuid();
        const QDateTime stored(QDate(2026, 3, 5), QTime(14, 7));
        const QVariantMap record = sessionRecord(oddTester, stored, "SN-1");
        {
            StationDatabase first(m_folder.filePath("first.sqlite"));
            StationDatabase second(m_folder.filePath("second.sqlite"));
            // Sent twice: queued twice at the first station.
            QVERIFY(first.addSession(record, uuid));
            QVERIFY(first.addSession(record, uuid));
            // Weekly tasks counted from today: for SN-1, last run ten days ago, so due three days ago; for any
            // display, one run five days ago and not due yet, and one started ten days ago that never ran; and
            // one of another display. A description that would split the row is shown as the tools print it.
            QVERIFY(first.addTask(weeklyTask("w1", "Weekly\nof SN-1", -17, -10, "SN-1")));
            QVERIFY(first.addTask(weeklyTask("w2", "Weekly", -5, -5)));
            QVERIFY(first.addTask(weeklyTask("w3", "Never run", -10, 0)));
            QVERIFY(first.addTask(weeklyTask("w4", "Weekly of SN-9", -5, 0, "SN-9")));
            QVERIFY(second.addSession(sessionRecord("Ann", stored.addDays(1), "SN-2", 2)));
            QVERIFY(second.addTask(weeklyTask("t1", "From next month", 30, 0)));
            // A second display at that station, with a task of its own due sooner than the one for any display.
            QVERIFY(second.addSession(sessionRecord("Ann", stored.addDays(2), "SN-3")));
            QVERIFY(second.addTask(weeklyTask("t2", "Weekly of SN-3", 10, 0, " SN-3")));
        }
        QVERIFY(send(database, oddStation, "first.sqlite"));
        QVERIFY(send(database, "US 1", "second.sqlite"));

        SiteDatabase site(SiteUri::parse(m_server.uri(database)), QStringLiteral("reader"));
        QVERIFY2(site.open(), qPrintable(site.lastError()));
        bool ok = false;
        const QVector<SiteDisplayRow> rows = site.overview(&ok);
        QVERIFY(ok);
        QCOMPARE(rows.size(), 3);
        // Sent twice, stored once (--list below), with the date it was stored at the station.
        QMap<QString, SiteDisplayRow> bySerial;
        for (const SiteDisplayRow &row : rows)
            bySerial.insert(row.lastSession.displaySerial, row);
        const SiteSessionSummary odd = bySerial.value("SN-1").lastSession;
        QCOMPARE(odd.station, oddStation);
        QCOMPARE(odd.tester, oddTester);
        QCOMPARE(odd.storedAt, stored);
        QCOMPARE(bySerial.value("SN-1").nextDue, localNoon(-10));
        SiteOverviewModel model;
        model.setRows({bySerial.value("SN-1")});
        QCOMPARE(model.index(0, SiteOverviewModel::OverdueColumn).data().toString(),
                 QStringLiteral("Never run: 10 days overdue; Weekly\\nof SN-1: 3 days overdue"));
        QCOMPARE(bySerial.value("SN-2").lastSession.failedCount, 2);
        QCOMPARE(bySerial.value("SN-2").nextDue, localNoon(30));
        QCOMPARE(bySerial.value("SN-3").nextDue, localNoon(10));

        QCOMPARE(reportLines({"--database", m_server.uri(database), "--list"}).size(), 3);
        const QStringList oneStation =
            reportLines({"--database", m_server.uri(database), "--list", "--station", oddStation});
        QCOMPARE(oneStation.size(), 1);
        QVERIFY2(oneStation.first().endsWith(oddTester + "\t0\t" + oddStation + "\tpostgres"),
                 qPrintable(oneStation.first()));
    }

    // Sessions stored while the server is down wait in the store's outbox and
    // arrive once each when it is back; storing never waits for the network.
    void serverStoppedWhileSessionsWait()
    {
        const QString database = newDatabase();
        QVERIFY(QDir(m_folder.path()).mkpath("station"));
        ConfigurationManager store(m_folder.filePath("station/Lumivex 2016.ini"));
        SiteSender sender({m_server.uri(database), "Ward 7"}, store.databaseFileName());
        sender.watch(store.database());
        QSignalSpy status(&sender, &SiteSender::statusChanged);
        const QVariantMap results = sessionRecord("", QDateTime(), "SN-7").value("test_session").toMap();
        QVERIFY(store.addSession(results, "Ann", 4, 0, 0, " (MAKER - MD27)"));
        QVERIFY(status.wait(Patience));
        QCOMPARE(sender.waitingSessions(), 0);

        QVERIFY2(m_server.stop(), qPrintable(m_server.error()));
        QVERIFY(store.addSession(results, "Ben", 4, 1, 0, " (MAKER - MD27)"));
        QVERIFY(store.addSession(results, "Cy", 4, 0, 0, " (MAKER - MD27)"));
        QTRY_COMPARE_WITH_TIMEOUT(sender.waitingSessions(), 2, Patience);
        QVERIFY(!sender.lastFailure().isEmpty());

        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        sender.send();
        QTRY_COMPARE_WITH_TIMEOUT(sender.waitingSessions(), 0, Patience);
        QCOMPARE(sender.lastFailure(), QString());
        sender.send();
        QVERIFY(status.wait(Patience));
        QCOMPARE(reportLines({"--database", m_server.uri(database), "--list", "--station", "Ward 7"}).size(), 3);
    }

    void connectionFaults_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("reason");

        // A port on the loopback that listens but never answers, and one that is closed again.
        m_silent.listen(QHostAddress::LocalHost);
        QTcpServer closing;
        closing.listen(QHostAddress::LocalHost);
        const int closed = closing.serverPort();
        closing.close();
        QTest::newRow("wrong password") << m_server.uri("postgres", "lumivex_password")
                                        << "password authentication failed";
        QTest::newRow("unknown host") << "postgresql://qa@lumivex-site.invalid/site"
                                      << "cannot be reached";
        QTest::newRow("refused connection")
            << QStringLiteral("postgresql://qa@127.0.0.1:%1/site").arg(closed) << "refused";
        QTest::newRow("server never answers")
            << QStringLiteral("postgresql://qa@127.0.0.1:%1/site").arg(m_silent.serverPort()) << "timeout expired";
    }

    void connectionFaults()
    {
        QFETCH(QString, uri);
        QVERIFY(m_server.execute("postgres", {"DROP ROLE IF EXISTS lumivex_password",
                                              "CREATE ROLE lumivex_password LOGIN PASSWORD 'right'"}));
        const QString passwords = m_folder.filePath("pgpass");
        writeBytes(passwords, "*:*:*:lumivex_password:wrong\n");
        QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(passwords));

        const QString stationFile = m_folder.filePath(QStringLiteral("fault-%1.sqlite").arg(QTest::currentDataTag()));
        StationDatabase station(stationFile);
        QVERIFY(station.addSession(sessionRecord("Ann", QDateTime::currentDateTime(), "A")));
        SiteSender sender({uri, "Ward 7"}, stationFile);
        QSignalSpy status(&sender, &SiteSender::statusChanged);
        sender.send();
        // The window goes on storing while the sender waits for the network.
        QVERIFY(station.addSession(sessionRecord("Ben", QDateTime::currentDateTime(), "A")));
        QVERIFY(status.wait(Patience));
        QFETCH(QString, reason);
        const QString failure = status.last().at(1).toString();
        QVERIFY2(failure.contains(reason, Qt::CaseInsensitive), qPrintable(failure));
        QCOMPARE(SiteOutbox::waitingSessions(station.database()), 2);
    }

    // Station logins write only for the stations lumivex_station_logins gives them, in their own name.
    void stationWritesOnlyForItself()
    {
        const QString database = newDatabase();
        QVERIFY(m_server.execute(
            "postgres", {"DROP ROLE IF EXISTS station_a, station_b, station_c", "CREATE ROLE station_c LOGIN"}));
        SiteDatabase refused(SiteUri::parse(m_server.uri(database, "station_c")), QStringLiteral("refused"));
        QVERIFY(!refused.open());
        QVERIFY2(refused.lastError().contains("may not create them"), qPrintable(refused.lastError()));

        SiteDatabase owner(SiteUri::parse(m_server.uri(database)), QStringLiteral("owner"));
        QVERIFY2(owner.open(), qPrintable(owner.lastError()));
        QVERIFY(m_server.execute("postgres", {"CREATE ROLE station_a LOGIN IN ROLE lumivex_station",
                                              "CREATE ROLE station_b LOGIN IN ROLE lumivex_station"}));
        QVERIFY(m_server.execute(database, {"INSERT INTO lumivex_station_logins VALUES ('station_a', 'CT room A'), "
                                            "('station_b', 'CT room B')"}));
        const QString uuid = newUuid();
        const QVariantMap failedRecord = sessionRecord("Ann", QDateTime::currentDateTime(), "A", 6);
        SiteDatabase a(SiteUri::parse(m_server.uri(database, "station_a")), QStringLiteral("station_a"));
        QVERIFY2(a.open(), qPrintable(a.lastError()));
        QVERIFY2(a.upsertSession("CT room A", uuid, failedRecord), qPrintable(a.lastError()));
        QVERIFY2(a.upsertSession("CT room A", uuid, failedRecord), qPrintable(a.lastError()));
        const QVariantMap task{{"id", "t1"}, {"description", "Monthly"}, {"date", QDateTime::currentDateTime()}};
        QVERIFY2(a.upsertTask("CT room A", task), qPrintable(a.lastError()));

        SiteDatabase b(SiteUri::parse(m_server.uri(database, "station_b")), QStringLiteral("station_b"));
        QVERIFY2(b.open(), qPrintable(b.lastError()));
        const QVariantMap forged = sessionRecord("Mallory", QDateTime::currentDateTime().addDays(1), "A");
        QVERIFY(!b.upsertSession("CT room A", newUuid(), forged));
        QVERIFY2(b.lastError().contains("\"CT room A\"") && b.lastError().contains("lumivex_station_logins"),
                 qPrintable(b.lastError()));
        // The upsert of A's uuid under B's own station would turn A's row into B's.
        QVERIFY(!b.upsertSession("CT room B", uuid, forged));
        QVERIFY(!b.upsertTask("CT room A", {{"id", "t2"}}));
        // The same task id at another station is another task.
        QVERIFY2(b.upsertTask("CT room B", task), qPrintable(b.lastError()));
        QVERIFY(b.markTaskRemoved("CT room A", "t1"));
        QVERIFY2(b.upsertSession("CT room B", newUuid(), forged), qPrintable(b.lastError()));

        QSqlQuery query(QSqlDatabase::database("station_b"));
        QVERIFY(query.exec("UPDATE lumivex_sessions SET failed_count = 0 WHERE station = 'CT room A'"));
        QCOMPARE(query.numRowsAffected(), 0);
        QVERIFY(!query.exec("UPDATE lumivex_sessions SET station = 'CT room A' WHERE station = 'CT room B'"));
        QVERIFY(!query.exec("UPDATE lumivex_sessions SET sent_by = 'station_a' WHERE station = 'CT room B'"));
        QVERIFY(!query.exec("INSERT INTO lumivex_station_logins VALUES ('station_b', 'CT room A')"));
        // A session withdrawn at its station stays at the site, marked; only its own station marks it.
        const QVariantMap withdrawal{
            {"withdrawnBy", "Q. Officer"}, {"withdrawnAt", "2026-03-06T10:00:00.000Z"}, {"reason", "wrong display"}};
        QVERIFY(!b.markSessionWithdrawn("CT room B", uuid, withdrawal));
        QVERIFY2(a.markSessionWithdrawn("CT room A", uuid, withdrawal), qPrintable(a.lastError()));
        QVERIFY(!query.exec("DELETE FROM lumivex_sessions"));
        QVERIFY(!query.exec("DROP TABLE lumivex_tasks"));

        bool ok = false;
        QCOMPARE(owner.sessionRecord(uuid).value("tester").toString(), QStringLiteral("Ann"));
        QVERIFY(query.exec("SELECT string_agg(concat_ws(' ', station, sent_by, removed), ', ' ORDER BY station) "
                           "FROM lumivex_tasks WHERE task_id = 't1'") &&
                query.next());
        QCOMPARE(query.value(0).toString(), "CT room A station_a f, CT room B station_b f");
        // Listed and shown as withdrawn: who, when and why.
        const QStringList listed =
            reportLines({"--database", m_server.uri(database), "--list", "--station", "CT room A"});
        QCOMPARE(listed.size(), 1);
        QVERIFY2(listed.first().endsWith(
                     "\tCT room A\tstation_a\twithdrawn\tQ. Officer\t2026-03-06T10:00:00Z\twrong display"),
                 qPrintable(listed.first()));
        SiteOverviewModel model;
        model.setRows(owner.overview(&ok));
        QVERIFY(ok);
        QStringList marks;
        for (int row = 0; row < model.rowCount(); ++row)
            marks << model.index(row, 0).data(Qt::ToolTipRole).toString() + '|' +
                         QString::number(model.index(row, 0).data(Qt::FontRole).value<QFont>().strikeOut());
        const QString withdrawnAt =
            LocalFormats::dateTime(QDateTime(QDate(2026, 3, 6), QTime(10, 0), Qt::UTC).toLocalTime());
        const QString mark = TR::Translator::instance()->translate("records_withdrawnBy");
        QCOMPARE(marks, QStringList({mark.arg("Q. Officer", withdrawnAt, "wrong display") + "|1", "|0"}));
    }

    // An owner who may not create roles gets an error and no tables: neither the
    // program nor psql leave tables that row-level security does not guard.
    void schemaNeedsTheRightToCreateRoles()
    {
        dropStationRole();
        const QString database = QStringLiteral("owned_site");
        QVERIFY(m_server.execute("postgres",
                                 {"CREATE ROLE site_owner LOGIN", "CREATE DATABASE owned_site OWNER site_owner"}));
        SiteDatabase station(SiteUri::parse(m_server.uri(database, "site_owner")), QStringLiteral("site_owner"));
        QVERIFY(!station.open());
        QVERIFY2(station.lastError().contains("site_owner may not create roles"), qPrintable(station.lastError()));

        QProcess psql;
        psql.start("psql",
                   {"-X", "-v", "ON_ERROR_STOP=1", "--single-transaction", "-d", m_server.uri(database, "site_owner"),
                    "-f", LUMIVEX_TEST_DATA_DIR "/../../resources/site/lumivex-site.sql"});
        QVERIFY(psql.waitForFinished(Patience));
        QVERIFY(psql.exitCode() != 0);
        const QString error = QString::fromLocal8Bit(psql.readAllStandardError());
        QVERIFY2(error.contains("ERROR:  role lumivex_station cannot be created: site_owner may not create roles"),
                 qPrintable(error));
        QVERIFY2(m_server.execute(database, {"DO $$ BEGIN IF to_regclass('lumivex_sessions') IS NOT NULL THEN "
                                             "RAISE EXCEPTION 'tables left'; END IF; END $$"}),
                 qPrintable(m_server.error()));
    }

    // The main window offers the site page only with a site database; the page
    // lists both stations, sorts by date and opens a row's report from the site.
    void sitePageShowsEveryStation()
    {
        const QString database = newDatabase();
        const QDateTime older(QDate(2026, 1, 10), QTime(9, 0));
        // A name that would split the row, clear the screen and show "FAKE" turned around.
        const QString hostileStation = QStringLiteral("B station\n\x1b[2J\u202EEKAF");
        {
            StationDatabase station(m_folder.filePath("page.sqlite"));
            QVariantMap acceptance = sessionRecord("Ann", older, "SN-1");
            acceptance.insert("testtype", "acceptance");
            QVERIFY(station.addSession(acceptance));
            QVERIFY(station.addSession(sessionRecord("Ben", older.addDays(3), "SN-9", 1)));
            QVERIFY(station.addSession(sessionRecord("Cy", older.addDays(-5), "SN-9")));
        }
        QVERIFY(send(database, hostileStation, "page.sqlite"));
        {
            MainWindow plain;
            QVERIFY(!plain.findChild<QPushButton *>("sitePushButton"));
        }
        {
            QSettings settings("Lumivex 2016.ini", QSettings::IniFormat);
            settings.setValue("SITE/database", m_server.uri(database));
            settings.setValue("SITE/station", "A station");
        }
        MainWindow window;
        window.show();
        auto *button = window.findChild<QPushButton *>("sitePushButton");
        QVERIFY(button && button->isVisible());
        auto *page = window.findChild<SitePage *>("sitePage");
        QVERIFY(page);
        QSignalSpy loaded(page->model(), &QAbstractItemModel::modelReset);
        button->click();
        QCOMPARE(window.findChild<QStackedWidget *>("stackedWidget")->currentWidget(), page);
        QVERIFY(loaded.wait(Patience));
        auto *view = page->findChild<QTableView *>("siteTableView");
        QCOMPARE(view->model()->rowCount(), 2);
        view->sortByColumn(SiteOverviewModel::LastTestColumn, Qt::AscendingOrder);
        const auto cell = [view](int column) { return view->model()->index(0, column).data(); };
        QCOMPARE(cell(SiteOverviewModel::SerialColumn).toString(), QStringLiteral("SN-1"));
        QCOMPARE(cell(SiteOverviewModel::StationColumn).toString(),
                 QStringLiteral("B station\\n\\u{1b}[2J\\u{202e}EKAF"));
        QCOMPARE(cell(SiteOverviewModel::SentByColumn).toString(), QStringLiteral("postgres"));
        QCOMPARE(cell(SiteOverviewModel::TestTypeColumn).toString(), QStringLiteral("Acceptance test"));
        QCOMPARE(cell(SiteOverviewModel::LastTestColumn).toString(), LocalFormats::dateTime(older));
        QVERIFY(!view->model()->index(0, SiteOverviewModel::ResultColumn).data(Qt::DecorationRole).isNull());
        view->sortByColumn(SiteOverviewModel::LastTestColumn, Qt::DescendingOrder);
        QCOMPARE(view->model()->index(0, SiteOverviewModel::FailedCountColumn).data().toInt(), 1);

        const QString pdf = m_folder.filePath("site-report.pdf");
        ModalAnswers::handle([&](QDialog *dialog) {
            static_cast<QPrintPreviewDialog *>(dialog)->printer()->setOutputFileName(pdf);
            dialog->findChild<QPrintPreviewWidget *>()->print();
        });
        ItemViews::clickCell(view, 1, SiteOverviewModel::ReportColumn);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf), Patience);
        const QString text = PdfProbe::text(PdfProbe::words(pdf));
        QVERIFY2(text.contains(QStringLiteral("(MAKER - MD27)")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("No errors were encountered.")), qPrintable(text));
    }

    // A large site: the table sorts all of its rows, not just the page the view
    // was given, and the view scrolled to its end reaches the last row.
    void siteTableSortsAllRowsAndPages()
    {
        QVector<SiteDisplayRow> rows(2 * PagedTableModel::FirstPage + 1);
        for (int n = 0; n < rows.size(); ++n) {
            rows[n].lastSession.station = QStringLiteral("Station %1").arg(n, 4, 10, QLatin1Char('0'));
            rows[n].lastSession.storedAt = QDateTime(QDate(2026, 1, 1), QTime(9, 0)).addDays(-n);
        }
        const QString last = rows.constLast().lastSession.station;
        SiteOverviewModel model;
        model.setRows(rows);
        QTableView view;
        view.setModel(&model);
        view.show();
        const auto station = [&model](int row) { return model.index(row, SiteOverviewModel::StationColumn).data(); };
        QCOMPARE(model.rowCount(), PagedTableModel::FirstPage);
        QCOMPARE(station(0).toString(), QStringLiteral("Station 0000"));
        view.sortByColumn(SiteOverviewModel::LastTestColumn, Qt::AscendingOrder);
        QCOMPARE(station(0).toString(), last);
        view.sortByColumn(SiteOverviewModel::StationColumn, Qt::AscendingOrder);
        QCOMPARE(station(0).toString(), QStringLiteral("Station 0000"));
        QTRY_VERIFY_WITH_TIMEOUT((view.scrollToBottom(), !model.canFetchMore({})), Patience);
        QCOMPARE(model.rowCount(), rows.size());
        QCOMPARE(station(rows.size() - 1).toString(), last);
    }

private:
    // Roles belong to the whole server: lumivex_station made by an earlier test is
    // taken out of every database again.
    void dropStationRole()
    {
        for (int number = 1; number <= m_databases; ++number)
            m_server.execute(QStringLiteral("site%1").arg(number), {QStringLiteral("DROP OWNED BY lumivex_station")});
        QVERIFY2(m_server.execute(QStringLiteral("postgres"), {QStringLiteral("DROP ROLE IF EXISTS lumivex_station")}),
                 qPrintable(m_server.error()));
    }

    // A database of its own for each test, on the one server of the run.
    QString newDatabase()
    {
        const QString name = QStringLiteral("site%1").arg(++m_databases);
        if (!m_server.execute(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE ") + name}))
            qWarning() << m_server.error();
        return name;
    }

    // Sends a station's outbox to the site; true when it arrived without a failure.
    bool send(const QString &database, const QString &station, const QString &file)
    {
        SiteSender sender({m_server.uri(database), station}, m_folder.filePath(file));
        QSignalSpy status(&sender, &SiteSender::statusChanged);
        sender.send();
        return status.wait(Patience) && status.last().at(0).toInt() == 0 && status.last().at(1).toString().isEmpty();
    }

    static QStringList reportLines(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report"), arguments);
        if (!tool.waitForFinished(Patience) || tool.exitCode() != 0)
            qWarning() << tool.readAllStandardError();
        return QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    PostgresServer m_server;
    QTcpServer m_silent; // listening until the run ends, never answering
    QTemporaryDir m_folder;
    int m_databases = 0;
};

QTEST_MAIN(TestSite)
#include "tst_site.moc"
