#include "answeredsession.h"
#include "pdfprobe.h"
#include "testconfig.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString settingsName = QStringLiteral("Lumivex 2016.ini");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QVariantMap storedSession(const QDateTime &date, const QString &tester, int failed, const QString &monitor)
{
    const QVariantMap content{{QStringLiteral("report"), QStringLiteral("Institute")},
                              {QStringLiteral("type"), QStringLiteral("text")},
                              {QStringLiteral("resulttext"), tester + QStringLiteral("Clinic")}};
    const QVariantMap test{{QStringLiteral("content"), QVariantList{content}}};
    const QVariantMap subgroup{{QStringLiteral("report"), QStringLiteral("Site")},
                               {QStringLiteral("tests"), QVariantList{test}}};
    const QVariantMap group{{QStringLiteral("report"), QStringLiteral("Information")},
                            {QStringLiteral("subgroups"), QVariantMap{{QStringLiteral("1"), subgroup}}}};
    QVariantMap record = AnsweredSession::record(QVariantMap{{QStringLiteral("1"), group}}, date, failed);
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("monitorinfo"), monitor);
    return record;
}

QByteArray fingerprint(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) +
           QByteArray::number(QFileInfo(path).lastModified().toMSecsSinceEpoch());
}

} // namespace

class TestLumivexReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void help();
    void listsSessionsNewestFirst();
    void writesChosenSession_data();
    void writesChosenSession();
    void defaultSettingsAndOutputNames();
    void badInput_data();
    void badInput();

private:
    Run run(const QStringList &arguments) const;
    QString path(const QString &name) const { return m_folder->filePath(name); }

    QScopedPointer<QTemporaryDir> m_folder;
    QString m_settings;
};

void TestLumivexReport::init()
{
    m_folder.reset(new QTemporaryDir);
    QVERIFY(m_folder->isValid());
    m_settings = path(QStringLiteral("stored.ini"));
    QSettings settings(m_settings, QSettings::IniFormat);
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
}

void TestLumivexReport::cleanup()
{
    m_folder.reset();
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
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    // The tool's own lines only: the libraries' diagnostics start with a tag.
    const QStringList errorLines = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'));
    for (const QString &line : errorLines) {
        if (line.startsWith(QLatin1String("lumivex-report:")))
            result.err += line + QLatin1Char('\n');
    }
    return result;
}

void TestLumivexReport::help()
{
    const Run result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitCode, 0);
    for (const char *option : {"--settings", "--list", "--session", "--out"})
        QVERIFY2(result.out.contains(QLatin1String(option)), option);
}

void TestLumivexReport::listsSessionsNewestFirst()
{
    const QByteArray before = fingerprint(m_settings);
    const Run result = run({QStringLiteral("--settings"), m_settings, QStringLiteral("--list")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringLiteral("0\t14/03/2026 - 09:30\tBen\t4\n"
                                        "1\t20/02/2026 - 17:45\tCy\t1\n"
                                        "2\t05/01/2026 - 08:15\tAnn\t0\n"));
    QCOMPARE(fingerprint(m_settings), before);
}

void TestLumivexReport::writesChosenSession_data()
{
    QTest::addColumn<QStringList>("sessionArguments");
    QTest::addColumn<QString>("monitor");
    QTest::newRow("newest by default") << QStringList{} << QStringLiteral("NewestMonitor");
    QTest::newRow("session 1") << QStringList{QStringLiteral("--session"), QStringLiteral("1")}
                               << QStringLiteral("MiddleMonitor");
    QTest::newRow("oldest") << QStringList{QStringLiteral("--session=2")} << QStringLiteral("OldestMonitor");
}

void TestLumivexReport::writesChosenSession()
{
    QFETCH(QStringList, sessionArguments);
    QFETCH(QString, monitor);
    const QByteArray before = fingerprint(m_settings);
    const QString pdf = path(QStringLiteral("chosen.pdf"));
    const Run result =
        run(QStringList{QStringLiteral("--settings"), m_settings, QStringLiteral("--out"), pdf} + sessionArguments);
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    QCOMPARE(PdfProbe::pageCount(pdf), 1);
    const QString text = PdfProbe::text(pdf);
    QVERIFY2(text.contains(monitor), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Information")));
    QCOMPARE(fingerprint(m_settings), before);
    // Only the report is left behind: no scratch files beside it.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestLumivexReport::defaultSettingsAndOutputNames()
{
    QVERIFY(QFile::copy(m_settings, path(settingsName)));
    const QByteArray before = fingerprint(path(settingsName));
    const Run result = run({});
    QCOMPARE(result.exitCode, 0);
    const QString expected = path(QStringLiteral("20260314-0930.pdf"));
    QVERIFY(QFile::exists(expected));
    QVERIFY(PdfProbe::text(expected).contains(QStringLiteral("NewestMonitor")));
    QCOMPARE(fingerprint(path(settingsName)), before);
}

void TestLumivexReport::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString stored = QStringLiteral("stored.ini");
    const QString out = QStringLiteral("out.pdf");
    QTest::newRow("missing settings file")
        << QStringList{QStringLiteral("--settings"), QStringLiteral("none.ini"), QStringLiteral("--out"), out} << 1
        << QStringLiteral("does not exist");
    QTest::newRow("default settings file absent")
        << QStringList{QStringLiteral("--out"), out} << 1 << QStringLiteral("does not exist");
    QTest::newRow("settings file is a folder")
        << QStringList{QStringLiteral("--settings"), QStringLiteral("."), QStringLiteral("--out"), out} << 1
        << QStringLiteral("cannot be read");
    QTest::newRow("unreadable settings file")
        << QStringList{QStringLiteral("--settings"), QStringLiteral("locked.ini"), QStringLiteral("--out"), out} << 1
        << QStringLiteral("cannot be read");
    QTest::newRow("settings without sessions")
        << QStringList{QStringLiteral("--settings"), QStringLiteral("empty.ini"), QStringLiteral("--out"), out} << 1
        << QStringLiteral("no stored sessions");
    QTest::newRow("settings file of another kind")
        << QStringList{QStringLiteral("--settings"), QStringLiteral("binary.ini"), QStringLiteral("--list")} << 1
        << QStringLiteral("no stored sessions");
    QTest::newRow("session not a number")
        << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--session"), QStringLiteral("first"),
                       QStringLiteral("--out"),      out}
        << 2 << QStringLiteral("--session needs a session index");
    QTest::newRow("negative session") << QStringList{QStringLiteral("--settings"), stored,
                                                     QStringLiteral("--session=-1"), QStringLiteral("--out"), out}
                                      << 2 << QStringLiteral("--session needs a session index");
    QTest::newRow("session out of range")
        << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--session"), QStringLiteral("3"),
                       QStringLiteral("--out"),      out}
        << 2 << QStringLiteral("there is no session 3");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--pages"),
                                                   QStringLiteral("--out"), out}
                                    << 2 << QStringLiteral("Unknown option");
    QTest::newRow("option without its value")
        << QStringList{QStringLiteral("--settings")} << 2 << QStringLiteral("Missing value");
    QTest::newRow("stray argument") << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("report"),
                                                   QStringLiteral("--out"), out}
                                    << 2 << QStringLiteral("unexpected argument");
    QTest::newRow("list combined with out")
        << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--list"), QStringLiteral("--out"), out}
        << 2 << QStringLiteral("cannot be combined");
    QTest::newRow("output folder missing")
        << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--out"), QStringLiteral("missing/out.pdf")}
        << 1 << QStringLiteral("cannot write");
    QTest::newRow("output is a folder") << QStringList{QStringLiteral("--settings"), stored, QStringLiteral("--out"),
                                                       QStringLiteral("folder")}
                                        << 1 << QStringLiteral("cannot write");
}

void TestLumivexReport::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QSettings(path(QStringLiteral("empty.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("GENERAL/locale_selected"), QStringLiteral("en"));
    QFile binary(path(QStringLiteral("binary.ini")));
    QVERIFY(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    binary.close();
    QFile locked(path(QStringLiteral("locked.ini")));
    QVERIFY(QFile::copy(m_settings, locked.fileName()));
    QVERIFY(locked.setPermissions(QFileDevice::Permissions()));
    if (QTest::currentDataTag() == QByteArray("unreadable settings file") && locked.open(QIODevice::ReadOnly))
        QSKIP("this user reads files whatever their permissions");
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder")));

    QStringList settingsFiles;
    for (const QString &name :
         {QStringLiteral("stored.ini"), QStringLiteral("empty.ini"), QStringLiteral("binary.ini")})
        settingsFiles << path(name);
    QList<QByteArray> before;
    for (const QString &file : qAsConst(settingsFiles))
        before << fingerprint(file);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QVERIFY(result.out.isEmpty());

    // Nothing half-written is left, and no settings file was touched.
    const QStringList pdfs =
        QDir(m_folder->path())
            .entryList({QStringLiteral("*.pdf*"), QStringLiteral(".*pdf*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(pdfs.isEmpty(), qPrintable(pdfs.join(QLatin1Char(' '))));
    QVERIFY(QDir(path(QStringLiteral("folder"))).isEmpty());
    for (int i = 0; i < settingsFiles.size(); ++i)
        QCOMPARE(fingerprint(settingsFiles.at(i)), before.at(i));
    QVERIFY(!QFile::exists(path(settingsName)));
}

QTEST_GUILESS_MAIN(TestLumivexReport)
#include "tst_lumivexreport.moc"
