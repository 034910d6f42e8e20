#include "dicomexport.h"

#include "dicomdirectory.h"
#include "dicomimagewriter.h"
#include "dicomtestset.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/oflog/oflog.h>

#include <QDir>

using NSTESTPatter::TestPattern;

namespace {

// The program's own root: 2.25 followed by a number below 2^64. As a UUID that
// number has version 0, which no UUID generator hands out, so no UID derived from
// a real UUID can meet one of ours; it is short enough for the generator's suffix
// to fit the 64 characters of a UID.
const char *const kUidRoot = "2.25.4208630995750502719";

// The level the pattern drives its measured field with, read where it is drawn:
// the middle of the field, or of the screen for a uniform field.
int drivingLevel(const TestPattern &pattern, const QImage &grey)
{
    const QVector<QRect> regions = pattern.judgedRegions(grey.size());
    const QPoint centre = regions.isEmpty() ? grey.rect().center() : regions.constFirst().center();
    return qGray(grey.pixel(centre));
}

QString commentFor(const DicomTestSet::Entry &entry, const TestPattern &pattern, const QImage &grey)
{
    if (!entry.hasDrivingLevel)
        return entry.name;
    return QStringLiteral("%1, driving level %2 of 255").arg(entry.name).arg(drivingLevel(pattern, grey));
}

} // namespace

QString DicomExport::newUid()
{
    char uid[100];
    return QString::fromLatin1(dcmGenerateUniqueIdentifier(uid, kUidRoot));
}

QString DicomExport::seriesDescription(const QSize &size, int bitsStored)
{
    return QStringLiteral("Lumivex test patterns %1 x %2, %3 bits").arg(size.width()).arg(size.height()).arg(bitsStored);
}

DicomExport::Result DicomExport::write(const QString &directory, const QSize &size, int bitsStored)
{
    Result result;
    if (!DicomImageWriter::isSupportedDepth(bitsStored)) {
        result.error = QStringLiteral("%1 bits a pixel cannot be written; choose 8 or 12").arg(bitsStored);
        return result;
    }
    // DCMTK would report each file it adds to the DICOMDIR; failures come back as conditions.
    OFLog::configure(OFLogger::WARN_LOG_LEVEL);
    if (!QDir().mkpath(directory)) {
        result.error = QStringLiteral("cannot create the folder %1").arg(directory);
        return result;
    }
    DicomImageWriter::Series series;
    series.studyUid = newUid();
    series.seriesUid = newUid();
    series.description = seriesDescription(size, bitsStored);
    series.created = QDateTime::currentDateTime();
    series.bitsStored = bitsStored;
    const DicomImageWriter writer(series);

    const QVector<DicomTestSet::Entry> &entries = DicomTestSet::entries();
    for (int index = 0; index < entries.size(); ++index) {
        const DicomTestSet::Entry &entry = entries.at(index);
        TestPattern pattern;
        pattern.setType(entry.pattern);
        const QImage drawn = pattern.toImage(size);
        if (drawn.isNull()) {
            result.error = QStringLiteral("not enough memory for a %1x%2 image").arg(size.width()).arg(size.height());
            return result;
        }
        // A colour pixel has no place in a grey image; it would be stored as some grey silently.
        if (!drawn.allGray()) {
            result.error = QStringLiteral("%1 is not a grey pattern").arg(entry.name);
            return result;
        }
        const QImage grey = drawn.convertToFormat(QImage::Format_Grayscale8);
        const int number = index + 1;
        const QString fileName = DicomTestSet::fileName(number);
        result.error = writer.write(grey, number, newUid(), commentFor(entry, pattern, grey),
                                    QDir(directory).filePath(fileName));
        if (!result.error.isEmpty())
            return result;
        result.files << fileName;
    }
    result.error = DicomDirectory::write(directory, result.files);
    return result;
}
