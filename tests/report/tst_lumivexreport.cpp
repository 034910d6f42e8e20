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
    QVariantMap record = AnsweredSession::record(QVariantMap(), date, failed);
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("monitorinfo"), monitor);
    return record;
}

} // namespace

class TestLumivexReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void help();
    void listsSessionsNewestFirst();
    void writesChosenSession_data();
    void writesChosenSession();
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
    QVERIFY(result.err.isEmpty());
    QCOMPARE(PdfProbe::pageCount(path(pdf)), 1);
    QVERIFY(PdfProbe::text(PdfProbe::words(path(pdf))).contains(monitor));
    QCOMPARE(settingsFingerprint(), before);
    // Only the report is left beside the two settings files: no scratch files.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void TestLumivexReport::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const auto reading = [](const QString &settings, const QStringList &more = {QStringLiteral("--out=out.pdf")}) {
        return QStringList{QStringLiteral("--settings"), settings} + more;
    };
    QTest::newRow("missing settings file")
        << reading(QStringLiteral("none.ini")) << 1 << QStringLiteral("does not exist");
    QTest::newRow("settings file is a folder") << reading(QStringLiteral(".")) << 1 << QStringLiteral("cannot be read");
    QTest::newRow("unreadable settings file")
        << reading(QStringLiteral("locked.ini")) << 1 << QStringLiteral("cannot be read");
    QTest::newRow("settings without sessions")
        << reading(QStringLiteral("empty.ini")) << 1 << QStringLiteral("no stored sessions");
    QTest::newRow("session not a number") << reading(settingsName, {QStringLiteral("--session=first")}) << 2
                                          << QStringLiteral("--session needs a session index");
    QTest::newRow("session out of range")
        << reading(settingsName, {QStringLiteral("--session=3")}) << 2 << QStringLiteral("there is no session 3");
    QTest::newRow("output folder missing")
        << reading(settingsName, {QStringLiteral("--out=missing/out.pdf")}) << 1 << QStringLiteral("cannot write");
}

void TestLumivexReport::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QFile locked(path(QStringLiteral("locked.ini")));
    QVERIFY(QFile::copy(path(settingsName), locked.fileName()));
    QVERIFY(locked.setPermissions(QFileDevice::Permissions()));
    if (QTest::currentDataTag() == QByteArray("unreadable settings file") && locked.open(QIODevice::ReadOnly))
        QSKIP("this user reads files whatever their permissions");
    const QByteArray before = settingsFingerprint();

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QVERIFY(result.out.isEmpty());

    // Nothing half-written is left, and no settings file was touched.
    const QStringList pdfs = QDir(m_folder->path()).entryList({QStringLiteral("*pdf*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(pdfs.isEmpty(), qPrintable(pdfs.join(QLatin1Char(' '))));
    QCOMPARE(settingsFingerprint(), before);
}

QTEST_GUILESS_MAIN(TestLumivexReport)
#include "tst_lumivexreport.moc"
