#pragma once

#include <QStringList>
#include <QVector>

// The grey-scale response of a display judged against the GSDF from the
// luminances of the 18 TG18-LN patterns (driving levels 0, 15, ..., 255):
// the target JND indices are spread evenly in driving level between those of
// the darkest and the brightest reading, and each of the 17 intervals compares
// its measured contrast per JND with the GSDF's over the same indices.
// The ambient luminance (measured with the display off) is added to every
// reading, so the response judged is that of L' = L + L_amb.
class LuminanceResponse
{
public:
    enum Problem
    {
        NoProblem,
        WrongCount,   // not 18 readings
        NotANumber,   // reading `problemReading` is no finite number
        NotPositive,  // reading `problemReading` is 0 or below
        OutsideGsdf,  // reading `problemReading` lies outside 0.05 to 3993.4 cd/m2
        NotIncreasing,    // reading `problemReading` is not above the one before
        AmbientNotANumber // the ambient luminance to add is no number
    };

    static constexpr int readingCount = 18;
    static constexpr int levelStep = 15;
    // AAPM TG18's limits for primary and secondary displays.
    static constexpr double primaryLimit = 0.10;
    static constexpr double secondaryLimit = 0.20;

    // The readings as typed or stored (read as AnswerNumber reads them), in cd/m2,
    // darkest pattern first.
    static LuminanceResponse analyse(const QStringList &readings, double ambientLuminance = 0.0);

    bool isValid() const { return problem == NoProblem; }
    // Whether every interval's deviation lies within +/- the limit.
    bool isWithin(double limit) const { return isValid() && largestDeviation <= limit; }
    static int drivingLevel(int reading) { return reading * levelStep; }

    Problem problem = WrongCount;
    int problemReading = -1;           // from 0; the number of readings given for WrongCount
    QVector<double> luminances;        // 18
    QVector<double> targetIndices;     // 18
    QVector<double> targetLuminances;  // 18
    QVector<double> measuredContrasts; // 17, per target JND step
    QVector<double> targetContrasts;   // 17, the GSDF's over the same steps
    QVector<double> deviations;        // 17, (measured - target) / target
    double largestDeviation = 0.0;     // the largest absolute deviation
};
