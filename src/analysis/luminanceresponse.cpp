#include "luminanceresponse.h"

#include "answernumber.h"
#include "gsdf.h"

#include <algorithm>
#include <cmath>

namespace {

LuminanceResponse rejected(LuminanceResponse::Problem problem, int reading)
{
    LuminanceResponse response;
    response.problem = problem;
    response.problemReading = reading;
    return response;
}

// Contrast of a step from one luminance to the next: the difference over the mean.
double contrast(double lower, double upper)
{
    return 2.0 * (upper - lower) / (upper + lower);
}

} // namespace

LuminanceResponse LuminanceResponse::analyse(const QStringList &readings, double ambientLuminance)
{
    if (readings.size() != readingCount)
        return rejected(WrongCount, readings.size());

    LuminanceResponse response;
    for (int i = 0; i < readingCount; ++i) {
        bool isNumber = false;
        const double reading = AnswerNumber::read(readings.at(i), &isNumber);
        if (!isNumber)
            return rejected(NotANumber, i);
        if (reading <= 0.0)
            return rejected(NotPositive, i);
        const double luminance = reading + ambientLuminance;
        if (!Gsdf::covers(luminance))
            return rejected(OutsideGsdf, i);
        if (i > 0 && luminance <= response.luminances.constLast())
            return rejected(NotIncreasing, i);
        response.luminances.append(luminance);
    }

    const double firstIndex = Gsdf::index(response.luminances.constFirst());
    const double step = (Gsdf::index(response.luminances.constLast()) - firstIndex) / (readingCount - 1);
    for (int i = 0; i < readingCount; ++i) {
        response.targetIndices.append(firstIndex + i * step);
        response.targetLuminances.append(Gsdf::luminance(response.targetIndices.constLast()));
    }
    for (int i = 0; i + 1 < readingCount; ++i) {
        const double measured = contrast(response.luminances.at(i), response.luminances.at(i + 1)) / step;
        const double target = contrast(response.targetLuminances.at(i), response.targetLuminances.at(i + 1)) / step;
        const double deviation = (measured - target) / target;
        response.measuredContrasts.append(measured);
        response.targetContrasts.append(target);
        response.deviations.append(deviation);
        response.largestDeviation = std::max(response.largestDeviation, std::abs(deviation));
    }
    response.problem = NoProblem;
    return response;
}
