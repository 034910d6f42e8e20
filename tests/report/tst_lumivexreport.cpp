#include "answeredsession.h"
#include "pdfprobe.h"
#include "testconfig.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The default settings file, read when no other is named.
const QString settingsName = QStringLiteral("Lumivex 2016.ini");
const QStringList readings{"0.80",  "1.80",  "3.37",  "5.66",   "8.85",   "13.19",  "18.98",  "26.60",  "36.51",
                           "49.30", "65.73", "86.72", "113.45", "147.38", "190.37", "244.74", "313.41", "400.05"};

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QVariant storedSession(const QDateTime &date, const QString &tester, int failed, const QString &monitor)
{
    QVariantMap record = AnsweredSession::oneGroupRecord(AnsweredSession::fixture(QStringLiteral("export")).toList() +
                                                             AnsweredSession::levelTests(readings),
                                                         date, failed);
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("monitorinfo"), monitor);
    return record;
}

// Splits RFC 4180 text: quoted fields may hold commas, doubled quotes and line breaks.
QList<QStringList> csvRows(const QString &text)
{
    QList<QStringList> rows{{QString()}};
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == QLatin1Char('"') && text.midRef(i + 1, 1) == QLatin1String("\""))
            rows.last().last() += text.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char(','))
            rows.last() << QString();
        else if (!quoted && c == QLatin1Char('\r') && text.midRef(++i, 1) == QLatin1String("\n"))
            rows << QStringList{QString()};
        else
            rows.last().last() += c;
    }
    rows.removeLast(); // after the last line break
    return rows;
}

} // namespace

class TestLumivexReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void listsSessionsNewestFirst();
    void writesChosenSession_data();
    void writesChosenSession();
    void exportsSession();
    void badInput_data();
    void badInput();

private:
    Run run(const QStringList &arguments) const;
    QString path(const QString &name) const { return m_folder->filePath(name); }
    // The contents and modification times of the settings files, to prove they are only ever read.
    QByteArray settingsFingerprint() const;

    QScopedPointer<QTemporaryDir> m_folder;
};

void TestLumivexReport::init()
{
    m_folder.reset(new QTemporaryDir);
    QVERIFY(m_folder->isValid());
    QSettings settings(path(settingsName), QSettings::IniFormat);
    settings.setValue(QStringLiteral("GENERAL/locale_selected"), QStringLiteral("en"));
    // Stored in the order the program appends them: not newest first.
    settings.setValue(QStringLiteral("TEST_SESSIONS/list"),
                      QVariantList{storedSession(QDateTime(QDate(2026, 1, 5), QTime(8, 15)), QStringLiteral("Ann"), 0,
                                                 QStringLiteral("OldestMonitor")),
                                   storedSession(QDateTime(QDate(2026, 3, 14), QTime(9, 30)), QStringLiteral("Ben"), 4,
                                                 QStringLiteral("NewestMonitor")),
                                   storedSession(QDateTime(QDate(2026, 2, 20), QTime(17, 45)), QStringLiteral("Cy"), 1,
                                                 QStringLiteral("MiddleMonitor"))});
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
    QSettings(path(QStringLiteral("empty.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("GENERAL/locale_selected"), QStringLiteral("en"));
}

QByteArray TestLumivexReport::settingsFingerprint() const
{
    QByteArray fingerprint;
    for (const QFileInfo &info : QDir(m_folder->path()).entryInfoList({QStringLiteral("*.ini")}, QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            fingerprint += QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        fingerprint += info.fileName().toUtf8() + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    }
    return fingerprint;
}

// Runs the tool in the test folder, as on a machine without any display.
Run TestLumivexReport::run(const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(variable));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_folder->path());
    process.start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-report"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return Run();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void TestLumivexReport::listsSessionsNewestFirst()
{
    const QByteArray before = settingsFingerprint();
    const Run result = run({QStringLiteral("--list")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringLiteral("0\t14/03/2026 - 09:30\tBen\t4\n"
                                        "1\t20/02/2026 - 17:45\tCy\t1\n"
                                        "2\t05/01/2026 - 08:15\tAnn\t0\n"));
    QCOMPARE(settingsFingerprint(), before);
}

void TestLumivexReport::writesChosenSession_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("monitor");
    QTest::newRow("newest, named after its date")
        << QStringList{} << QStringLiteral("20260314-0930.pdf") << QStringLiteral("NewestMonitor");
    QTest::newRow("oldest") << QStringList{QStringLiteral("--session=2"), QStringLiteral("--out=chosen.pdf")}
                            << QStringLiteral("chosen.pdf") << QStringLiteral("OldestMonitor");
}

void TestLumivexReport::writesChosenSession()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, pdf);
    QFETCH(QString, monitor);
    const QByteArray before = settingsFingerprint();
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, pdf + QLatin1Char('\n'));
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err)); // no diagnostics of the libraries
    const QString text = PdfProbe::text(PdfProbe::words(path(pdf)));
    QVERIFY(text.contains(monitor) && text.contains(QStringLiteral("Luminance response")));
    QCOMPARE(settingsFingerprint(), before);
    // Only the report is left beside the two settings files: no scratch files.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void TestLumivexReport::exportsSession()
{
    const QByteArray before = settingsFingerprint();
    const Run result = run({"--session=1", "--export=data.json"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(run({"--session=1", "--export=data.CSV", "--out=data.pdf"}).exitCode == 0 &&
            QFile::exists(path("data.pdf")));
    QCOMPARE(settingsFingerprint(), before);
    QFile jsonFile(path("data.json")), csvFile(path("data.CSV"));
    QVERIFY(jsonFile.open(QIODevice::ReadOnly) && csvFile.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(jsonFile.readAll()).object();
    QCOMPARE(json.value("tester").toString(), QStringLiteral("Cy"));
    QCOMPARE(json.value("date").toString(), QStringLiteral("2026-02-20T17:45:00"));
    QCOMPARE(json.value("monitor").toObject().value("description").toString(), QStringLiteral("MiddleMonitor"));
    QCOMPARE(json.value("failedCount").toInt(), 1);
    const QJsonObject response = json.value("luminanceResponse").toObject();
    QCOMPARE(response.value("luminances").toArray().at(17).toDouble(), 400.05);
    QVERIFY(qAbs(response.value("largestDeviation").toDouble() - 0.0019) < 5e-4);

    // The contents in step order, as stored: typed text, computed values (none when not a number), verdicts.
    const QJsonArray contents = json.value("contents").toArray();
    QCOMPARE(contents.size(), 6 + 18);
    const QList<QStringList> expected{
        {"1", "1", "1", "content01010000", "Typed", "Typed", "text", "Room \"A\", floor 2\nleft wing", "", "true"},
        {"1", "1", "1", "content01010001", "Doubled", "Doubled", "text", "6.5", "13", "true"},
        {"1", "1", "1", "content01010002", "Broken", "Broken", "text", "", "", "true"},
        {"1", "1", "1", "content01010003", "Chosen", "Chosen", "multiselect", "300", "", "true"},
        {"1", "1", "1", "content01010004", "Seen", "Seen", "boolean", "false", "", "false"},
        {"1", "1", "2", "content01020000", "Judged", "Judged", "text", "3", "", "false"},
        {"1", "1", "20", "content01021800", "Level", "Level", "text", "400.05", "", "true"}};
    const QList<QStringList> csv = csvRows(QString::fromUtf8(csvFile.readAll()));
    QCOMPARE(csv.size(), 1 + contents.size());
    QCOMPARE(csv.first().join(','),
             QStringLiteral("group,subgroup,test,id,caption_key,caption,type,answer,computed,valid"));
    for (int row = 0; row < expected.size(); ++row) {
        const int index = row < 6 ? row : contents.size() - 1;
        QCOMPARE(csv.at(index + 1), expected.at(row));
        const QJsonObject content = contents.at(index).toObject();
        QStringList fields;
        for (const QString &column : csv.first())
            fields << content.value(column).toVariant().toString();
        QCOMPARE(fields, expected.at(row));
    }
}

void TestLumivexReport::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const auto reading = [](const QString &settings, const QStringList &more = {"--out=out.pdf"}) {
        return QStringList{QStringLiteral("--settings"), settings} + more;
    };
    QTest::newRow("missing settings file") << reading("none.ini") << 1 << "does not exist";
    QTest::newRow("settings file is a folder") << reading(".") << 1 << "cannot be read";
    QTest::newRow("unreadable settings file") << reading("locked.ini") << 1 << "cannot be read";
    QTest::newRow("settings without sessions") << reading("empty.ini") << 1 << "no stored sessions";
    QTest::newRow("session not a number") << reading(settingsName, {"--session=first"}) << 2 << "--session needs";
    QTest::newRow("session out of range") << reading(settingsName, {"--session=3"}) << 2 << "there is no session 3";
    QTest::newRow("output folder missing") << reading(settingsName, {"--out=missing/out.pdf"}) << 1 << "cannot write";
    QTest::newRow("export of another kind") << reading(settingsName, {"--export=out.xml"}) << 2 << ".json or .csv";
    QTest::newRow("list and export") << QStringList{"--list", "--export=out.csv"} << 2 << "--list cannot";
    QTest::newRow("out is the settings file") << QStringList{"--out=" + settingsName} << 2 << "is the settings file";
    QTest::newRow("out links to the settings file") << QStringList{"--out=link"} << 2 << "is the settings file";
    QTest::newRow("export is the settings file")
        << QStringList{"--settings=store.csv", "--export=./store.csv"} << 2 << "is the settings file";
    QTest::newRow("out and export the same") << QStringList{"--out=a.csv", "--export=a.csv"} << 2 << "same file";
}

void TestLumivexReport::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(QFile::copy(path(settingsName), path("store.csv")) && QFile::link(settingsName, path("link")));
    QFile locked(path(QStringLiteral("locked.ini")));
    QVERIFY(QFile::copy(path(settingsName), locked.fileName()));
    QVERIFY(locked.setPermissions(QFileDevice::Permissions()));
    if (QTest::currentDataTag() == QByteArray("unreadable settings file") && locked.open(QIODevice::ReadOnly))
        QSKIP("this user reads files whatever their permissions");
    const QByteArray before = settingsFingerprint();
    const QStringList files = QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.startsWith("lumivex-report: ") && result.err.contains(message), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QVERIFY(result.out.isEmpty());
    // Nothing is written, and no settings file is touched.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(settingsFingerprint(), before);
    QCOMPARE(QFileInfo(path("store.csv")).size(), QFileInfo(path(settingsName)).size());
}

QTEST_GUILESS_MAIN(TestLumivexReport)
#include "tst_lumivexreport.moc"
