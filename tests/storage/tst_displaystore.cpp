#include "displayrecord.h"
#include "sessiondatabase.h"
#include "support/sqlitefile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QVariantMap display(const QString &maker, const QString &model, const QString &serial)
{
    return {{"maker", maker}, {"model", model}, {"serial", serial}};
}

const QVariantMap DisplayA = display("MAKER", "MD27", "A-1");
const QVariantMap DisplayB = display("MAKER", "MD27", "B-2");

// A session record; one of no display has no "display" at all, as those
// stored before sessions named their display.
QVariantMap session(const QVariantMap &shown, const QString &type, int failed, const QDateTime &date,
                    const QVariantMap &measured = {})
{
    QVariantMap record{{"tester", "Dana"},     {"date", date},
                       {"ntest", 3},           {"nfailedtestcontents", failed},
                       {"monitorselected", 0}, {"monitorinfo", " (MAKER - MD27)"},
                       {"display", shown},     {"test_session", QVariantMap{{"2", shown.value("serial")}}}};
    if (shown.isEmpty())
        record.remove("display");
    if (!type.isEmpty())
        record.insert("testtype", type);
    if (!measured.isEmpty())
        record.insert("measured", measured);
    return record;
}

QDateTime day(int d, int hour = 10)
{
    return QDateTime(QDate(2026, 3, d), QTime(hour, 0));
}

} // namespace

// The displays the store knows, each session's display, and the reference
// values that acceptance tests leave.
class TestDisplayStore : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SessionDatabase> m_store;

    qint64 add(const QVariantMap &record)
    {
        qint64 id = 0;
        if (!m_store->addSession(record, &id))
            qWarning() << m_store->errorString();
        return id;
    }
    DisplayRecord row(const QVariantMap &identity) const
    {
        return m_store->display(DisplayRecord::key(identity)).value_or(DisplayRecord());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<SessionDatabase>(m_dir->filePath("Lumivex.sqlite"));
        QVERIFY(m_store->open());
    }
    void cleanup() { m_store.reset(); }

    void key_data()
    {
        QTest::addColumn<QVariantMap>("first");
        QTest::addColumn<QVariantMap>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("spaces around") << display(" MAKER", "MD27 ", " A-1 ") << DisplayA << true;
        QTest::newRow("other serial") << DisplayA << DisplayB << false;
        QTest::newRow("words moved between fields")
            << display("MAKER MD27", "", "A-1") << display("MAKER", "MD27", "A-1") << false;
        QTest::newRow("separator inside a field")
            << display("A\",\"B", "C", "") << display("A", "B\",\"C", "") << false;
        QTest::newRow("case") << display("maker", "md27", "a-1") << DisplayA << false;
    }
    void key()
    {
        QFETCH(QVariantMap, first);
        QFETCH(QVariantMap, second);
        QFETCH(bool, same);
        QCOMPARE(DisplayRecord::key(first) == DisplayRecord::key(second), same);
    }

    // Each display finds only its own sessions; its row says when it was first
    // and last tested and how the last test ended, whatever order they came in.
    // A session of a blank or absent display is stored, but gives no row.
    void sessionsOfEachDisplay()
    {
        QVERIFY(DisplayRecord::key(display(" ", "", "\t")).isEmpty());
        QVERIFY(DisplayRecord::key({}).isEmpty());
        QVERIFY(add(session(display("", " ", ""), "acceptance", 0, day(1), {{"maxLuminance", 400.0}})) > 0);
        QVERIFY(add(session({}, QString(), 0, day(2))) > 0);
        QVERIFY(m_store->sessionIds(QString()).isEmpty());
        const qint64 a1 = add(session(DisplayA, "dailyConstancy", 0, day(2)));
        const qint64 b1 = add(session(DisplayB, "dailyConstancy", 2, day(3)));
        const qint64 a0 = add(session(DisplayA, "dailyConstancy", 1, day(1)));
        QCOMPARE(m_store->sessionIds(DisplayRecord::key(DisplayA)), (QList<qint64>{a1, a0}));
        QCOMPARE(m_store->sessionIds(DisplayRecord::key(DisplayB)), QList<qint64>{b1});
        QCOMPARE(m_store->newestSessionId(), b1);

        const QList<DisplayRecord> displays = m_store->displays();
        QCOMPARE(displays.size(), 2);
        QCOMPARE(displays.at(0).serial, QStringLiteral("A-1"));
        QCOMPARE(displays.at(0).firstTested, day(1));
        QCOMPARE(displays.at(0).lastTested, day(2));
        QCOMPARE(displays.at(0).lastResult, QStringLiteral("passed"));
        QCOMPARE(displays.at(1).lastResult, QStringLiteral("failed"));
        QCOMPARE(displays.at(1).description(), QStringLiteral("MAKER MD27 (SN B-2)"));
    }

    // Categories stored before the split read as today's by their room class; what the records keep stays.
    void oldCategories_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("roomClass");
        QTest::addColumn<QString>("read");
        const auto row = [](const char *name, const char *stored, const char *roomClass, const char *read) {
            QTest::newRow(name) << QString(stored) << QString(roomClass) << QString(read);
        };
        row("fluoroscopy, CT, MR", "fluoroscopyCtMr", "RK3", "fluoroscopy");
        row("dental in RK5", "dental", "RK5", "dentalRk5");
        row("dental in RK6", "dental", "RK6", "dentalRk6");
        row("today's id", "ct", "RK2", "ct");
    }

    void oldCategories()
    {
        QFETCH(QString, stored);
        QFETCH(QString, roomClass);
        QFETCH(QString, read);
        QVariantMap display = DisplayA;
        display.insert({{"category", stored}, {"roomClass", roomClass}});
        QVariantMap record = session(display, "periodicConstancy", 1, day(6));
        const QVariantMap judgement{
            {"version", "1"},
            {"verdicts", QVariantList{QVariantMap{
                             {"quantity", "maxLuminance"}, {"measured", 160.0}, {"limit", 150.0}, {"passed", false}}}}};
        record.insert("judgement", judgement);
        add(record);
        QCOMPARE(row(DisplayA).category, read);
        const QVariantMap kept = m_store->sessionRecord(m_store->newestSessionId(DisplayRecord::key(DisplayA)));
        QCOMPARE(kept.value("display").toMap().value("category").toString(), stored);
        QCOMPARE(kept.value("judgement").toMap(), judgement);
    }

    // A category chosen for the display stays; a session's own only fills a
    // display that has none. Choosing the same again keeps the date of the change.
    void classification()
    {
        QVERIFY(m_store->classifyDisplay(DisplayA, "mammography", "RK1", QDate(2026, 3, 1)));
        QVERIFY(m_store->classifyDisplay(DisplayA, "mammography", "RK1", QDate(2026, 3, 5)));
        QCOMPARE(row(DisplayA).classifiedOn, QDate(2026, 3, 1));
        QVariantMap classified = DisplayA;
        classified.insert({{"category", "dental"}, {"roomClass", "RK4"}});
        add(session(classified, "dailyConstancy", 0, day(6)));
        QCOMPARE(row(DisplayA).category, QStringLiteral("mammography"));
        QVERIFY(m_store->classifyDisplay(DisplayA, "mammography", "RK2", QDate(2026, 3, 7)));
        QCOMPARE(row(DisplayA).roomClass, QStringLiteral("RK2"));
        QCOMPARE(row(DisplayA).classifiedOn, QDate(2026, 3, 7));

        QVariantMap other = DisplayB;
        other.insert({{"category", "dental"}, {"roomClass", "RK4"}});
        add(session(other, "dailyConstancy", 0, day(8)));
        // Stored as before the dental category was split, read as today's.
        QCOMPARE(row(DisplayB).category, QStringLiteral("dentalRk5"));
        QCOMPARE(row(DisplayB).classifiedOn, QDate(2026, 3, 8));
        QVERIFY(row(DisplayB).isClassified());
        QVERIFY(!m_store->classifyDisplay(display("", "", ""), "dental", "RK1", QDate(2026, 3, 8)));
    }

    void automaticReference_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QVariantMap>("measured");
        QTest::addColumn<bool>("setsReference");
        const QVariantMap measured{{"maxLuminance", 412.5}, {"ln01", 0.81}};
        QTest::newRow("passed acceptance") << "acceptance" << 0 << measured << true;
        QTest::newRow("failed acceptance") << "acceptance" << 1 << measured << false;
        QTest::newRow("periodic constancy") << "periodicConstancy" << 0 << measured << false;
        QTest::newRow("stored before test types") << QString() << 0 << measured << false;
        QTest::newRow("acceptance without readings") << "acceptance" << 0 << QVariantMap() << false;
    }
    void automaticReference()
    {
        QFETCH(QString, type);
        QFETCH(int, failed);
        QFETCH(QVariantMap, measured);
        QFETCH(bool, setsReference);
        QVariantMap record = session(DisplayA, type, failed, day(4), measured);
        const QVariantMap meter{{"model", "LS-150"}, {"serial", "4711"}};
        record.insert("meter", meter);
        add(record);
        const DisplayRecord stored = row(DisplayA);
        QCOMPARE(stored.reference, setsReference ? measured : QVariantMap());
        // The meter that read the reference goes with it, for the comparison of later tests.
        QCOMPARE(stored.referenceMeter, setsReference ? meter : QVariantMap());
        QCOMPARE(stored.referenceDate, setsReference ? QDate(2026, 3, 4) : QDate());
        QCOMPARE(stored.referenceSession.isEmpty(), !setsReference);
    }

    // An older acceptance test stored later (an import) does not displace a
    // newer reference; the display page may still choose it, but only one of
    // that display's acceptance tests with readings.
    void chosenReference()
    {
        const qint64 newer = add(session(DisplayA, "acceptance", 0, day(10), {{"maxLuminance", 500.0}}));
        const qint64 older = add(session(DisplayA, "acceptance", 0, day(2), {{"maxLuminance", 450.0}}));
        const qint64 constancy = add(session(DisplayA, "periodicConstancy", 0, day(11), {{"maxLuminance", 300.0}}));
        const qint64 other = add(session(DisplayB, "acceptance", 0, day(12), {{"maxLuminance", 350.0}}));
        const qint64 empty = add(session(DisplayA, "acceptance", 1, day(13)));
        QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 500.0);

        QVERIFY(m_store->makeReference(DisplayRecord::key(DisplayA), older));
        QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 450.0);
        QCOMPARE(row(DisplayA).referenceDate, QDate(2026, 3, 2));
        for (const qint64 refused : {constancy, other, empty, qint64(9999)}) {
            QVERIFY(!m_store->makeReference(DisplayRecord::key(DisplayA), refused));
            QVERIFY(!m_store->errorString().isEmpty());
            QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 450.0);
        }
        QVERIFY(m_store->makeReference(DisplayRecord::key(DisplayA), newer));
        QCOMPARE(row(DisplayA).referenceDate, QDate(2026, 3, 10));
    }

    // A database of the version before displays: its sessions list as they did,
    // those that name their display give it its row, and new sessions join them.
    void sessionsStoredBefore()
    {
        const qint64 before = add(session(DisplayA, "acceptance", 0, day(1), {{"maxLuminance", 400.0}}));
        add(session({}, QString(), 0, day(2)));
        m_store.reset();
        runOnDatabase(m_dir->filePath("Lumivex.sqlite"),
                      {"DROP TRIGGER sessions_are_kept", "DROP TRIGGER session_records_are_kept",
                       "DROP TABLE withdrawals", "DROP INDEX sessions_by_display",
                       "ALTER TABLE sessions DROP COLUMN display_key", "DROP TABLE displays",
                       "ALTER TABLE sessions DROP COLUMN test_type", "ALTER TABLE sessions DROP COLUMN display_maker",
                       "ALTER TABLE sessions DROP COLUMN display_model",
                       "ALTER TABLE sessions DROP COLUMN display_serial", "PRAGMA user_version = 2"});
        m_store = std::make_unique<SessionDatabase>(m_dir->filePath("Lumivex.sqlite"));
        QVERIFY(m_store->open());
        QCOMPARE(m_store->sessionSummaries().size(), 2);
        QCOMPARE(m_store->sessionSummaries().value(0).toMap().value("tester").toString(), QStringLiteral("Dana"));
        QCOMPARE(m_store->displays().size(), 1);
        QCOMPARE(row(DisplayA).reference.value("maxLuminance").toDouble(), 400.0);
        QCOMPARE(row(DisplayA).lastTested, day(1));
        const qint64 id = add(session(DisplayA, "dailyConstancy", 0, day(3)));
        QCOMPARE(m_store->sessionIds(DisplayRecord::key(DisplayA)), (QList<qint64>{id, before}));
    }
};

QTEST_GUILESS_MAIN(TestDisplayStore)
#include "tst_displaystore.moc"
