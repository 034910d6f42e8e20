#include "patternprobe.h"
#include "patterntool.h"
#include "support/storefiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList drawArguments(const QString &name, const QString &size, const QString &out)
{
    return {"--pattern", name, "--size", size, "--out", out};
}

} // namespace

class TestLumivexPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void list()
    {
        const ProgramRun list = runPatternTool({"--list"});
        QCOMPARE(list.exitCode, 0);
        const QStringList keys = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(keys.size(), 85);
        for (int value = 0; value < keys.size(); ++value)
            QCOMPARE(int(NSTESTPatter::TestPattern::typeFromString(keys.at(value))), value);
    }

    // An unknown name draws the composite pattern, with a warning.
    void drawOneAndAll()
    {
        const QString path = m_dir.filePath("unknown.png");
        const ProgramRun one = runPatternTool(drawArguments("kTestPatternNoSuchThing", "640x480", path));
        QCOMPARE(one.exitCode, 0);
        QVERIFY(one.errorLines().size() == 1 && one.errorLines().constFirst().contains("kTestPatternNoSuchThing"));
        QVERIFY(sameApartFromLettering(QImage(path), renderPattern("kTestPatternDefault", QSize(640, 480))));

        const QDir folder(m_dir.filePath("all/nested"));
        const ProgramRun all = runPatternTool({"--all", "--size", "96x54", "--dir", folder.path()});
        QCOMPARE(all.exitCode, 0);
        QVERIFY(all.errorLines().isEmpty());
        QCOMPARE(folder.entryList(QDir::Files).size(), 85);
        // (96 - 12) / 3 = 28 and (54 - 12) / 3 = 14.
        comparePixels(QImage(folder.filePath("kTestPatternTG18LN07.png")), "28,14=90 27,14=153 55,27=90 55,28=153");
    }

    // A bad argument exits 2, a failed write 1; either way with one line on standard error, and the folder as it
    // was: no file, no folder, no temporary. The same for the DICOM set.
    void badArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString name = "kTestPatternDefault";
        for (const char *size : {"abc", "0x10", "10x0", "-5x10", "10x", "x10", "10x10x10", "16385x10", "10x16385",
                                 "99999999999x1", " 10x10", "10X10"})
            QTest::newRow(size) << drawArguments(name, size, "bad.png") << 2;
        QTest::newRow("no arguments") << QStringList{} << 2;
        QTest::newRow("size missing") << QStringList{"--pattern", name, "--out", "bad.png"} << 2;
        QTest::newRow("size value missing") << QStringList{"--pattern", name, "--out", "bad.png", "--size"} << 2;
        QTest::newRow("output missing") << QStringList{"--pattern", name, "--size", "10x10"} << 2;
        QTest::newRow("name missing") << QStringList{"--pattern"} << 2;
        QTest::newRow("folder missing") << QStringList{"--all", "--size", "10x10"} << 2;
        QTest::newRow("two modes") << QStringList{"--list", "--all"} << 2;
        QTest::newRow("unknown option") << QStringList{"--colour", "red"} << 2;
        QTest::newRow("stray argument") << QStringList{"--list", "extra"} << 2;
        QTest::newRow("folder does not exist") << drawArguments(name, "10x10", "missing/a.png") << 1;
        QTest::newRow("output is a folder") << drawArguments(name, "10x10", ".") << 1;
        QTest::newRow("folder is a file") << QStringList{"--all", "--size", "10x10", "--dir", "blocker"} << 1;
        QTest::newRow("DICOM in ten bits") << QStringList{"--dicom", "set", "--bits", "10"} << 2;
        QTest::newRow("bits without DICOM")
            << QStringList{"--all", "--size", "8x8", "--dir", "set", "--bits", "8"} << 2;
        QTest::newRow("DICOM folder is a file") << QStringList{"--dicom", "blocker", "--size", "8x8"} << 1;
    }

    void badArguments()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(QDir::setCurrent(m_dir.path()));
        writeBytes("blocker", QByteArray());
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const ProgramRun result = runPatternTool(arguments);
        QTEST(result.exitCode, "exitCode");
        QVERIFY(result.errorLines().size() == 1 && result.errorLines().constFirst().startsWith("lumivex-pattern: "));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestLumivexPattern)
#include "tst_lumivexpattern.moc"
