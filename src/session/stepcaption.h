#pragma once

#include <QString>

class Test;

namespace NSTESTPatter {
class TestPattern;
}

// The words that tell the operator where they are in the session and, on a
// luminance step, what to measure.
class StepCaption
{
public:
    // "Step 12 of 66 · 16 % · Luminance" (the group's title); the step counts from 0.
    static QString progress(uint step, uint totalSteps, const Test *test);
    // "TG18-LN 7 of 18 (driving level 90)" or "Field 3 of 9, top right, driving
    // level 204"; empty for a pattern with no measured field.
    static QString measurement(const NSTESTPatter::TestPattern &pattern);
};
