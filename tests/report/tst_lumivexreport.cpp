#include "answeredsession.h"
#include "pdfprobe.h"
#include "testconfig.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The default settings file, read when no other is named.
const QString settingsName = QStringLiteral("Lumivex 2016.ini");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QVariant storedSession(const QDateTime &date, const QString &tester, int failed, const QString &monitor)
{
    QVariantMap record = AnsweredSession::oneGroupRecord(
        AnsweredSession::fixture(QStringLiteral("export")).toList() +
            AnsweredSession::levelTests(AnsweredSession::fixture("GSDF readings").toStringList()),
        failed, date);
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("monitorinfo"), monitor);
    return record;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLumivexReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void init()
    {
        m_folder.reset(new QTemporaryDir);
        QVERIFY(m_folder->isValid());
        QSettings settings(path(settingsName), QSettings::IniFormat);
        settings.setValue(QStringLiteral("GENERAL/locale_selected"), QStringLiteral("en"));
        // Stored in the order the program appends them: not newest first.
        settings.setValue(QStringLiteral("TEST_SESSIONS/list"),
                          QVariantList{storedSession(QDateTime(QDate(2026, 1, 5), QTime(8, 15)), QStringLiteral("Ann"),
                                                     0, QStringLiteral("OldestMonitor")),
                                       storedSession(QDateTime(QDate(2026, 3, 14), QTime(9, 30)), QStringLiteral("Ben"),
                                                     4, QStringLiteral("NewestMonitor")),
                                       storedSession(QDateTime(QDate(2026, 2, 20), QTime(17, 45)), QStringLiteral("Cy"),
                                                     1, QStringLiteral("MiddleMonitor"))});
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
        QSettings(path(QStringLiteral("empty.ini")), QSettings::IniFormat)
            .setValue(QStringLiteral("GENERAL/locale_selected"), QStringLiteral("en"));
    }

    void writes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("pdf"); // with the monitor it shows
        QTest::addColumn<QString>("monitor");
        QTest::addColumn<QString>("exported"); // equal to tests/data/report/export.<suffix>, checked by hand
        const auto row = [](const char *name, const QStringList &arguments, const QString &out, const char *pdf = "",
                            const char *monitor = "", const char *exported = "") {
            QTest::newRow(name) << arguments << out << QString(pdf) << QString(monitor) << QString(exported);
        };
        row("list, newest first", {"--list"},
            "0\t14/03/2026 - 09:30\tBen\t4\n1\t20/02/2026 - 17:45\tCy\t1\n2\t05/01/2026 - 08:15\tAnn\t0\n");
        row("newest, named after its date", {}, "20260314-0930.pdf\n", "20260314-0930.pdf", "NewestMonitor");
        row("oldest", {"--session=2", "--out=chosen.pdf"}, "chosen.pdf\n", "chosen.pdf", "OldestMonitor");
        row("JSON export", {"--session=1", "--export=data.json"}, "data.json\n", "", "", "data.json");
        row("CSV export and report", {"--session=1", "--export=data.CSV", "--out=data.pdf"}, "data.CSV\ndata.pdf\n",
            "data.pdf", "MiddleMonitor", "data.CSV");
    }

    void writes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, pdf);
        QFETCH(QString, monitor);
        QFETCH(QString, exported);
        const QByteArray before = settingsFingerprint();
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, out);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err)); // no diagnostics of the libraries
        QCOMPARE(settingsFingerprint(), before);
        if (!pdf.isEmpty()) {
            const QString text = PdfProbe::text(PdfProbe::words(path(pdf)));
            QVERIFY(text.contains(monitor) && text.contains(QStringLiteral("Luminance response")));
        }
        if (!exported.isEmpty())
            QCOMPARE(contents(path(exported)),
                     contents(LUMIVEX_TEST_DATA_DIR "/report/export." + QFileInfo(exported).suffix().toLower()));
        // Only what was asked for is left beside the two settings files: no scratch files.
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(),
                 2 + !pdf.isEmpty() + !exported.isEmpty());
    }

    void badInput_data()
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
        QTest::newRow("output folder missing")
            << reading(settingsName, {"--out=missing/out.pdf"}) << 1 << "cannot write";
        QTest::newRow("export of another kind") << reading(settingsName, {"--export=out.xml"}) << 2 << ".json or .csv";
        QTest::newRow("list and export") << QStringList{"--list", "--export=out.csv"} << 2 << "--list cannot";
        QTest::newRow("out is the settings file")
            << QStringList{"--out=" + settingsName} << 2 << "is the settings file";
        QTest::newRow("out links to the settings file") << QStringList{"--out=link"} << 2 << "is the settings file";
        QTest::newRow("export is the settings file")
            << QStringList{"--settings=store.csv", "--export=./store.csv"} << 2 << "is the settings file";
        QTest::newRow("out and export the same") << QStringList{"--out=a.csv", "--export=a.csv"} << 2 << "same file";
    }

    void badInput()
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

private:
    Run run(const QStringList &arguments) const;
    QString path(const QString &name) const { return m_folder->filePath(name); }
    // The contents and modification times of the settings files, to prove they are only ever read.
    QByteArray settingsFingerprint() const;

    QScopedPointer<QTemporaryDir> m_folder;
};

QByteArray TestLumivexReport::settingsFingerprint() const
{
    QByteArray fingerprint;
    for (const QFileInfo &info : QDir(m_folder->path()).entryInfoList({QStringLiteral("*.ini")}, QDir::Files)) {
        fingerprint += QCryptographicHash::hash(contents(info.filePath()), QCryptographicHash::Sha256);
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

QTEST_GUILESS_MAIN(TestLumivexReport)
#include "tst_lumivexreport.moc"
