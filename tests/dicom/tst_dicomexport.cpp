#include "dicomtestset.h"
#include "patterns/patterntool.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdicdir.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using NSTESTPatter::TestPattern;

namespace {

const QString kSize = QStringLiteral("1920x1080");

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
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (int bits : {8, 12}) {
            const QString directory = m_dir.filePath(QStringLiteral("set%1").arg(bits));
            const ProgramRun exported =
                runPatternTool({"--dicom", directory, "--size", kSize, "--bits", QString::number(bits)});
            QVERIFY2(exported.exitCode == 0, qPrintable(exported.error));
            QStringList files = QDir(directory).entryList({"IMAGE*"}, QDir::Files, QDir::Name);
            QCOMPARE(files.size(), DicomTestSet::entries().size());
            m_exports.insert(bits, {directory, files});
        }
        const ProgramRun drawn = runPatternTool({"--all", "--size", kSize, "--dir", m_dir.filePath("png")});
        QVERIFY2(drawn.exitCode == 0, qPrintable(drawn.error));
    }

    void imageNumbers_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("number");
        QTest::newRow("TG18-LN level 90 is image 07") << int(TestPattern::kTestPatternTG18LN07) << 7;
        QTest::newRow("outlined element on the composite") << int(TestPattern::kTestPatternGridAndSRTL) << 19;
        QTest::newRow("dark uniform field") << int(TestPattern::kTestPatternUN10) << 21;
        QTest::newRow("TG18-MP last") << int(TestPattern::kTestPatternTG18MP) << 40;
        QTest::newRow("question without a pattern") << int(TestPattern::kTestPatternEmpty) << 0;
        QTest::newRow("photograph is not in the set") << int(TestPattern::kTestPatternExternalImage) << 0;
        QTest::newRow("all nine fields are not in the set") << int(TestPattern::kTestPatternLuminanceLightAll) << 0;
    }

    void imageNumbers()
    {
        QFETCH(int, pattern);
        QTEST(DicomTestSet::imageNumber(TestPattern::tTestPattern(pattern)), "number");
    }

    // dciodvfy checks each file against its IOD and reports no error.
    void validatorAccepts()
    {
        for (const Export &set : qAsConst(m_exports)) {
            for (const QString &file : set.files + QStringList{"DICOMDIR"}) {
                const ProgramRun verified =
                    runProgram(QStringLiteral("dciodvfy"), {QDir(set.directory).filePath(file)});
                QVERIFY2(verified.exitCode == 0, qPrintable(file + ": " + verified.error));
                for (const QString &line : (verified.out + verified.error).split('\n', Qt::SkipEmptyParts))
                    QVERIFY2(!line.startsWith(QLatin1String("Error")), qPrintable(file + ": " + line));
            }
        }
    }

    // Each image holds, pixel for pixel, what the pattern tool draws; nothing names a real person or place (the
    // patient is the fixed test name and ID, every other attribute of the patient and of the people about an image
    // is empty); one study and one series an export, each image its own instance, no UID shared between exports;
    // the DICOMDIR lists every image under one patient, study and series.
    void everyFile()
    {
        const DcmTagKey people[] = {
            DCM_ReferringPhysicianName, DCM_InstitutionName,         DCM_InstitutionAddress, DCM_StationName,
            DCM_OperatorsName,          DCM_PerformingPhysicianName, DCM_AccessionNumber};
        const QVector<DicomTestSet::Entry> &entries = DicomTestSet::entries();
        QSet<QString> uids;
        int count = 0;
        for (auto set = m_exports.cbegin(); set != m_exports.cend(); ++set) {
            const int bits = set.key();
            QSet<QString> studies;
            QSet<QString> series;
            for (int index = 0; index < entries.size(); ++index) {
                const QString key = TestPattern::typeToString(entries.at(index).pattern);
                const QImage png =
                    QImage(m_dir.filePath("png/" + key + ".png")).convertToFormat(QImage::Format_Grayscale8);
                DcmFileFormat file;
                QVERIFY(file.loadFile(QDir(set->directory).filePath(set->files.at(index)).toLocal8Bit().constData())
                            .good());
                DcmDataset *dataset = file.getDataset();
                QCOMPARE(text(dataset, DCM_InstanceNumber).toInt(), index + 1);
                QVERIFY2(text(dataset, DCM_ImageComments).startsWith(entries.at(index).name), qPrintable(key));
                Uint16 rows = 0, columns = 0;
                dataset->findAndGetUint16(DCM_Rows, rows);
                dataset->findAndGetUint16(DCM_Columns, columns);
                QCOMPARE(QSize(columns, rows), png.size());
                const Uint8 *bytes = nullptr;
                const Uint16 *words = nullptr;
                QVERIFY(bits == 8 ? dataset->findAndGetUint8Array(DCM_PixelData, bytes).good()
                                  : dataset->findAndGetUint16Array(DCM_PixelData, words).good());
                for (int at = 0; at < png.width() * png.height(); ++at) {
                    const int grey = png.constScanLine(at / png.width())[at % png.width()];
                    const int stored = bits == 8 ? bytes[at] : words[at];
                    if (stored != (bits == 8 ? grey : int(std::lround(grey * 4095.0 / 255.0))))
                        QFAIL(qPrintable(key + QString::asprintf(" pixel %d: %d, drawn %d", at, stored, grey)));
                }
                for (unsigned long element = 0; element < dataset->card(); ++element) {
                    const DcmTagKey tag = dataset->getElement(element)->getTag();
                    if (tag.getGroup() == 0x0010 && tag != DCM_PatientName && tag != DCM_PatientID)
                        QVERIFY2(dataset->getElement(element)->getLength() == 0, tag.toString().c_str());
                }
                QCOMPARE(text(dataset, DCM_PatientName) + ' ' + text(dataset, DCM_PatientID), "QA^Lumivex LUMIVEX-QA");
                for (const DcmTagKey &tag : people)
                    QVERIFY2(text(dataset, tag).isEmpty(), tag.toString().c_str());
                studies.insert(text(dataset, DCM_StudyInstanceUID));
                series.insert(text(dataset, DCM_SeriesInstanceUID));
                uids.insert(text(dataset, DCM_SOPInstanceUID));
                ++count;
                if (bits == 12 && index == 6) {
                    QCOMPARE(text(dataset, DCM_SeriesDescription), "Lumivex test patterns 1920 x 1080, 12 bits");
                    QCOMPARE(text(dataset, DCM_ImageComments), "TG18-LN level 90, driving level 90 of 255");
                    QCOMPARE(text(dataset, DCM_WindowCenter) + ' ' + text(dataset, DCM_WindowWidth), "2047.5 4096");
                    QCOMPARE(text(dataset, DCM_PresentationLUTShape), "IDENTITY");
                }
            }
            QCOMPARE(studies.size() + series.size(), 2);
            QVERIFY(studies.constBegin()->startsWith(QLatin1String("2.25.4208630995750502719.")));
            uids += studies + series;
            count += 2;

            DcmDicomDir dicomDir(QDir(set->directory).filePath("DICOMDIR").toLocal8Bit().constData());
            QVERIFY(dicomDir.error().good());
            DcmDirectoryRecord &root = dicomDir.getRootRecord();
            DcmDirectoryRecord *patient = root.nextSub(nullptr);
            DcmDirectoryRecord *study = patient ? patient->nextSub(nullptr) : nullptr;
            DcmDirectoryRecord *images = study ? study->nextSub(nullptr) : nullptr;
            QVERIFY(images && !root.nextSub(patient) && !patient->nextSub(study) && !study->nextSub(images));
            QStringList listed;
            for (DcmDirectoryRecord *image = images->nextSub(nullptr); image; image = images->nextSub(image))
                listed << text(image, DCM_ReferencedFileID);
            listed.sort();
            QCOMPARE(listed, set->files);
        }
        QCOMPARE(uids.size(), count);
    }

private:
    QTemporaryDir m_dir;
    QMap<int, Export> m_exports;
};

QTEST_GUILESS_MAIN(TestDicomExport)
#include "tst_dicomexport.moc"
