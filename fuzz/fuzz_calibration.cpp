// The calibration reads no .cal file back: it writes them for dispwin. What it
// reads from outside is the "CALIBRATION" group of the settings file (the
// number of driving levels to measure) and the meter's readings at those
// levels and of the ambient light. The input is the settings text, a line
// "--", the ambient luminance and one reading a line. A table computed from
// any of them has 256 outputs that never fall, within the driving levels, and
// its .cal file holds as many sets; readings it cannot use give no table.
#include "fuzzapplication.h"

#include "calfile.h"
#include "calibrationsettings.h"
#include "gsdflookuptable.h"

#include <QFile>
#include <QSettings>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int separator = input.indexOf("\n--\n");
    const QString path = fuzzFolder().filePath(QStringLiteral("settings.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(separator < 0 ? input : input.left(separator));
    file.close();
    QSettings settings(path, QSettings::IniFormat);
    const CalibrationSettings calibration = CalibrationSettings::load(settings);
    check(CalibrationSettings::isValidLevels(calibration.levels));
    const QVector<int> levels = calibration.drivingLevels();
    check(levels.size() >= 2 && levels.constFirst() == 0 && levels.constLast() == GsdfLookupTable::highestLevel);
    if (separator < 0)
        return 0;

    const QList<QByteArray> lines = input.mid(separator + 4).split('\n');
    const double ambient = lines.value(0).trimmed().toDouble();
    QVector<double> readings;
    for (int i = 1; i < lines.size(); ++i)
        readings << lines.at(i).trimmed().toDouble();
    const GsdfLookupTable table = GsdfLookupTable::compute(levels, readings, ambient);
    if (!table.isValid()) {
        check(table.outputs.isEmpty());
        return 0;
    }
    check(table.outputs.size() == GsdfLookupTable::size);
    check(std::is_sorted(table.outputs.cbegin(), table.outputs.cend()));
    check(table.outputs.constFirst() >= 0 && table.outputs.constLast() <= GsdfLookupTable::highestLevel);
    const QByteArray text = CalFile::text(table.outputs, QStringLiteral("GSDF \"fuzz\""), QDateTime());
    check(text.contains("NUMBER_OF_SETS 256\n") && text.endsWith("END_DATA\n"));
    return 0;
}
