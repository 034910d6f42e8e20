#include "dicomtestset.h"
#include "testconfig.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdicdir.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using NSTESTPatter::TestPattern;

namespace {

const QString kSize = QStringLiteral("1920x1080");

struct Run
{
    int exitCode = -1;
    QString out;
    QString error;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    return result;
}

Run runTool(const QStringList &arguments)
{
    return run(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-pattern"), arguments);
}

QString text(DcmItem *item, const DcmTagKey &tag)
{
    OFString value;
    item->findAndGetOFStringArray(tag, value);
    return QString::fromLatin1(value.c_str());
}

struct Export
{
    QString directory;
    QStringList files;
};

} // namespace

class TestDicomExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void imageNumbers_data();
    void imageNumbers();
    void validatorAndReaderAccept_data();
    void validatorAndReaderAccept();
    void pixelsEqualThePatternTool_data();
    void pixelsEqualThePatternTool();
    void describesTheSetWithoutPatientData();
    void uidsAreUniqueAcrossExports();
    void dicomDirListsEveryFile();
    void badArguments_data();
    void badArguments();

private:
    void addExportRows();
    QTemporaryDir m_dir;
    QMap<int, Export> m_exports;
};

void TestDicomExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int bits : {8, 12}) {
        const QString directory = m_dir.filePath(QStringLiteral("set%1").arg(bits));
        const Run exported = runTool({"--dicom", directory, "--size", kSize, "--bits", QString::number(bits)});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.error));
        QStringList files = QDir(directory).entryList({"IMAGE*"}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), DicomTestSet::entries().size());
        m_exports.insert(bits, {directory, files});
    }
    const Run drawn = runTool({"--all", "--size", kSize, "--dir", m_dir.filePath("png")});
    QVERIFY2(drawn.exitCode == 0, qPrintable(drawn.error));
}

void TestDicomExport::imageNumbers_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("number");
    QTest::newRow("TG18-LN level 90 is image 07") << int(TestPattern::kTestPatternTG18LN07) << 7;
    QTest::newRow("last TG18-LN level") << int(TestPattern::kTestPatternTG18LN18) << 18;
    QTest::newRow("outlined element on the composite") << int(TestPattern::kTestPatternGridAndSRTL) << 19;
    QTest::newRow("composite itself") << int(TestPattern::kTestPatternDefault) << 19;
    QTest::newRow("dark uniform field") << int(TestPattern::kTestPatternUN10) << 21;
    QTest::newRow("last luminance field") << int(TestPattern::kTestPatternLuminanceDarkBR) << 39;
    QTest::newRow("TG18-MP last") << int(TestPattern::kTestPatternTG18MP) << 40;
    QTest::newRow("question without a pattern") << int(TestPattern::kTestPatternEmpty) << 0;
    QTest::newRow("photograph is not in the set") << int(TestPattern::kTestPatternExternalImage) << 0;
    QTest::newRow("all nine fields are not in the set") << int(TestPattern::kTestPatternLuminanceLightAll) << 0;
}

void TestDicomExport::imageNumbers()
{
    QFETCH(int, pattern);
    QFETCH(int, number);
    QCOMPARE(DicomTestSet::imageNumber(TestPattern::tTestPattern(pattern)), number);
    QCOMPARE(DicomTestSet::entries().size(), 40);
}

void TestDicomExport::addExportRows()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("files");
    for (auto it = m_exports.cbegin(); it != m_exports.cend(); ++it)
        QTest::newRow(qPrintable(QStringLiteral("%1 bits").arg(it.key()))) << it.key() << it->directory << it->files;
}

void TestDicomExport::validatorAndReaderAccept_data()
{
    addExportRows();
}

// dciodvfy checks each file against its IOD; its warnings are printed for the record.
void TestDicomExport::validatorAndReaderAccept()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, files);
    QSet<QString> warnings;
    for (const QString &file : files + QStringList{"DICOMDIR"}) {
        const Run verified = run(QStringLiteral("dciodvfy"), {QDir(directory).filePath(file)});
        QVERIFY2(verified.exitCode == 0, qPrintable(file + ": " + verified.error));
        const QStringList lines = (verified.out + verified.error).split('\n', Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            QVERIFY2(!line.startsWith(QLatin1String("Error")), qPrintable(file + ": " + line));
            if (line.startsWith(QLatin1String("Warning")))
                warnings.insert(line);
        }
    }
    for (const QString &warning : qAsConst(warnings))
        qInfo().noquote() << "dciodvfy:" << warning;
    QStringList paths;
    for (const QString &file : files)
        paths << QDir(directory).filePath(file);
    const Run dumped = run(QStringLiteral("dcmdump"), paths);
    QVERIFY2(dumped.exitCode == 0 && dumped.error.isEmpty(), qPrintable(dumped.error));
    QCOMPARE(dumped.out.count(QLatin1String("(7fe0,0010)")), files.size());
}

void TestDicomExport::pixelsEqualThePatternTool_data()
{
    addExportRows();
}

void TestDicomExport::pixelsEqualThePatternTool()
{
    QFETCH(int, bits);
    QFETCH(QString, directory);
    QFETCH(QStringList, files);
    const QVector<DicomTestSet::Entry> &entries = DicomTestSet::entries();
    for (int index = 0; index < entries.size(); ++index) {
        const QString key = TestPattern::typeToString(entries.at(index).pattern);
        const QImage png = QImage(m_dir.filePath("png/" + key + ".png")).convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(png.size(), QSize(1920, 1080));
        DcmFileFormat file;
        QVERIFY(file.loadFile(QDir(directory).filePath(files.at(index)).toLocal8Bit().constData()).good());
        DcmDataset *dataset = file.getDataset();
        QCOMPARE(text(dataset, DCM_InstanceNumber).toInt(), index + 1);
        QVERIFY2(text(dataset, DCM_ImageComments).startsWith(entries.at(index).name), qPrintable(key));
        Uint16 rows = 0, columns = 0;
        dataset->findAndGetUint16(DCM_Rows, rows);
        dataset->findAndGetUint16(DCM_Columns, columns);
        QCOMPARE(QSize(columns, rows), png.size());
        const Uint8 *bytes = nullptr;
        const Uint16 *words = nullptr;
        if (bits == 8)
            QVERIFY(dataset->findAndGetUint8Array(DCM_PixelData, bytes).good());
        else
            QVERIFY(dataset->findAndGetUint16Array(DCM_PixelData, words).good());
        for (int y = 0; y < png.height(); ++y) {
            const uchar *line = png.constScanLine(y);
            for (int x = 0; x < png.width(); ++x) {
                const size_t at = size_t(y) * size_t(png.width()) + size_t(x);
                const int stored = bits == 8 ? bytes[at] : words[at];
                const int expected = bits == 8 ? line[x] : int(std::lround(line[x] * 4095.0 / 255.0));
                if (stored != expected)
                    QFAIL(qPrintable(
                        QStringLiteral("%1 at %2,%3: %4, drawn %5").arg(key).arg(x).arg(y).arg(stored).arg(line[x])));
            }
        }
    }
}

// Nothing names a real person or place: the patient is the fixed test name and ID,
// every other attribute of the patient and the people about an image is empty.
void TestDicomExport::describesTheSetWithoutPatientData()
{
    const DcmTagKey people[] = {
        DCM_ReferringPhysicianName, DCM_InstitutionName,         DCM_InstitutionAddress, DCM_StationName,
        DCM_OperatorsName,          DCM_PerformingPhysicianName, DCM_AccessionNumber};
    for (const Export &set : qAsConst(m_exports)) {
        for (const QString &name : set.files) {
            DcmFileFormat file;
            QVERIFY(file.loadFile(QDir(set.directory).filePath(name).toLocal8Bit().constData()).good());
            DcmDataset *dataset = file.getDataset();
            for (unsigned long element = 0; element < dataset->card(); ++element) {
                DcmElement *attribute = dataset->getElement(element);
                const DcmTagKey tag = attribute->getTag();
                if (tag.getGroup() != 0x0010 || tag == DCM_PatientName || tag == DCM_PatientID)
                    continue;
                QVERIFY2(attribute->getLength() == 0, qPrintable(QString::fromLatin1(tag.toString().c_str())));
            }
            QCOMPARE(text(dataset, DCM_PatientName), QStringLiteral("QA^Lumivex"));
            QCOMPARE(text(dataset, DCM_PatientID), QStringLiteral("LUMIVEX-QA"));
            for (const DcmTagKey &tag : people)
                QVERIFY2(text(dataset, tag).isEmpty(), qPrintable(QString::fromLatin1(tag.toString().c_str())));
        }
    }
    DcmFileFormat file;
    const Export &deep = m_exports.value(12);
    QVERIFY(file.loadFile(QDir(deep.directory).filePath(deep.files.at(6)).toLocal8Bit().constData()).good());
    QCOMPARE(text(file.getDataset(), DCM_SeriesDescription),
             QStringLiteral("Lumivex test patterns 1920 x 1080, 12 bits"));
    QCOMPARE(text(file.getDataset(), DCM_ImageComments), QStringLiteral("TG18-LN level 90, driving level 90 of 255"));
    QCOMPARE(text(file.getDataset(), DCM_WindowCenter), QStringLiteral("2047.5"));
    QCOMPARE(text(file.getDataset(), DCM_WindowWidth), QStringLiteral("4096"));
    QCOMPARE(text(file.getDataset(), DCM_PresentationLUTShape), QStringLiteral("IDENTITY"));
}

// One study and one series an export, each image its own instance, none shared between exports.
void TestDicomExport::uidsAreUniqueAcrossExports()
{
    QSet<QString> seen;
    int count = 0;
    for (const Export &set : qAsConst(m_exports)) {
        QSet<QString> studies, series;
        for (const QString &name : set.files) {
            DcmFileFormat file;
            QVERIFY(file.loadFile(QDir(set.directory).filePath(name).toLocal8Bit().constData()).good());
            studies.insert(text(file.getDataset(), DCM_StudyInstanceUID));
            series.insert(text(file.getDataset(), DCM_SeriesInstanceUID));
            seen.insert(text(file.getDataset(), DCM_SOPInstanceUID));
            ++count;
        }
        QCOMPARE(studies.size(), 1);
        QCOMPARE(series.size(), 1);
        QVERIFY(studies.constBegin()->startsWith(QLatin1String("2.25.4208630995750502719.")));
        seen += studies + series;
        count += 2;
    }
    QCOMPARE(seen.size(), count);
    for (const QString &uid : qAsConst(seen))
        QVERIFY2(uid.size() <= 64, qPrintable(uid));
}

void TestDicomExport::dicomDirListsEveryFile()
{
    for (const Export &set : qAsConst(m_exports)) {
        DcmDicomDir dicomDir(QDir(set.directory).filePath("DICOMDIR").toLocal8Bit().constData());
        QVERIFY(dicomDir.error().good());
        QStringList listed;
        DcmDirectoryRecord &root = dicomDir.getRootRecord();
        DcmDirectoryRecord *patient = root.nextSub(nullptr);
        QVERIFY(patient && !root.nextSub(patient));
        DcmDirectoryRecord *study = patient->nextSub(nullptr);
        QVERIFY(study && !patient->nextSub(study));
        DcmDirectoryRecord *series = study->nextSub(nullptr);
        QVERIFY(series && !study->nextSub(series));
        for (DcmDirectoryRecord *image = series->nextSub(nullptr); image; image = series->nextSub(image))
            listed << text(image, DCM_ReferencedFileID);
        listed.sort();
        QCOMPARE(listed, set.files);
    }
}

void TestDicomExport::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString folder = m_dir.filePath("bad");
    QTest::newRow("ten bits") << QStringList{"--dicom", folder, "--bits", "10"} << 2 << "invalid bit depth \"10\"";
    QTest::newRow("bits without dicom") << QStringList{"--all", "--size", "8x8", "--dir", folder, "--bits", "8"} << 2
                                        << "--bits belongs to --dicom";
    QTest::newRow("folder is a file") << QStringList{"--dicom", m_dir.filePath("png/kTestPatternUN80.png"), "--size",
                                                     "8x8"}
                                      << 1 << "cannot create the folder";
}

void TestDicomExport::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run result = runTool(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.error.contains(message), qPrintable(result.error));
}

QTEST_GUILESS_MAIN(TestDicomExport)
#include "tst_dicomexport.moc"
