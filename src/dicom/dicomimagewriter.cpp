#include "dicomimagewriter.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcpixel.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <QFile>

#include <cmath>

namespace {

const char *const kPatientName = "QA^Lumivex";
// Not a person's identifier: every test set files under this one pseudo patient,
// and a DICOMDIR patient record cannot be written without one.
const char *const kPatientId = "LUMIVEX-QA";
const char *const kManufacturer = "Lumivex";
const char *const kSoftwareVersion = "7.8.1.0";
const char *const kStudyDescription = "Lumivex display quality assurance";

// Collects the first failure of a row of insertions, so that one check covers them.
class Inserter
{
public:
    explicit Inserter(DcmDataset *dataset) : m_dataset(dataset) {}

    void text(const DcmTagKey &tag, const QString &value)
    {
        keep(m_dataset->putAndInsertString(tag, value.toLatin1().constData()));
    }
    void text(const DcmTagKey &tag, const char *value) { keep(m_dataset->putAndInsertString(tag, value)); }
    void number(const DcmTagKey &tag, Uint16 value) { keep(m_dataset->putAndInsertUint16(tag, value)); }
    void keep(const OFCondition &condition)
    {
        if (m_status.good())
            m_status = condition;
    }
    const OFCondition &status() const { return m_status; }

private:
    DcmDataset *m_dataset;
    OFCondition m_status = EC_Normal;
};

void insertPatientAndStudy(Inserter &insert, const DicomImageWriter::Series &series,
                           const DicomImageWriter::Moment &moment)
{
    insert.text(DCM_PatientName, kPatientName);
    insert.text(DCM_PatientID, kPatientId);
    insert.text(DCM_PatientBirthDate, "");
    insert.text(DCM_PatientSex, "");
    insert.text(DCM_StudyInstanceUID, series.studyUid);
    insert.text(DCM_StudyDate, moment.date);
    insert.text(DCM_StudyTime, moment.time);
    insert.text(DCM_ReferringPhysicianName, "");
    insert.text(DCM_StudyID, "LUMIVEX");
    insert.text(DCM_AccessionNumber, "");
    insert.text(DCM_StudyDescription, kStudyDescription);
}

void insertSeriesAndEquipment(Inserter &insert, const DicomImageWriter::Series &series,
                              const DicomImageWriter::Moment &moment)
{
    insert.text(DCM_Modality, "OT");
    insert.text(DCM_SeriesInstanceUID, series.seriesUid);
    insert.text(DCM_SeriesNumber, "1");
    insert.text(DCM_Laterality, "");
    insert.text(DCM_SeriesDescription, series.description);
    insert.text(DCM_SeriesDate, moment.date);
    insert.text(DCM_SeriesTime, moment.time);
    insert.text(DCM_Manufacturer, kManufacturer);
    insert.text(DCM_SoftwareVersions, kSoftwareVersion);
    // Drawn by the program, not captured from another image.
    insert.text(DCM_ConversionType, "SYN");
    insert.text(DCM_DateOfSecondaryCapture, moment.date);
    insert.text(DCM_TimeOfSecondaryCapture, moment.time);
}

void insertImage(Inserter &insert, const DicomImageWriter::Moment &moment, int instanceNumber, const QString &comment)
{
    insert.text(DCM_InstanceNumber, QString::number(instanceNumber));
    insert.text(DCM_PatientOrientation, "");
    insert.text(DCM_ContentDate, moment.date);
    insert.text(DCM_ContentTime, moment.time);
    insert.text(DCM_ImageComments, comment);
    insert.text(DCM_BurnedInAnnotation, "NO");
}

// The pixel module of a single grey frame, with the display chain made explicit:
// no rescaling, a window over the whole stored range and the identity as
// presentation LUT, so that the viewer's own defaults have nothing to add.
void insertPixelDescription(Inserter &insert, const QSize &size, int bitsStored, int maximum)
{
    const bool word = bitsStored > 8;
    insert.number(DCM_SamplesPerPixel, 1);
    insert.text(DCM_PhotometricInterpretation, "MONOCHROME2");
    insert.text(DCM_NumberOfFrames, "1");
    insert.number(DCM_Rows, Uint16(size.height()));
    insert.number(DCM_Columns, Uint16(size.width()));
    insert.number(DCM_BitsAllocated, word ? 16 : 8);
    insert.number(DCM_BitsStored, Uint16(bitsStored));
    insert.number(DCM_HighBit, Uint16(bitsStored - 1));
    insert.number(DCM_PixelRepresentation, 0);
    insert.text(DCM_RescaleIntercept, "0");
    insert.text(DCM_RescaleSlope, "1");
    insert.text(DCM_RescaleType, "US");
    const int levels = maximum + 1;
    insert.text(DCM_WindowCenter, QString::number(maximum / 2.0, 'f', 1));
    insert.text(DCM_WindowWidth, QString::number(levels));
    insert.text(DCM_PresentationLUTShape, "IDENTITY");
}

// Fills the file's own pixel buffer, so that a 4K frame is not copied once more.
template <typename Sample> void fillSamples(const QImage &grey, const DicomImageWriter &writer, Sample *target)
{
    Sample table[256];
    for (int level = 0; level < 256; ++level)
        table[level] = Sample(writer.storedValue(level));
    for (int row = 0; row < grey.height(); ++row) {
        const uchar *line = grey.constScanLine(row);
        for (int column = 0; column < grey.width(); ++column)
            *target++ = table[line[column]];
    }
}

OFCondition insertPixels(DcmDataset *dataset, const QImage &grey, const DicomImageWriter &writer, bool word)
{
    const Uint32 count = Uint32(grey.width()) * Uint32(grey.height());
    auto *pixels = new DcmPixelData(DcmTag(DCM_PixelData, word ? EVR_OW : EVR_OB));
    OFCondition status;
    if (word) {
        Uint16 *words = nullptr;
        status = pixels->createUint16Array(count, words);
        if (status.good())
            fillSamples(grey, writer, words);
    } else {
        // A value has an even length; an odd pixel count ends with a zero byte.
        Uint8 *bytes = nullptr;
        status = pixels->createUint8Array(count + count % 2, bytes);
        if (status.good()) {
            bytes[count + count % 2 - 1] = 0;
            fillSamples(grey, writer, bytes);
        }
    }
    if (status.good())
        status = dataset->insert(pixels, true);
    if (status.bad())
        delete pixels;
    return status;
}

QString conditionText(const OFCondition &condition)
{
    return QString::fromLatin1(condition.text());
}

} // namespace

// A depth that cannot be written has no largest value: write() refuses it, and
// shifting by it (a negative or a word's width) would be undefined.
// The images are written on several threads at once. Qt sets up its shared date
// formatting state on first use without a lock, and a thread that raced another
// there wrote an empty study date, which made the DICOMDIR fail: the moment is
// formatted here, once, by the thread that makes the writer.
DicomImageWriter::DicomImageWriter(const Series &series)
    : m_series(series), m_moment{series.created.toString(QStringLiteral("yyyyMMdd")),
                                 series.created.toString(QStringLiteral("HHmmss"))},
      m_maximum(isSupportedDepth(series.bitsStored) ? (1 << series.bitsStored) - 1 : 0)
{
}

bool DicomImageWriter::isSupportedDepth(int bitsStored)
{
    return bitsStored == 8 || bitsStored == 12;
}

int DicomImageWriter::storedValue(int grey) const
{
    return int(std::lround(grey * double(m_maximum) / 255.0));
}

QString DicomImageWriter::write(const QImage &grey, int instanceNumber, const QString &instanceUid,
                                const QString &comment, const QString &path) const
{
    if (grey.format() != QImage::Format_Grayscale8)
        return QStringLiteral("the image of %1 is not grey").arg(comment);
    if (!isSupportedDepth(m_series.bitsStored))
        return QStringLiteral("%1 bits a pixel cannot be written").arg(m_series.bitsStored);

    const bool word = m_series.bitsStored > 8;
    DcmFileFormat file;
    DcmDataset *dataset = file.getDataset();
    Inserter insert(dataset);
    insert.text(DCM_SOPClassUID, word ? UID_MultiframeGrayscaleWordSecondaryCaptureImageStorage
                                      : UID_MultiframeGrayscaleByteSecondaryCaptureImageStorage);
    insert.text(DCM_SOPInstanceUID, instanceUid);
    insertPatientAndStudy(insert, m_series, m_moment);
    insertSeriesAndEquipment(insert, m_series, m_moment);
    insertImage(insert, m_moment, instanceNumber, comment);
    insertPixelDescription(insert, grey.size(), m_series.bitsStored, m_maximum);
    insert.keep(insertPixels(dataset, grey, *this, word));
    if (insert.status().bad())
        return QStringLiteral("cannot describe %1: %2").arg(comment, conditionText(insert.status()));

    // A file that fails half-way never takes the place of the image it was to be.
    const QString partial = path + QStringLiteral(".part");
    const OFCondition saved = file.saveFile(partial.toLocal8Bit().constData(), EXS_LittleEndianExplicit);
    if (saved.bad()) {
        QFile::remove(partial);
        return QStringLiteral("cannot write %1: %2").arg(path, conditionText(saved));
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        return QStringLiteral("cannot write %1").arg(path);
    }
    return QString();
}
