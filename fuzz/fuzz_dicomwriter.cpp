// The DICOM writer's input sizes: the width and height of the image, the bits a
// pixel is stored with and the pattern drawn, small so that a run stays small.
// A depth the writer cannot store is refused with the reason; an image it
// writes reads back with its size and, pixel for pixel, the stored values of
// the grey levels drawn. One input in eight writes the whole set of a size.
#include "fuzzapplication.h"

#include "dicomexport.h"
#include "dicomimagewriter.h"
#include "testpattern.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkReadBack(const QString &path, const QImage &grey, const DicomImageWriter &writer, int bitsStored)
{
    DcmFileFormat file;
    check(file.loadFile(QFile::encodeName(path).constData()).good());
    DcmDataset *dataset = file.getDataset();
    Uint16 rows = 0;
    Uint16 columns = 0;
    Uint16 bits = 0;
    dataset->findAndGetUint16(DCM_Rows, rows);
    dataset->findAndGetUint16(DCM_Columns, columns);
    dataset->findAndGetUint16(DCM_BitsStored, bits);
    check(QSize(columns, rows) == grey.size() && bits == bitsStored);
    const Uint8 *bytes = nullptr;
    const Uint16 *words = nullptr;
    unsigned long count = 0;
    check(bitsStored == 8 ? dataset->findAndGetUint8Array(DCM_PixelData, bytes, &count).good()
                          : dataset->findAndGetUint16Array(DCM_PixelData, words, &count).good());
    check(count >= static_cast<unsigned long>(grey.width()) * static_cast<unsigned long>(grey.height()));
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const size_t at = size_t(y) * size_t(grey.width()) + size_t(x);
            check((bitsStored == 8 ? bytes[at] : words[at]) == writer.storedValue(grey.constScanLine(y)[x]));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    if (size < 5)
        return 0;
    const QSize imageSize(1 + data[0] % 64, 1 + data[1] % 64);
    const int bitsStored = int(int8_t(data[2]));
    const int kind = int(data[3]) % (NSTESTPatter::TestPattern::kTestPatternCount + 2) - 1;
    const bool wholeSet = data[4] % 8 == 0;

    NSTESTPatter::TestPattern pattern;
    pattern.setType(NSTESTPatter::TestPattern::tTestPattern(kind));
    const QImage grey = pattern.toImage(imageSize).convertToFormat(QImage::Format_Grayscale8);
    DicomImageWriter::Series series;
    series.studyUid = QStringLiteral("2.25.1");
    series.seriesUid = QStringLiteral("2.25.2");
    series.description = DicomExport::seriesDescription(imageSize, bitsStored);
    series.created = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
    series.bitsStored = bitsStored;
    const DicomImageWriter writer(series);
    const QString path = fuzzFolder().filePath(QStringLiteral("IMAGE"));
    QFile::remove(path);
    const QString error = writer.write(grey, 1, QStringLiteral("2.25.3"), QStringLiteral("fuzz"), path);
    check(error.isEmpty() == DicomImageWriter::isSupportedDepth(bitsStored));
    check(error.isEmpty() == QFile::exists(path));
    if (error.isEmpty())
        checkReadBack(path, grey, writer, bitsStored);

    if (wholeSet) {
        const QString folder = fuzzFolder().filePath(QStringLiteral("set"));
        const DicomExport::Result result = DicomExport::write(folder, imageSize, bitsStored);
        check(result.succeeded() == DicomImageWriter::isSupportedDepth(bitsStored));
        check(!result.succeeded() || QFile::exists(QDir(folder).filePath(QStringLiteral("DICOMDIR"))));
    }
    return 0;
}
