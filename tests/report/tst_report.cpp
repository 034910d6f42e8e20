#include "answeredsession.h"
#include "configurationmanager.h"
#include "limitstable.h"
#include "localformats.h"
#include "luminanceresponse.h"
#include "meterassist.h"
#include "pdfprobe.h"
#include "recordfingerprint.h"
#include "reportdocument.h"
#include "reportgenerator.h"
#include "reportstyle.h"
#include "savedsessionsmodel.h"
#include "sessionexport.h"
#include "stepcaption.h"
#include "storedrecord.h"
#include "support/dentaldisplay.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "support/shippedlanguages.h"
#include "support/sqlitefile.h"
#include "support/storefiles.h"
#include "support/translated.h"
#include "support/watchingpaintengine.h"
#include "test.h"
#include "testconfig.h"
#include "testcontent.h"
#include "testframe.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "translator.h"
#include "verdicttext.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using PdfProbe::Word;
using namespace AnsweredSession;
using DentalDisplay::readings;
using SessionDriver::Answers;

namespace {

// A yes/no question always holds its answer; a text or a choice once something was typed or chosen.
bool answered(const TestContent *content)
{
    return content->type() == TestContent::kTestContentTypeBoolean ||
           content->type() == TestContent::kTestContentTypeMultiselect || !content->resultText().isEmpty();
}

// The built-in limits' sources as each verdict stores them, in English, the last one the table's description in
// the footer; and a site's own source.
const QStringList EnglishSources{
    "DIN 6868-157:2014, table of application categories as a display maker's public summary gives it; check "
    "against the edition in force (2022-01)",
    "DIN 6868-157:2014 as the public circulars of the German radiation-protection authorities on test "
    "intervals give it; check against the edition in force (2022-01)",
    "plausible range of the quantity, not a limit of the standard",
    "DIN 6868-157:2014, room classes as the public summaries of test bodies give them; check against the "
    "edition in force (2022-01)",
    "DIN 6868-157:2014, from a public summary; check against the edition in force",
    "site setting",
    "site setting: the public summary of DIN 6868-157:2014 asks for GSDF conformance without a figure; check "
    "against the edition in force (2022-01)",
    "DIN 6868-157:2014, values from public summaries; check against the edition in force, 2022-01"};
const QString SiteSource = "Hausregel 7 <b>&</b> Anhang";

const QColor passedGreen(QStringLiteral("#8cc640"));
const QColor failedOrange(QStringLiteral("#f15b26"));
const QColor measuredBlue(QStringLiteral("#1f6fd1"));

// Page geometry of an A4 report at 72 dots per inch.
constexpr int contentLeft = 20;
constexpr int contentBottom = 801;
constexpr int valueLeft = 178;

// The default settings file of lumivex-report, read when no other is named.
const QString settingsName = QStringLiteral("Lumivex 2016.ini");
const QString ReportTool = QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report");

// The session of a case of the report's texts: a record, a test_session, 18 readings, one group's tests, or
// a judged session.
QVariantMap caseSession(const QVariantMap &entry)
{
    if (entry.contains("record"))
        return entry.value("record").toMap();
    if (entry.contains("testSession"))
        return record(entry.value("testSession"));
    if (entry.contains("category")) {
        // A checkout that its group may write would be refused as a site's folder: the file is read from a copy.
        QTemporaryDir site;
        QFile::copy(LUMIVEX_TEST_DATA_DIR "/report/limits.json", site.filePath("limits.json"));
        QFile::setPermissions(site.filePath("limits.json"), QFile::ReadOwner | QFile::WriteOwner);
        const QVariantMap typedOver = entry.value("typedOver").toMap();
        // The fields computed from the diagonal follow it as they follow a typed one.
        AnsweredCatalogue::Measurements monitor = AnsweredCatalogue::brightMonitor();
        monitor.screenDiagonal = typedOver.value("content05010000", monitor.screenDiagonal).toString();
        return judgedRecord(monitor, "periodicConstancy", {entry.value("category").toString(), "RK3", {}},
                            LimitsTable::load(site.filePath("limits.json")), typedOver);
    }
    const QString readings = entry.value("readings").toString();
    return oneGroupRecord(readings.isEmpty() ? entry.value("tests") : levelTests(fixture(readings).toStringList()));
}

// The first word with this text: a line cut at a page's foot shows once more, clipped, above the next
// page's content area, where a reader of the PDF's text still finds it.
Word first(const QList<Word> &words, const QString &text)
{
    return PdfProbe::find(words, text).value(0);
}

// The area shows the passed green or the failed orange, and nothing of the other.
bool showsOnly(const QImage &page, const QRect &area, const QColor &shown)
{
    const QColor other = shown == passedGreen ? failedOrange : passedGreen;
    return PdfProbe::countColour(page, area, shown) > 8 && PdfProbe::countColour(page, area, other) == 0;
}

QVariant storedSession(const QDateTime &date, const QString &tester, int failed, const QString &monitor)
{
    QVariantMap record =
        oneGroupRecord(fixture("export").toList() + levelTests(fixture("GSDF readings").toStringList()), failed, date);
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("monitorinfo"), monitor);
    return record;
}

} // namespace

// Reports drawn by the generator and by the lumivex-report tool, in its own processes. Each test runs in a folder
// holding a settings file of three stored sessions, an empty one, a copy named store.csv and a link to the settings
// file. In every shipped language every text fits its box, dates and readings are written as the language writes
// them, and a group heading never stands alone at the foot of a page. A display's acceptance test, then constancy
// tests compared with its reference values, run as real sessions: the record, the summary shown at the end of the
// run, the report and the export.
class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    // A stored record and the report lumivex-report drew from it, for the fingerprint.
    void initTestCase()
    {
        useShippedLanguages();
        {
            ConfigurationManager store(signedFile(settingsName));
            QVERIFY(store.addSessionRecord(fullRecord(QDateTime(QDate(2026, 3, 2), QTime(9, 0)))));
            m_uuid = store.sessions().first().toMap().value("uuid").toString();
            m_signedRecord = store.sessionRecord(store.sessions().first().toMap());
        }
        const QStringList arguments{"--database", signedFile("Lumivex.sqlite"), "--out", signedFile("report.pdf")};
        QCOMPARE(PdfProbe::run(ReportTool, arguments), 0);
    }

    void init()
    {
        TR::Translator::instance()->setLocale("en");
        m_folder.reset(new QTemporaryDir);
        QSettings settings(path(settingsName), QSettings::IniFormat);
        settings.setValue("GENERAL/locale_selected", "en");
        // Stored in the order the program appends them: not newest first.
        settings.setValue("TEST_SESSIONS/list",
                          QVariantList{storedSession({{2026, 1, 5}, {8, 15}}, "Ann", 0, "OldestMonitor"),
                                       storedSession({{2026, 3, 14}, {9, 30}}, "Ben", 4, "NewestMonitor"),
                                       storedSession({{2026, 2, 20}, {17, 45}}, "Cy", 1, "MiddleMonitor")});
        settings.sync();
        QSettings(path("empty.ini"), QSettings::IniFormat).setValue("GENERAL/locale_selected", "en");
        QSettings(path("small.ini"), QSettings::IniFormat).setValue("TEST_SESSIONS/list", QVariantList{record({})});
        QVERIFY(QFile::copy(path(settingsName), path("store.csv")) && QFile::link(settingsName, path("link")));
        writeBytes(path("20260220-1745.pdf"), "an earlier report");
        // The same sessions moved into a database, and one whose tester's name would forge list lines.
        QVERIFY(QDir().mkdir(path("db")) && QFile::copy(path(settingsName), path("db/" + settingsName)));
        ConfigurationManager store(path("db/" + settingsName));
        const QString forging = "Eve\n0\t01/01/2000 - 00:00\tForged\t0\x1b[2J";
        QVERIFY(store.addSessionRecord(storedSession({{2026, 4, 1}, {10, 0}}, forging, 0, "M").toMap()));
        // The constancy tests keep their sessions in a settings file of their own.
        m_sessions.reset(new QTemporaryDir);
        m_store = std::make_unique<ConfigurationManager>(m_sessions->filePath("settings.ini"));
        m_model = std::make_unique<SavedSessionsModel>(m_store.get());
        ModalAnswers::rejectUnexpectedDialogs();
    }

    // Every message box was answered, and by the answer the test gave for it.
    void cleanup()
    {
        m_session.reset();
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(QPair(left.pending, left.unanswered), QPair(0, 0));
    }

    void run_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");       // standard output, or on failure a part of the one error line
        QTest::addColumn<int>("fileSizeLimit"); // in blocks of 512 bytes; 0 for none
        const auto row = [](const char *name, const QString &arguments, int exitCode, const QString &out,
                            int fileSizeLimit = 0) {
            QTest::newRow(name) << arguments.split('|', Qt::SkipEmptyParts) << exitCode << out << fileSizeLimit;
        };
        row("list, newest first", "--list", 0,
            "0\t14/03/2026 - 09:30\tBen\t4\n1\t20/02/2026 - 17:45\tCy\t1\n2\t05/01/2026 - 08:15\tAnn\t0\n");
        row("newest, named after its date", "", 0, "20260314-0930.pdf\n");
        row("oldest", "--session=2", 0, "20260105-0815.pdf\n");
        row("default name taken by an earlier report", "--session=1", 0, "20260220-1745-2.pdf\n");
        // The settings of one session without tests fit under the limit, the report does not.
        row("disk full while writing", "--settings=small.ini|--out=full.pdf", 1, "not written completely", 24);
        // The exports equal tests/data/report/export.<suffix>, checked by hand.
        row("JSON export", "--session=1|--export=data.json", 0, "data.json\n");
        row("CSV export and report", "--session=1|--export=data.CSV|--out=data.pdf", 0, "data.CSV\ndata.pdf\n");
        row("missing settings file", "--settings=none.ini", 1, "does not exist");
        row("settings file is a folder", "--settings=.", 1, "cannot be read");
        row("settings without sessions", "--settings=empty.ini", 1, "no stored sessions");
        row("session not a number", "--session=first", 2, "--session needs");
        row("session out of range", "--session=3", 2, "there is no session 3");
        row("output folder missing", "--out=missing/out.pdf", 1, "cannot write");
        row("export of another kind", "--export=out.xml", 2, ".json or .csv");
        row("list and export", "--list|--export=out.csv", 2, "--list cannot");
        row("out is the settings file", "--out=" + settingsName, 2, "is the settings file");
        row("out links to the settings file", "--out=link", 2, "is the settings file");
        row("export is the settings file", "--settings=store.csv|--export=./store.csv", 2, "is the settings file");
        row("out and export the same", "--out=a.csv|--export=a.csv", 2, "same file");
        row("database: names escaped", "--database=db/Lumivex.sqlite|--list", 0,
            "0\t01/04/2026 - 10:00\tEve\\n0\\t01/01/2000 - 00:00\\tForged\\t0\\u{1b}[2J\t0\n"
            "1\t14/03/2026 - 09:30\tBen\t4\n2\t20/02/2026 - 17:45\tCy\t1\n3\t05/01/2026 - 08:15\tAnn\t0\n");
        row("database: JSON export as from the settings file",
            "--database=db/Lumivex.sqlite|--session=2|--export=data.json", 0, "data.json\n");
        row("database and settings file", "--database=db/Lumivex.sqlite|--settings=" + settingsName, 2,
            "cannot be combined");
        row("database missing", "--database=none.sqlite", 1, "database \"none.sqlite\" does not exist");
        row("database not SQLite", "--database=store.csv", 1, "cannot be read");
        row("out is the database", "--database=db/Lumivex.sqlite|--out=db/Lumivex.sqlite", 2, "is the database");
    }

    // Only the files asked for are written, no scratch files; every file there before is only read.
    void run()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(int, fileSizeLimit);
        const QMap<QString, QByteArray> before = snapshot();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(variable);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder->path());
        // A write past the file size limit fails as on a full disk (the signal it would raise is ignored).
        const QString limit = fileSizeLimit == 0 ? QString() : QString("ulimit -f %1; ").arg(fileSizeLimit);
        process.start("sh", QStringList{"-c", "trap '' XFSZ; " + limit + "exec \"$0\" \"$@\"", ReportTool} + arguments);
        QVERIFY(process.waitForFinished(Patience) && process.exitStatus() == QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString output = process.readAllStandardOutput();
        const QString error = process.readAllStandardError();
        // On success no diagnostics of the libraries; on failure one line.
        QVERIFY2(exitCode == 0 ? output == out && error.isEmpty()
                               : output.isEmpty() && error.startsWith("lumivex-report: ") && error.contains(out) &&
                                     error.count('\n') == 1,
                 qPrintable(output + error));
        const QStringList written =
            exitCode || arguments.contains("--list") ? QStringList() : out.split('\n', Qt::SkipEmptyParts);
        QMap<QString, QByteArray> after = snapshot();
        for (const QString &file : written) {
            after.remove(file);
            if (file.endsWith(".pdf"))
                QVERIFY2(PdfProbe::text(PdfProbe::words(path(file))).contains("Luminance response"), qPrintable(file));
            else
                QCOMPARE(fileBytes(path(file)),
                         fileBytes(LUMIVEX_TEST_DATA_DIR "/report/export." + QFileInfo(file).suffix().toLower()));
        }
        QCOMPARE(after, before);
    }

    // A report names the stored record it was drawn from: the fingerprint on every page and whole at the end, read
    // back by lumivex-report --verify; the file is PDF/A-1b as the poppler utilities and qpdf read it.
    void fingerprintOnEveryPage()
    {
        const QString fingerprint = RecordFingerprint::of(m_uuid, m_signedRecord);
        const QList<PdfProbe::Word> words = PdfProbe::words(signedFile("report.pdf"));
        const int pages = words.constLast().page;
        QVERIFY(pages > 1);
        for (int page = 1; page <= pages; ++page)
            QVERIFY2(!PdfProbe::find(words, RecordFingerprint::shortForm(fingerprint), page).isEmpty(),
                     qPrintable(QString::number(page)));
        QCOMPARE(PdfProbe::find(words, fingerprint, pages).size(), 1);
    }

    // No validator of PDF/A is packaged for Debian: qpdf checks the file's
    // structure, poppler's pdfinfo reads the PDF/A-1b claim of its XMP metadata
    // and pdffonts finds every font embedded; the file holds an output intent,
    // no transparency and no encryption.
    void archivalForm()
    {
        QCOMPARE(PdfProbe::run("qpdf", {"--check", signedFile("report.pdf")}), 0);
        QString metadata;
        QString fonts;
        QCOMPARE(PdfProbe::run("pdfinfo", {"-meta", signedFile("report.pdf")}, &metadata), 0);
        QVERIFY2(metadata.contains("pdfaid:part=\"1\"") && metadata.contains("pdfaid:conformance=\"B\""),
                 qPrintable(metadata));
        QCOMPARE(PdfProbe::run("pdffonts", {signedFile("report.pdf")}, &fonts), 0);
        // One line a font after two of headings, its "emb" column the first of three yes or no.
        const QRegularExpression embedded("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$");
        const QStringList fontLines = fonts.split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY2(!fontLines.isEmpty() && fontLines.filter(embedded).size() == fontLines.size(), qPrintable(fonts));
        const QByteArray bytes = fileBytes(signedFile("report.pdf"));
        // PDF/A-1 allows a soft mask only as "/SMask /None".
        QVERIFY(bytes.contains("/OutputIntents") && !bytes.contains("/Encrypt") && !bytes.contains("/Transparency"));
        QCOMPARE(bytes.count("/SMask"), bytes.count("/SMask /None"));
    }

    void verify_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("change"); // a statement run on a copy of the database first
        QTest::addColumn<int>("exitCode");
        QTest::newRow("the report of the stored record") << "report.pdf" << QString() << 0;
        QTest::newRow("the record changed after the report") << "report.pdf" << QString("tester") << 1;
        QTest::newRow("the session is not in the database") << "report.pdf" << QString("other") << 1;
        QTest::newRow("a PDF of another program") << "other.pdf" << QString() << 2;
        QTest::newRow("not a PDF") << "Lumivex 2016.ini" << QString() << 2;
        QTest::newRow("no such file") << "none.pdf" << QString() << 2;
    }

    void verify()
    {
        QFETCH(QString, report);
        QFETCH(QString, change);
        QTemporaryDir copy;
        const QString database = copy.filePath("Lumivex.sqlite");
        QVERIFY(QFile::copy(signedFile("Lumivex.sqlite"), database));
        if (change == "tester") {
            QVariantMap changed = m_signedRecord;
            changed.insert("tester", "Someone Else");
            runOnDatabase(database, {"UPDATE session_records SET record = x'" +
                                     StoredRecord::compress(StoredRecord::encode(changed)).toHex() + "'"});
        } else if (change == "other") {
            QFile::remove(database);
            ConfigurationManager store(copy.filePath("Lumivex 2016.ini"));
            QVERIFY(store.addSessionRecord(m_signedRecord));
        }
        if (report == "other.pdf") {
            QPdfWriter writer(signedFile(report));
            QPainter(&writer).drawText(100, 100, "Lumivex report");
        }
        QFETCH(int, exitCode);
        QString told;
        QCOMPARE(PdfProbe::run(ReportTool, {"--database", database, "--verify", signedFile(report)}, &told), exitCode);
        QVERIFY2(exitCode == 2 || told.contains(m_uuid), qPrintable(told));
    }

    void texts_data()
    {
        QTest::addColumn<QVariantMap>("session");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("present"); // in reading order
        QTest::addColumn<QStringList>("absent");
        for (const QVariant &entry : fixture("report texts").toList()) {
            const QVariantMap texts = entry.toMap();
            QTest::newRow(qPrintable(texts.value("name").toString()))
                << caseSession(texts) << texts.value("pages").toInt() << texts.value("present").toStringList()
                << texts.value("absent").toStringList();
        }
    }

    void texts()
    {
        QFETCH(QVariantMap, session);
        QFETCH(int, pages);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QList<Word> words = PdfProbe::words(write(session));
        QCOMPARE(words.constLast().page, pages);
        const QString text = PdfProbe::text(words);
        for (const QString &expected : qAsConst(present))
            QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
        for (const QString &unexpected : qAsConst(absent))
            QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
        // No "nan" or "inf" where a value cannot be computed, in the report or the exports.
        QVERIFY2(!text.contains(PdfProbe::NotFinite), qPrintable(text));
        for (const SessionExport::Format format : {SessionExport::Json, SessionExport::Csv})
            QVERIFY(!QString(SessionExport::write(session, format)).contains(PdfProbe::NotFinite));
    }

    // A section's icon follows the verdicts on the quantities its rows measure, also where every row passed: the
    // uniformities of section 6.2 computed under it without a heading of their own fail, the ambient illuminance of
    // section 3.1 passes. Only these verdicts are kept, so no other one decides an icon.
    void sectionIconFollowsVerdicts()
    {
        AnsweredCatalogue::Measurements monitor = AnsweredCatalogue::brightMonitor();
        monitor.lightFields[0] = 120;
        monitor.darkFields[0] = 3;
        QVariantMap record =
            judgedRecord(monitor, "acceptance", {"projectionRadiography", "RK3", {}}, LimitsTable::current());
        QVariantMap judgement = record.value("judgement").toMap();
        QVariantList kept;
        for (const QVariant &verdict : judgement.value("verdicts").toList()) {
            const QString quantity = verdict.toMap().value("quantity").toString();
            const bool passed = verdict.toMap().value("passed").toBool();
            if ((quantity.startsWith("uniformity") && !passed) || (quantity == "illuminance" && passed))
                kept << verdict;
        }
        QCOMPARE(kept.size(), 3);
        judgement.insert("verdicts", kept);
        record.insert("judgement", judgement);
        const QString pdf = write(record);
        const QList<Word> words = PdfProbe::words(pdf);
        for (const auto &[section, colour] :
             {std::make_pair("3.1", passedGreen), std::make_pair("6.2", failedOrange)}) {
            const Word number = first(words, section);
            QVERIFY2(showsOnly(PdfProbe::render(pdf, number.page),
                               QRect(contentLeft + 10, qRound(number.box.top()) - 6, 16, 18), colour),
                     section);
        }
    }

    void firstPageGeometryAndColours()
    {
        // A boolean answered "no" fails even in a test that is not validatable.
        const QString pdf = write(record(fixture("verdict colours"), 2));
        const QList<Word> words = PdfProbe::words(pdf);
        // The monitor row: label right-aligned in its column, value on its line.
        const Word value = PdfProbe::find(words, "Monitor").constLast();
        const Word labelEnd = first(words, "tested");
        QCOMPARE(qRound(value.box.left()), valueLeft);
        QVERIFY(qAbs(labelEnd.box.right() - 157) <= 1.5 && qAbs(value.box.top() - labelEnd.box.top()) <= 1);
        // A validatable test shows the verdict, never the typed text.
        QVERIFY(PdfProbe::find(words, "7").isEmpty() && PdfProbe::find(words, "3").isEmpty());
        const QImage page = PdfProbe::render(pdf, 1);
        // Each row's icon in the value column, each subgroup's beside its number: failed when any content failed.
        const QList<std::tuple<QString, int, QColor>> icons{
            {"Validgood", valueLeft - 1, passedGreen}, {"Booleanyes", valueLeft - 1, passedGreen},
            {"Validbad", valueLeft - 1, failedOrange}, {"Booleanno", valueLeft - 1, failedOrange},
            {"1.1", contentLeft + 10, passedGreen},    {"1.2", contentLeft + 10, failedOrange}};
        // The summary above the rows names the failed ones too: each row is its text's last occurrence.
        for (const auto &[text, left, colour] : icons) {
            const Word row = PdfProbe::find(words, text).constLast();
            QVERIFY2(showsOnly(page, QRect(left, qRound(row.box.top()) - 6, 16, 18), colour), qPrintable(text));
        }
        // The summary: the error count in orange.
        QVERIFY(PdfProbe::text(words).contains("Were found 2 errors"));
        QVERIFY(showsOnly(page, QRect(contentLeft, 116, 555, 24), failedOrange));
    }

    void wrappedValuesAndNotesDoNotOverlap()
    {
        // The operator's note follows the description; it is plain text: markup shows as typed.
        const QList<Word> words = PdfProbe::words(write(oneGroupRecord(fixture("wrapped values and notes"))));
        const auto box = [&words](const char *text) { return first(words, QLatin1String(text)).box; };
        const char *const order[] = {"Institute",      "Endword",   "Valuenoteend", "Department",
                                     "Descriptionend", "Notestart", "Noteend",      "Noted",
                                     "Describedunit",  "Corner",    "Secondline",   "Afterwards"};
        for (int i = 1; i < int(std::size(order)); ++i)
            QVERIFY2(box(order[i]).top() > box(order[i - 1]).bottom(), order[i]);
        QVERIFY(PdfProbe::text(words).contains("Describedunit Corner <b>TL</b> < 5 & dim Secondline"));
    }

    void longTextsContinueOnNextPages()
    {
        // A value and a note each longer than a page: every word printed in order, inside the content area.
        QStringList value;
        QStringList note;
        for (int word = 0; word < 1500; ++word)
            value << QStringLiteral("v%1").arg(word), note << QStringLiteral("n%1").arg(word);
        const QVariantMap longRow{{"report", "Longvalue"},
                                  {"type", "text"},
                                  {"resulttext", value.join(' ')},
                                  {"reportdescription", note.join(' ')}};
        const QList<Word> words = PdfProbe::words(write(oneGroupRecord(QVariantList{QVariantMap{
            {"content", QVariantList{longRow, QVariantMap{{"report", "Afterwards"}, {"type", "text"}}}}}})));
        const QStringList all = QStringList{"Longvalue"} + value + note << "Afterwards";
        for (int i = 1; i < all.size(); ++i) {
            const Word word = first(words, all.at(i)), before = first(words, all.at(i - 1));
            QVERIFY2(word.box.bottom() <= contentBottom + 1 && word.box.top() >= 19, qPrintable(all.at(i)));
            QVERIFY2(word.page > before.page || word.box.top() >= before.box.top() - 1, qPrintable(all.at(i)));
        }
        QVERIFY(first(words, "v0").page == 1 && first(words, "n1499").page >= 3);
        // Nothing is drawn twice where a text is cut between pages.
        QCOMPARE(int(std::count_if(words.begin(), words.end(),
                                   [&all](const Word &word) { return all.contains(word.text); })),
                 all.size());
        // The captions of the closing block at the last page's foot.
        const QList<Word> lastPage = PdfProbe::find(words, QString(), words.constLast().page);
        const Word date = first(lastPage, "Date");
        const Word signature = PdfProbe::find(lastPage, "Signature").constLast();
        QVERIFY(qAbs(date.box.top() - (contentBottom - 60)) <= 4 && date.box.top() == signature.box.top());
    }

    void luminanceResponsePlot()
    {
        // The plot's height from its axis labels: contrast 0 and the top label.
        const QStringList readings = fixture("far from the GSDF").toStringList();
        const QString pdf = write(oneGroupRecord(levelTests(readings)));
        const QList<Word> words = PdfProbe::find(PdfProbe::words(pdf), QString(), 2);
        const Word zero = first(words, "0.00");
        Word topLabel = zero;
        for (const Word &word : words) {
            if (qAbs(word.box.right() - zero.box.right()) < 1 && word.box.top() < topLabel.box.top())
                topLabel = word;
        }
        // The plot spans the content area, 555 points wide, from 50 points right of its left edge to 10 before its
        // right.
        const QPointF origin(contentLeft + 50, zero.box.center().y());
        const QPointF scale((555 - 60) / 255.0,
                            (origin.y() - topLabel.box.center().y()) / topLabel.text.toDouble() * 100);
        const QImage page = PdfProbe::render(pdf, 2);
        // A band's dashes cross a box 9 points wide; a measured point is a dot that fills most of a box of 5.
        const auto shows = [&](const QColor &colour, int interval, double contrast, int width = 9, int pixels = 1) {
            const QPointF at(origin.x() + scale.x() * (15 * interval + 7.5), origin.y() - scale.y() * contrast);
            return PdfProbe::countColour(page, QRect(qRound(at.x()) - width / 2, qRound(at.y()) - 2, width, 5),
                                         colour) >= pixels;
        };
        const LuminanceResponse response = LuminanceResponse::analyse(readings);
        for (int interval : {8, 12, 16}) {
            const double target = response.targetContrasts.at(interval);
            QVERIFY(shows(measuredBlue, interval, response.measuredContrasts.at(interval), 5, 15));
            QVERIFY(shows(passedGreen, interval, target * 1.1) && shows(passedGreen, interval, target * 0.9));
            QVERIFY(shows(failedOrange, interval, target * 1.2) && shows(failedOrange, interval, target * 0.8));
        }
    }

    void wordsWiderThanTheirBoxWrap_data()
    {
        QTest::addColumn<QString>("key"); // the content's key that holds the long word
        QTest::addColumn<int>("length");
        QTest::newRow("answer of 196 digits") << "resulttext" << 196;
        QTest::newRow("description of 400 digits") << "reportdescription" << 400;
        QTest::newRow("subgroup title of 120 digits") << "title" << 120;
    }

    // Every character is printed inside the content area, in order.
    void wordsWiderThanTheirBoxWrap()
    {
        QFETCH(QString, key);
        QFETCH(int, length);
        const QString word = QStringLiteral("0123456789").repeated(40).left(length);
        const QVariantMap content{{"report", "Long"}, {"type", "text"}, {key, word}};
        QVariantMap subgroup{{"tests", QVariantList{QVariantMap{{"content", QVariantList{content}}}}}};
        subgroup.insert("report", key == "title" ? word : QString("Part"));
        const QList<Word> words = PdfProbe::words(write(
            record(QVariantMap{{"1", QVariantMap{{"report", "Group"}, {"subgroups", QVariantMap{{"1", subgroup}}}}}})));
        QString printed;
        for (const Word &found : words) {
            if (found.text.contains(QRegularExpression("^[0-9]{8,}"))) {
                printed += found.text;
                QVERIFY2(found.box.right() <= 575 + 1, qPrintable(found.text));
            }
        }
        QCOMPARE(printed, word);
    }

    // A group number, a failed count and a monitor number past the range of an int, and a typed negative number.
    void exportKeepsStoredNumbers()
    {
        const QVariantMap content{{"id", "content01010000"}, {"type", "text"}, {"resulttext", "-1"}};
        const QVariantMap subgroup{{"tests", QVariantList{QVariantMap{{"content", QVariantList{content}}}}}};
        QVariantMap session = record(
            QVariantMap{{"4294967295", QVariantMap{{"report", "Last"}, {"subgroups", QVariantMap{{"1", subgroup}}}}}});
        session.insert("nfailedtestcontents", 1099511627776.0);
        session.insert("monitorselected", "3000000000");
        const QJsonObject json = QJsonDocument::fromJson(SessionExport::write(session, SessionExport::Json)).object();
        QCOMPARE(json.value("failedCount").toDouble(), 1099511627776.0);
        QCOMPARE(json.value("monitor").toObject().value("number").toDouble(), 3000000000.0);
        QVERIFY(SessionExport::write(session, SessionExport::Csv).contains("\r\n4294967295,1,1,content01010000,"));
    }

    // The second guard behind the escaping: only the program's own resources load.
    void documentsLoadOnlyOwnResources_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("loads");
        QTest::newRow("own image") << ":/icon" << true;
        QTest::newRow("local file") << "file://" LUMIVEX_TEST_DATA_DIR "/report/sessions.json" << false;
        QTest::newRow("file by path") << LUMIVEX_TEST_DATA_DIR "/report/sessions.json" << false;
        QTest::newRow("network share") << "//server/share/image.png" << false;
        QTest::newRow("web address") << "http://127.0.0.1:9/image.png" << false;
    }

    void documentsLoadOnlyOwnResources()
    {
        QFETCH(QString, source);
        QFETCH(bool, loads);
        ReportDocument document;
        QCOMPARE(document.resource(QTextDocument::ImageResource, QUrl(source)).isValid(), loads);
    }

    void endlessScriptsStillGiveAReport()
    {
        // A hand-edited record whose every join and rule, each a different one, never ends still gives its whole report
        // with the input error for each value; the test's own time-out guards against a stall.
        const QString endless = QStringLiteral("(function(){while(true){} return %1;})");
        QVariantList tests;
        for (int i = 0; i < 40; ++i) {
            const QVariantMap content{
                {"jointext", "Joined"}, {"type", "text"}, {"join", endless.arg(i)}, {"validator", endless.arg(-i)}};
            tests << QVariantMap{{"validatable", true}, {"content", QVariantList{content}}};
        }
        QCOMPARE(reportText(oneGroupRecord(tests)).count("The entered values is incorrect"), 40);
    }

    void languages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("dim");
        QTest::addColumn<QStringList>("present"); // in the report of the bright monitor
        QTest::addColumn<QStringList>("absent");  // in no report of that language
        const auto rows = [](const char *language, const QStringList &present, const QStringList &absent) {
            QTest::newRow(qPrintable(QStringLiteral("%1, passed").arg(language)))
                << language << false << present << absent;
            QTest::newRow(qPrintable(QStringLiteral("%1, failed").arg(language)))
                << language << true << QStringList() << absent;
        };
        // Each kind of value: the letterhead's date, readings with the decimals they were typed with (0.52, 272.5),
        // a computed value with two (the luminance ratio 402 / 0.52), the luminance response's table with two, a
        // count of faulty pixels with none (see languages()), and the luminance unit. A long German word of the
        // failed session's limits breaks where its parts join.
        rows("en", {"14/03/26 - 09.30", "0.52", "272.5", "773.08", "(cd/m²)"}, {"cd/m2", "0,52"});
        rows("de", {"14.03.26 09:30", "Leuchtdichte 0,52", "272,5", "773,08", "TG18-LN18 255 402,00", "(cd/m²)"},
             {"cd/m2", "0.52", "272.5", "773.08", "Umgebungsbeleuchtungsstär"});
        rows("it", {"14/03/26 09:30", "0,52", "272,5", "773,08", "(cd/m²)"}, {"cd/m2", "0.52", "272.5", "773.08"});
    }

    // No text is clipped, and each kind of value is written as the language writes it.
    void languages()
    {
        QFETCH(QString, language);
        QFETCH(bool, dim);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TR::Translator::instance()->setLocale(language);
        // The failed session is a judged constancy test compared with the values of a session named by its uuid.
        QVariantMap record = fullRecord(sessionDate);
        if (dim) {
            record = judgedRecord(AnsweredCatalogue::dimMonitor(), "periodicConstancy",
                                  {"projectionRadiography", "RK3", {}}, LimitsTable::current());
            record.insert("reference", QVariantMap{{"values", record.value("measured")},
                                                   {"date", "2026-03-01"},
                                                   {"session", "B367928C-5D1E-4F7A-9C2B-8E6D4A1F0B3C-1"}});
        }
        // The report's printer, with the watching engine in place of its own.
        Watching<QPrinter> printer(QPrinter::HighResolution);
        ReportGenerator::setUpPrinter(&printer, record);
        QPainter painter;
        ReportGenerator().generate(&printer, &painter, record);
        // The watcher saw the report's texts, so an empty list means they fit.
        QVERIFY(printer.engine.texts > 100);
        QVERIFY2(printer.engine.cut.isEmpty(), qPrintable(printer.engine.cut.join(QStringLiteral("\n"))));

        const QString text = reportText(record);
        // The first count of faulty pixels, a sum of whole answers, is 0 in every language.
        const QString count = translated("report_test_05_06_00_00");
        QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(count) + " 0 ")), qPrintable(count));
        for (const QString &expected : qAsConst(present))
            QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
        for (const QString &unexpected : absent)
            QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
    }

    void everyAnswerAndNotePrinted_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("testType");
        const TestsManager catalogue;
        for (const char *language : {"en", "de", "it"}) {
            for (const TestsManager::TestType &type : catalogue.testTypes())
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(language, type.id))) << language << type.id;
        }
    }

    // Every answer of a session of each test type has its row: its label, a typed value as the language writes it
    // and the operator's note. Every other answer carries a note, so hidden answers are printed both for their note
    // and, without one, in the row of the value computed from them.
    void everyAnswerAndNotePrinted()
    {
        QFETCH(QString, language);
        QFETCH(QString, testType);
        TR::Translator::instance()->setLocale(language);
        QVariantMap record = judgedRecord(AnsweredCatalogue::brightMonitor(), testType,
                                          {"projectionRadiography", "RK3", {}}, LimitsTable::current());
        // One verdict for each source, copies of the first where the session has fewer.
        QVariantMap judgement = record.value("judgement").toMap();
        QVariantList verdicts = judgement.value("verdicts").toList();
        for (int i = 0; i <= EnglishSources.size(); ++i) {
            QVariantMap verdict = verdicts.value(i, verdicts.constFirst()).toMap();
            verdict.insert("source", EnglishSources.value(i, SiteSource));
            verdicts.insert(i, verdict);
        }
        judgement.insert("verdicts", verdicts);
        judgement.insert("version", "2 (" + EnglishSources.constLast() + ")");
        record.insert("judgement", judgement);
        QVariantMap testSession;
        QList<std::pair<const Test *, TestContent *>> answers;
        QList<const TestContent *> readers;
        for (const QVariant &number : TestsManager().testTypeGroups(testType)) {
            auto *group = new TestGroup(record.value("test_session").toMap().value(number.toString()).toMap(),
                                        number.toUInt(), &m_groups);
            for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
                for (const Test *test : qAsConst(*subgroup->tests())) {
                    for (TestContent *content : qAsConst(*test->content())) {
                        if (!content->join().isEmpty() && !content->hideFromReport())
                            readers << content;
                        if (answered(content) && content->join().isEmpty() && answers.size() % 2 == 0)
                            content->setNote(QStringLiteral("Note%1").arg(answers.size()));
                        if (answered(content) && content->join().isEmpty())
                            answers.append({test, content});
                    }
                }
            }
            testSession.insert(number.toString(), group->toVariantMap());
        }
        record.insert("test_session", testSession);
        const QList<Word> words = PdfProbe::words(write(record));
        QList<Word> labelWords;
        std::copy_if(words.begin(), words.end(), std::back_inserter(labelWords),
                     [](const Word &word) { return word.box.right() <= 161; });
        const QRegularExpression space("\\s");
        const QString labels = PdfProbe::text(labelWords).remove(space);
        const QString text = PdfProbe::text(words).remove(space);
        const auto label = [](const TestContent *row) {
            const QString text = translated(row->report());
            return QString(text.isEmpty() ? translated(row->caption()) : text).remove(QRegularExpression("\\s"));
        };
        for (const auto &[test, content] : qAsConst(answers)) {
            QString row = label(content);
            const bool ownRow = !content->hideFromReport() || !content->note().isEmpty();
            for (const TestContent *reader : qAsConst(readers)) {
                if (!ownRow && reader->joinIds().contains(content->id()))
                    row = label(reader);
            }
            QVERIFY2(labels.contains(row) && text.contains(content->note()), qPrintable(content->id() + ": " + row));
            if (ownRow && !test->validatable() && content->type() == TestContent::kTestContentTypeText)
                QVERIFY2(text.contains(LocalFormats::reading(content->resultText()).remove(space)),
                         qPrintable(content->id() + ": " + content->resultText()));
        }
        QVERIFY(answers.size() > 10);
        // The built-in sources and the footer's table description in the report's language (no English text left on
        // a German or Italian report), the site's as written.
        for (const QString &source : EnglishSources)
            QVERIFY2(language == "en" || !text.contains(QString(source).remove(space)), qPrintable(source));
        QVERIFY2(text.contains(QString(SiteSource).remove(space)), qPrintable(text));
    }

    // Group 2's heading is pushed down a row at a time past the foot of the first
    // page: wherever the break falls, the heading shares its page with its first
    // subgroup's heading.
    void groupHeadingKeepsItsFirstRows()
    {
        // Rows, and an answer of one to four lines, move the end of group 1 down in
        // steps smaller than the room a heading takes.
        const auto group = [](const QString &name, int rows, int answerLines) {
            QVariantList contents;
            for (int i = 0; i < rows; ++i)
                contents << QVariantMap{{"report", "Row"}, {"type", "text"}};
            const QString lines = QStringLiteral("line\n").repeated(answerLines).chopped(1);
            contents << QVariantMap{{"report", "Answer"}, {"type", "textarea"}, {"resulttext", lines}};
            const QVariantMap subgroup{{"report", name + "part"},
                                       {"tests", QVariantList{QVariantMap{{"content", contents}}}}};
            return QVariantMap{{"report", name}, {"subgroups", QVariantMap{{"1", subgroup}}}};
        };
        QSet<int> headingPages;
        for (int rows = 15; rows <= 20; ++rows) {
            for (int lines = 1; lines <= 4; ++lines) {
                const QVariantMap groups{{"1", group("First", rows, lines)}, {"2", group("Second", 1, 1)}};
                const QList<Word> words = PdfProbe::words(write(record(groups)));
                const QList<Word> heading = PdfProbe::find(words, "Second");
                const QList<Word> subgroup = PdfProbe::find(words, "SECONDPART");
                QVERIFY(heading.size() == 1 && subgroup.size() == 1);
                QCOMPARE(heading.first().page, subgroup.first().page);
                headingPages << heading.first().page;
            }
        }
        // The break fell before the heading in some runs and after it in others.
        QCOMPARE(headingPages, (QSet<int>{1, 2}));
    }

    void acceptanceThenPeriodicConstancy()
    {
        // An acceptance test measures a reference; it is compared with none, even when the display has one.
        const QVariantMap acceptance = runSession(
            {"acceptance", "dentalRk5", "RK3", {{"maxLuminance", 1000.0}}, "2025-01-01", "older"}, readings(1));
        // Its measured values are the reference compared with below (the rows' second column).
        const QVariantMap measured = acceptance.value("measured").toMap();
        QVERIFY(!acceptance.contains("reference"));

        // The same display six months later, 20 % darker at every level.
        QString heading;
        QStringList shown;
        answerComparison(&heading, &shown);
        const QVariantMap constancy =
            runSession({"periodicConstancy", "dentalRk5", "RK3", measured, "2026-03-14", "session-a"}, readings(0.8));
        QCOMPARE(constancy.value("nfailedtestcontents").toInt(), 0);

        // By hand: L'max 0.8 * 400 + 2 = 322 against 402, L'min 0.64 + 2 against 2.8, r' 322 / 2.64 against
        // 402 / 2.8 (0.8495 of it), the darkest reading 0.64 against 0.8: quantity, reference, measured,
        // deviation and the verdict where the limits table gives a tolerance.
        const QList<QStringList> rows{
            {"L'max = Lmax + L_amb", "402.0 cd/m²", "322.0 cd/m²", "-19.9 %", "within +/-30.0 %: passed"},
            {"L'min = Lmin + L_amb", "2.800 cd/m²", "2.640 cd/m²", "-5.7 %", ""},
            {"r' = L'max / L'min", "143.6", "122.0", "-15.0 %", "within +/-30.0 %: passed"},
            {"Ambient luminance L_amb", "2.000 cd/m²", "2.000 cd/m²", "0.0 %", ""},
            {"Luminance uniformity at driving level 26", "20.0 %", "20.0 %", "0.0 %", ""},
            {"Ambient illuminance", "120 lx", "120 lx", "0.0 %", ""},
            {"TG18-LN01 reading", "0.800 cd/m²", "0.640 cd/m²", "-20.0 %", ""},
            {"TG18-LN18 reading", "400.0 cd/m²", "320.0 cd/m²", "-20.0 %", ""}};
        QCOMPARE(heading, "Comparison with the reference values of " + LocalFormats::date({2026, 3, 14}) +
                              " (session session-a)");
        QCOMPARE(shown.size(), 7 + 18);
        for (const QStringList &row : rows)
            QVERIFY2(shown.contains(row.join(" | ")), qPrintable(shown.join('\n')));

        // The report reads as the summary, the quantity's name beside its row (a long name wraps).
        const QString report = reportText(constancy);
        const auto rowText = [](const QStringList &row) {
            return QString("reference %1, measured %2, deviation %3").arg(row[1], row[2], row[3]) +
                   (row[4].isEmpty() ? QString() : "; " + row[4]);
        };
        QVERIFY2(report.contains(heading.toUpper() + " L'max = Lmax + L_amb " + rowText(rows.at(0))),
                 qPrintable(report));
        for (const QStringList &row : rows)
            QVERIFY2(report.contains(rowText(row)), qPrintable(report));

        const QJsonObject exported =
            QJsonDocument::fromJson(SessionExport::write(constancy, SessionExport::Json)).object();
        // The first row, L'max: its reference and measured value as numbers (the report above has their deviation).
        const QJsonObject first = exported.value("comparison").toArray().at(0).toObject();
        QCOMPARE(first.value("reference").toDouble(), 402.0);
        QCOMPARE(first.value("measured").toDouble(), 322.0);
        QCOMPARE(exported.value("reference").toObject().value("session").toString(), QString("session-a"));
        // The luminance response is analysed on L + L_amb; the dental category judges no GSDF tolerance.
        const QJsonObject response = exported.value("luminanceResponse").toObject();
        QCOMPARE(response.value("luminances").toArray().at(0).toDouble(), 0.64 + 2);
        QVERIFY(response.value("tolerance").isNull());
        const QString csv = SessionExport::write(constancy, SessionExport::Csv);
        QVERIFY2(csv.contains("\r\ncomparison,,,ln18,,TG18-LN18 reading,comparison,320,,true,"), qPrintable(csv));
        QVERIFY(csv.section("\r\n", 0, 0).endsWith(",reference,deviation"));
    }

    // L'max 29 % and 31 % below its reference, and references that cannot be compared with.
    void deviationFromReference_data()
    {
        QTest::addColumn<QVariant>("reference");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("failures");
        QTest::newRow("29 % below") << QVariant(402 / 0.71)
                                    << QStringList{"566.2 cd/m²", "-29.0 %", "within +/-30.0 %: passed"} << 0;
        QTest::newRow("31 % below") << QVariant(402 / 0.69)
                                    << QStringList{"582.6 cd/m²", "-31.0 %", "within +/-30.0 %: failed"} << 1;
        const QString notANumber = "not computable: the reference value is not a number";
        QTest::newRow("reference not a number")
            << QVariant("abc") << QStringList{"no number", notANumber, "failed"} << 1;
        QTest::newRow("reference nan") << QVariant("nan") << QStringList{"no number", notANumber, "failed"} << 1;
        QTest::newRow("reference 0") << QVariant(0)
                                     << QStringList{"0.000 cd/m²", "not computable: the reference value is not above 0",
                                                    "failed"}
                                     << 1;
    }

    void deviationFromReference()
    {
        QFETCH(QVariant, reference);
        QFETCH(QStringList, cells);
        QFETCH(int, failures);
        QString heading;
        QStringList shown;
        answerComparison(&heading, &shown);
        if (failures > 0)
            ModalAnswers::clickButton(translated("ok"));
        const QVariantMap record = runSession(
            {"periodicConstancy", "dentalRk5", "RK3", {{"maxLuminance", reference}}, "2026-03-14", "a"}, readings(1));
        QCOMPARE(record.value("nfailedtestcontents").toInt(), failures);
        // A failed row is shown in the colour of failure, marked "!" here.
        QCOMPARE(shown, QStringList{QString("%1L'max = Lmax + L_amb | %2 | 402.0 cd/m² | %3 | %4")
                                        .arg(failures > 0 ? "! " : "", cells[0], cells[1], cells[2])});
        const QString report = reportText(record);
        const QString row = QString("L'max = Lmax + L_amb reference %1, measured 402.0 cd/m², deviation %2; %3")
                                .arg(cells[0], cells[1], cells[2]);
        QVERIFY2(report.contains(row), qPrintable(report));
        QVERIFY(!report.contains(PdfProbe::NotFinite));
        for (const SessionExport::Format format : {SessionExport::Json, SessionExport::Csv})
            QVERIFY(!QString(SessionExport::write(record, format)).contains(PdfProbe::NotFinite));
        const QJsonObject exported =
            QJsonDocument::fromJson(SessionExport::write(record, SessionExport::Json)).object();
        QCOMPARE(exported.value("comparison").toArray().at(0).toObject().value("passed").toBool(), failures == 0);
    }

    // The dark uniformity level is one value: the grey its fields are painted in is the level the dialog names
    // (and the report prints: tst_report's judged sessions).
    void darkUniformityLevelIsOneValue()
    {
        NSTESTPatter::TestPattern pattern(nullptr, NSTESTPatter::TestPattern::kTestPatternLuminanceDarkMC);
        QCOMPARE(qGray(pattern.toImage(QSize(1366, 768)).pixel(683, 384)), 26);
        QVERIFY2(StepCaption::measurement(pattern).endsWith("driving level 26"),
                 qPrintable(StepCaption::measurement(pattern)));
    }

    // A constancy test read with another meter than its reference warns in the comparison dialog and on the
    // report, which also prints who made the reference by hand, when and why.
    void otherMeterWarns()
    {
        writeBytes(path("table"), "0.64\n");
        qputenv("FAKE_SPOTREAD_TABLE", path("table").toUtf8());
        QSettings file(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
        for (auto [key, value] : {std::pair{"program", FAKE_SPOTREAD}, std::pair{"settleMs", "0"},
                                  std::pair{"model", "LS-150"}, std::pair{"serial", "4711"}})
            file.setValue(QString("METER/") + key, value);
        file.sync();

        TestingSession::Context context{"periodicConstancy",       "dentalRk5",  "RK3",
                                        {{"maxLuminance", 402.0}}, "2026-03-14", "session-a"};
        context.referenceMeter = {{"model", "LS-100"}, {"serial", "0815"}};
        context.referenceChoice = {{"by", "dana"}, {"on", "2026-03-15T10:00:00"}, {"reason", "panel replaced"}};
        start(context);
        SessionDriver::runUntil(m_session.get(), readings(0.8), "test_06_03_00");
        TestInputDialog *dialog = m_session->frame()->inputDialog();
        QTest::mouseClick(dialog->findChild<QPushButton *>("measurePushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->meterAssist()->isReading(), Patience);
        QTest::keyClick(dialog, Qt::Key_Return);
        // Typed from here on, as the driver answers: without a meter the steps have no measure buttons.
        QSettings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat).remove("METER");
        QString remarks;
        ModalAnswers::handle([&](QDialog *shown) {
            remarks = shown->findChild<QLabel *>("remarksLabel")->text();
            shown->accept();
        });
        const QVariantMap record = finish(readings(0.8));
        QCOMPARE(record.value("meter").toMap().value("serial").toString(), QString("4711"));

        const QString warning =
            translated("measure_otherMeter").arg("LS-100, serial number 0815", "LS-150, serial number 4711");
        QVERIFY2(remarks.startsWith(warning + '\n'), qPrintable(remarks));
        QVERIFY(remarks.endsWith("panel replaced"));
        const QString report = reportText(record);
        QVERIFY2(report.contains(warning), qPrintable(report));
        QVERIFY(report.contains("panel replaced"));
    }

    // The end of a test lists exactly what failed, each verdict with its measured value and limit, before the
    // test is stored; the report opens with the same list.
    void summaryListsTheFailures()
    {
        QString shown;
        ModalAnswers::clickButton(translated("ok"), &shown);
        const QVariantMap record =
            runSession({"acceptance", "dentalRk5", "RK3", {}, "2025-01-01", "older"}, readings(0.1));
        const int failed = record.value("nfailedtestcontents").toInt();
        const QStringList lines = shown.split('\n');
        QCOMPARE(lines.size(), failed + 1);
        QCOMPARE(lines.first(), translated("alertfailedtest").arg(failed));
        const Judgement judgement = Judgement::fromMap(record.value("judgement").toMap());
        const QString report = reportText(record);
        const int judgementSection = report.indexOf(translated("limits_title").toUpper());
        int failedVerdicts = 0;
        for (const Judgement::Verdict &verdict : judgement.verdicts) {
            if (verdict.passed)
                continue;
            ++failedVerdicts;
            const QString outcome = VerdictText::outcome(verdict, verdict.problemSubject);
            QVERIFY2(lines.contains(QString("\u2022 %1: %2").arg(VerdictText::quantity(verdict), outcome)),
                     qPrintable(shown));
            QVERIFY2(report.indexOf(outcome) >= 0 && report.indexOf(outcome) < judgementSection, qPrintable(outcome));
        }
        QVERIFY(failedVerdicts > 0);
    }

private:
    QVariantMap runSession(const TestingSession::Context &context, const Answers &answers)
    {
        start(context);
        return finish(answers);
    }

    void start(const TestingSession::Context &context)
    {
        m_catalogue = std::make_unique<TestsManager>();
        m_session = std::make_unique<TestingSession>(nullptr, nullptr, m_model.get());
        m_session->setContext(context);
        m_session->setScreenIdentity(std::make_unique<DentalDisplay::Screen>());
        m_session->setGroups(m_catalogue->groups());
        m_session->setTestIndex(0);
        m_session->start(0);
    }

    QVariantMap finish(const Answers &answers)
    {
        SessionDriver::runUntil(m_session.get(), answers);
        return m_store->sessionRecord(m_store->sessions().value(0).toMap());
    }

    // Answers the comparison shown at the end of a constancy test, keeping its heading and its rows with the
    // cells joined by " | ".
    static void answerComparison(QString *heading, QStringList *rows)
    {
        ModalAnswers::handle([=](QDialog *dialog) {
            *heading = dialog->findChild<QLabel *>("headingLabel")->text();
            const QTableWidget *table = dialog->findChild<QTableWidget *>("comparisonTableWidget");
            for (int row = 0; row < table->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columnCount(); ++column)
                    cells << table->item(row, column)->text();
                const bool failed = table->item(row, 0)->foreground().color() == ReportStyle::failedCountColour;
                *rows << (failed ? "! " : "") + cells.join(" | ");
            }
            dialog->accept();
        });
    }

    QString reportText(const QVariantMap &record) { return PdfProbe::text(PdfProbe::words(write(record))); }
    QString path(const QString &name) const { return m_folder->filePath(name); }
    QString signedFile(const QString &name) const { return m_signed.filePath(name); }
    QString write(const QVariantMap &session)
    {
        const QString pdf = path(QStringLiteral("report%1.pdf").arg(++m_reports));
        if (!m_generator.writePdf(session, pdf))
            qWarning() << "no report written to" << pdf;
        return pdf;
    }
    // Every file in the folder with its contents and modification time.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> files;
        const QDir folder(m_folder->path());
        QDirIterator found(folder.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (found.hasNext()) {
            const QFileInfo info(found.next());
            files.insert(folder.relativeFilePath(info.filePath()),
                         fileBytes(info.filePath()) + QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
        }
        return files;
    }

    QScopedPointer<QTemporaryDir> m_folder;
    QTemporaryDir m_signed; // the fingerprint's record and report
    QString m_uuid;
    QVariantMap m_signedRecord;
    QScopedPointer<QTemporaryDir> m_sessions;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
    std::unique_ptr<TestsManager> m_catalogue;
    std::unique_ptr<TestingSession> m_session;
    QObject m_groups; // the parent of the groups of the answers-and-notes reports
    int m_reports = 0;
    // One generator writes every report, as the program reuses its own.
    ReportGenerator m_generator;
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
