#pragma once

#include <QMetaType>
#include <QString>

// What the meter measures in one reading: the light the screen sends (in cd/m2),
// or, in its ambient mode, the light falling on the screen (in lx).
enum class MeterQuantity
{
    Luminance,
    Illuminance,
};

// The outcome of one reading. A failed reading carries the reason for the
// operator and never a value.
struct MeterReply
{
    bool ok = false;
    double value = 0;
    // The meter's own result line, kept with the answer as its evidence.
    QString resultLine;
    QString message;

    static MeterReply success(double value, const QString &resultLine)
    {
        return {true, value, resultLine, QString()};
    }
    static MeterReply failure(const QString &message) { return {false, 0, QString(), message}; }
};

Q_DECLARE_METATYPE(MeterReply)
