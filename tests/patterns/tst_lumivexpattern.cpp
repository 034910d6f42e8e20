#include "patternprobe.h"
#include "testconfig.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QStringList errorLines;
};

Run run(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The test runner turns on every debug category; a user running the tool does not.
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-pattern"), arguments);
    Run result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.errorLines = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return result;
}

QStringList drawArguments(const QString &name, const QString &size, const QString &out)
{
    return {QStringLiteral("--pattern"), name, QStringLiteral("--size"), size, QStringLiteral("--out"), out};
}

} // namespace

class TestLumivexPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void helpAndList();
    void unknownNameDrawsComposite();
    void drawAll();
    void badArguments_data();
    void badArguments();
    void unwritableOutput_data();
    void unwritableOutput();

private:
    QTemporaryDir m_dir;
};

void TestLumivexPattern::helpAndList()
{
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char *option : {"--list", "--pattern", "--size", "--out", "--all", "--dir"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);

    const Run list = run({QStringLiteral("--list")});
    QCOMPARE(list.exitCode, 0);
    const QStringList keys = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(keys.size(), 85);
    for (int value = 0; value < keys.size(); ++value)
        QCOMPARE(int(NSTESTPatter::TestPattern::typeFromString(keys.at(value))), value);
}

void TestLumivexPattern::unknownNameDrawsComposite()
{
    const QString path = m_dir.filePath(QStringLiteral("unknown.png"));
    const Run result = run(drawArguments(QStringLiteral("kTestPatternNoSuchThing"), QStringLiteral("640x480"), path));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.errorLines.size(), 1);
    QVERIFY(result.errorLines.constFirst().contains(QLatin1String("kTestPatternNoSuchThing")));
    QVERIFY(
        sameApartFromLettering(QImage(path), renderPattern(QStringLiteral("kTestPatternDefault"), QSize(640, 480))));
}

void TestLumivexPattern::drawAll()
{
    const QString folder = m_dir.filePath(QStringLiteral("all/nested"));
    const Run result = run(
        {QStringLiteral("--all"), QStringLiteral("--size"), QStringLiteral("96x54"), QStringLiteral("--dir"), folder});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.errorLines.isEmpty());
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 85);
    QVERIFY(files.contains(QStringLiteral("kTestPatternEmpty.png")));
    QVERIFY(files.contains(QStringLiteral("kTestPatternTG18LN18.png")));
    // (96 - 12) / 3 = 28 and (54 - 12) / 3 = 14.
    comparePixels(QImage(QDir(folder).filePath(QStringLiteral("kTestPatternTG18LN07.png"))),
                  {{28, 14, 90}, {27, 14, 153}, {55, 27, 90}, {55, 28, 153}});
}

void TestLumivexPattern::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString name = QStringLiteral("kTestPatternDefault");
    const QString file = QStringLiteral("bad.png");
    for (const char *size : {"abc", "0x10", "10x0", "-5x10", "10x", "x10", "10x10x10", "16385x10", "10x16385",
                             "99999999999x1", " 10x10", "10X10"})
        QTest::newRow(size) << drawArguments(name, QString::fromLatin1(size), file);
    const QStringList noSize{QStringLiteral("--pattern"), name, QStringLiteral("--out"), file};
    QTest::newRow("no arguments") << QStringList{};
    QTest::newRow("size missing") << noSize;
    QTest::newRow("size value missing") << noSize + QStringList{QStringLiteral("--size")};
    QTest::newRow("output missing") << QStringList{QStringLiteral("--pattern"), name, QStringLiteral("--size"),
                                                   QStringLiteral("10x10")};
    QTest::newRow("name missing") << QStringList{QStringLiteral("--pattern")};
    QTest::newRow("folder missing") << QStringList{QStringLiteral("--all"), QStringLiteral("--size"),
                                                   QStringLiteral("10x10")};
    QTest::newRow("two modes") << QStringList{QStringLiteral("--list"), QStringLiteral("--all")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("red")};
    QTest::newRow("stray argument") << QStringList{QStringLiteral("--list"), QStringLiteral("extra")};
}

void TestLumivexPattern::badArguments()
{
    QFETCH(QStringList, arguments);
    QDir::setCurrent(m_dir.path());
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.errorLines.size(), 1);
    QVERIFY(result.errorLines.constFirst().startsWith(QLatin1String("lumivex-pattern: ")));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("bad.png"))));
}

void TestLumivexPattern::unwritableOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString name = QStringLiteral("kTestPatternUN10");
    const QString size = QStringLiteral("10x10");
    QTest::newRow("folder does not exist")
        << drawArguments(name, size, m_dir.filePath(QStringLiteral("missing/a.png")));
    QTest::newRow("output is a folder") << drawArguments(name, size, m_dir.path());
    QTest::newRow("folder is a file") << QStringList{QStringLiteral("--all"), QStringLiteral("--size"), size,
                                                     QStringLiteral("--dir"),
                                                     m_dir.filePath(QStringLiteral("blocker"))};
}

// A failed write leaves the folder as it was: no file, no folder, no temporary.
void TestLumivexPattern::unwritableOutput()
{
    QFETCH(QStringList, arguments);
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto entries = [this] {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QStringList before = entries();

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.errorLines.size(), 1);
    QVERIFY(result.errorLines.constFirst().startsWith(QLatin1String("lumivex-pattern: ")));
    QCOMPARE(entries(), before);
}

QTEST_MAIN(TestLumivexPattern)
#include "tst_lumivexpattern.moc"
