#pragma once

// The Grayscale Standard Display Function of DICOM PS3.14: the luminance a
// display should show at each just-noticeable-difference (JND) index, and back.
class Gsdf
{
public:
    static constexpr double minimumIndex = 1.0;
    static constexpr double maximumIndex = 1023.0;
    // The table's ends, 0.0500 and 3993.4 cd/m2, with the rounding of their last
    // digit: the formula itself gives 0.04998 at index 1.
    static constexpr double minimumLuminance = 0.04995;
    static constexpr double maximumLuminance = 3993.45;

    // Whether the GSDF reaches the luminance: a reading outside cannot be judged against it.
    static bool covers(double luminance) { return luminance >= minimumLuminance && luminance <= maximumLuminance; }
    // Luminance in cd/m2 at a JND index of 1 to 1023; -1 outside that range.
    static double luminance(double index);
    // JND index of a luminance of 0.05 to 3993.4 cd/m2; -1 outside that range.
    static double index(double luminance);
};
