#pragma once

#include "testpattern.h"

#include <QString>

// What the operator is told at a step when the viewing software shows the
// patterns: which image of the exported series to open.
class ViewerInstruction
{
public:
    // "Open image 07 of the series: TG18-LN level 90"; empty for a step that shows no pattern.
    static QString text(NSTESTPatter::TestPattern::tTestPattern pattern);
};
