#pragma once

#include <QString>
#include <QVector>

class QSettings;

// How the program calibrates displays: the "CALIBRATION" group of the
// settings file. An empty program (the path of ArgyllCMS's dispwin) means no
// calibration is offered.
struct CalibrationSettings
{
    static constexpr int defaultLevels = 33;
    // Fewer than five levels cannot show the bend of a display's response; more
    // than one per driving level measures nothing new.
    static constexpr int fewestLevels = 5;
    static constexpr int mostLevels = 256;

    QString program;
    // How many driving levels the display's response is measured at.
    int levels = defaultLevels;

    bool isConfigured() const { return !program.isEmpty(); }
    // The driving levels, evenly spread from 0 to 256 and the last clipped to
    // 255: 0, 8, ..., 248, 255 for 33 levels.
    QVector<int> drivingLevels() const;

    static bool isValidLevels(int levels);
    // A value out of range reads as its default.
    static CalibrationSettings load(QSettings &settings);
    bool save(QSettings &settings) const;
};
