// The site limits file: read, checked against the built-in table and laid over
// it. Whatever the file holds, the table that comes out judges with finite,
// non-negative limits, and a refused file leaves the built-in table as it was.
#include "fuzzapplication.h"

#include "limitstable.h"

#include <QFile>

#include <cmath>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkLimit(const LimitsTable::Limit &limit)
{
    check(!limit.judged || (std::isfinite(limit.value) && limit.value >= 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    static const QString builtInVersion = LimitsTable::load(QString()).version();
    const QString path = fuzzFolder().filePath(QStringLiteral("limits.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    // Only a file its owner alone may write is read at all.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const LimitsTable table = LimitsTable::load(path);
    check(table.hasSiteFile() == table.siteProblem().isEmpty());
    if (!table.hasSiteFile())
        check(table.version() == builtInVersion);
    for (const LimitsTable::Category &category : table.categories()) {
        for (const LimitsTable::Limit *limit :
             {&category.maxLuminance, &category.luminanceRatio, &category.gsdfTolerance, &category.uniformity,
              &category.workstationDeviation, &category.periodicMonths})
            checkLimit(*limit);
        check(!category.pixelMatrix.judged || (category.pixelMatrix.width > 0 && category.pixelMatrix.height > 0));
    }
    for (const LimitsTable::RoomClass &room : table.roomClasses())
        checkLimit(room.maxIlluminance);
    return 0;
}
