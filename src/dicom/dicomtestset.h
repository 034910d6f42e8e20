#pragma once

#include "testpattern.h"

#include <QString>
#include <QVector>

// The patterns a viewer is tested with, in the order of their series: the image
// number of a pattern is its place in this list, counted from 1. The TG18-LN
// levels come first, so that image 07 is TG18-LN level 90, as the operator reads
// it in the session's dialog.
class DicomTestSet
{
public:
    struct Entry
    {
        NSTESTPatter::TestPattern::tTestPattern pattern;
        // What the operator and the viewer's image comments call the image.
        QString name;
        // Whether the pattern has one driving level that is measured or judged.
        bool hasDrivingLevel;
    };

    static const QVector<Entry> &entries();
    // The image a step of that pattern is shown with, from 1; 0 when the set has
    // no image for it (a step without a pattern, or the demonstration photograph).
    static int imageNumber(NSTESTPatter::TestPattern::tTestPattern pattern);
    // The file of an image within the export; DICOM media allow eight capitals or digits.
    static QString fileName(int imageNumber);
    // The image number as the series lists it, two digits: "07".
    static QString numberText(int imageNumber);
};
