#pragma once

#include <QVector>

// The look-up table that makes a display follow the GSDF: for each of the 256
// input levels the driving level whose measured luminance is the GSDF's at
// that input. The targets are the GSDF at JND indices spread evenly between
// those of L'min and L'max (L' = L + L_amb, as the judgement sees them). Each
// target is found on the measured response by interpolation in log luminance
// between neighbouring measured levels, on the response made monotone (each
// reading at least the one below), so the table never falls. An 8-bit card
// maps several inputs to one driving level: those levels are lost.
class GsdfLookupTable
{
public:
    enum Problem
    {
        NoProblem,
        WrongCount,        // fewer than two readings, or not one per driving level
        NotANumber,        // reading `problemReading` is no finite number
        OutsideGsdf,       // L' of reading `problemReading` lies outside 0.05 to 3993.4 cd/m2
        NoRise,            // the display gets no brighter from its lowest to its highest level
        AmbientNotANumber, // the ambient luminance is no finite number or below 0
    };

    static constexpr int size = 256;
    static constexpr int highestLevel = size - 1;

    // The driving levels measured, increasing from 0, their readings in cd/m2
    // (without the ambient luminance) and the ambient luminance.
    static GsdfLookupTable compute(const QVector<int> &levels, const QVector<double> &readings,
                                   double ambientLuminance);

    bool isValid() const { return problem == NoProblem; }
    int distinctOutputs() const;
    // The driving levels above the table's highest output: the display shows no
    // more light there, so the calibration never uses them. Empty when 255 is used.
    QVector<int> unusedTopLevels() const;
    // Inputs that share their output with the input below.
    int lostInputs() const { return size - distinctOutputs(); }

    Problem problem = WrongCount;
    int problemReading = -1;
    QVector<int> outputs;             // 256 driving levels, one per input level
    QVector<double> targetLuminances; // 256, L' in cd/m2
    QVector<double> response;         // the measured L', made monotone
    double minLuminance = 0.0;        // L'min
    double maxLuminance = 0.0;        // L'max
};
