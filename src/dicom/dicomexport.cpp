#include "dicomexport.h"

#include "dicomdirectory.h"
#include "dicomimagewriter.h"
#include "dicomtestset.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/oflog/oflog.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using NSTESTPatter::TestPattern;

namespace {

// The program's own root: 2.25 followed by a number below 2^64. As a UUID that
// number has version 0, which no UUID generator hands out, so no UID derived from
// a real UUID can meet one of ours; it is short enough for the generator's suffix
// to fit the 64 characters of a UID.
const char *const kUidRoot = "2.25.4208630995750502719";
// Each worker holds a frame in three forms (drawn, grey, stored): about 60 MB at 4K.
const int kMaximumWorkers = 4;

// The level the pattern drives its measured field with; a uniform field names
// none, and is that level all over.
int drivingLevel(const TestPattern &pattern, const QImage &grey)
{
    const int level = pattern.measuredLevel();
    return level >= 0 ? level : qGray(grey.pixel(grey.rect().center()));
}

QString commentFor(const DicomTestSet::Entry &entry, const TestPattern &pattern, const QImage &grey)
{
    if (!entry.hasDrivingLevel)
        return entry.name;
    return QStringLiteral("%1, driving level %2 of 255").arg(entry.name).arg(drivingLevel(pattern, grey));
}

QString writeImage(const DicomImageWriter &writer, int index, const QString &instanceUid, const QString &directory,
                   const QSize &size)
{
    const DicomTestSet::Entry &entry = DicomTestSet::entries().at(index);
    TestPattern pattern;
    pattern.setType(entry.pattern);
    const QImage drawn = pattern.toImage(size);
    if (drawn.isNull())
        return QStringLiteral("not enough memory for a %1x%2 image").arg(size.width()).arg(size.height());
    // A colour pixel has no place in a grey image; it would be stored as some grey silently.
    if (!drawn.allGray())
        return QStringLiteral("%1 is not a grey pattern").arg(entry.name);
    const QImage grey = drawn.convertToFormat(QImage::Format_Grayscale8);
    const int number = index + 1;
    return writer.write(grey, number, instanceUid, commentFor(entry, pattern, grey),
                        QDir(directory).filePath(DicomTestSet::fileName(number)));
}

} // namespace

QString DicomExport::newUid()
{
    char uid[100];
    return QString::fromLatin1(dcmGenerateUniqueIdentifier(uid, kUidRoot));
}

QString DicomExport::seriesDescription(const QSize &size, int bitsStored)
{
    return QStringLiteral("Lumivex test patterns %1 x %2, %3 bits")
        .arg(size.width())
        .arg(size.height())
        .arg(bitsStored);
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

    // A DICOMDIR of an earlier export would list a mix of old and new images
    // should this one stop half-way.
    const QString dicomDir = QDir(directory).filePath(QStringLiteral("DICOMDIR"));
    if (QFile::exists(dicomDir) && !QFile::remove(dicomDir)) {
        result.error = QStringLiteral("cannot replace %1").arg(dicomDir);
        return result;
    }
    const int count = DicomTestSet::entries().size();
    QStringList instanceUids;
    for (int index = 0; index < count; ++index)
        instanceUids << newUid();
    // Each image is drawn and written on its own; the cores share the set.
    QVector<QString> errors(count);
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int index = next++; index < count; index = next++)
            errors[index] = writeImage(writer, index, instanceUids.at(index), directory, size);
    };
    std::vector<std::thread> workers;
    for (int worker = 1; worker < qBound(1, QThread::idealThreadCount(), kMaximumWorkers); ++worker)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
    for (int index = 0; index < count; ++index) {
        if (!errors.at(index).isEmpty()) {
            result.error = errors.at(index);
            return result;
        }
        result.files << DicomTestSet::fileName(index + 1);
    }
    result.error = DicomDirectory::write(directory, result.files);
    return result;
}
