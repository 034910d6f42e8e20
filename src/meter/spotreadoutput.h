#pragma once

#include "meterreply.h"

#include <QByteArray>

// Reads the text that ArgyllCMS's spotread prints for one reading: the
// luminance is the Y of " Result is XYZ: X Y Z, Yxy: Y x y"; in ambient mode
// an instrument may print " Result is Y: Y, L*: L" instead. Failures, garbage
// and values no display or room can give become messages, never numbers.
class SpotreadOutput
{
public:
    static MeterReply parse(const QByteArray &output, MeterQuantity quantity);
    // The largest value taken as a reading of the quantity.
    static double largestPlausible(MeterQuantity quantity);

private:
    static MeterReply judge(double value, const QString &line, MeterQuantity quantity);
};
