#include "calibrationsettings.h"

#include "storedsetting.h"

#include <QSettings>

#include <cmath>

namespace {

const QString Group = QStringLiteral("CALIBRATION");
const QString ProgramKey = QStringLiteral("program");
const QString LevelsKey = QStringLiteral("levels");

const int LevelSpan = 256;
const int HighestLevel = 255;

} // namespace

QVector<int> CalibrationSettings::drivingLevels() const
{
    QVector<int> result;
    for (int i = 0; i < levels; ++i) {
        const int level = std::min(HighestLevel, int(std::lround(double(i) * LevelSpan / (levels - 1))));
        // Near 256 levels two may round to the same one, which is measured once.
        if (result.isEmpty() || level > result.constLast())
            result << level;
    }
    return result;
}

bool CalibrationSettings::isValidLevels(int levels)
{
    return levels >= fewestLevels && levels <= mostLevels;
}

CalibrationSettings CalibrationSettings::load(QSettings &settings)
{
    CalibrationSettings calibration;
    settings.beginGroup(Group);
    calibration.program = settings.value(ProgramKey).toString().trimmed();
    calibration.levels = StoredSetting::integer(settings, LevelsKey, defaultLevels, &isValidLevels);
    settings.endGroup();
    return calibration;
}

bool CalibrationSettings::save(QSettings &settings) const
{
    settings.beginGroup(Group);
    settings.setValue(ProgramKey, program.trimmed());
    settings.setValue(LevelsKey, levels);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
