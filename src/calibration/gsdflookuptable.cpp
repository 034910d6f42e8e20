#include "gsdflookuptable.h"

#include "gsdf.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

GsdfLookupTable rejected(GsdfLookupTable::Problem problem, int reading)
{
    GsdfLookupTable table;
    table.problem = problem;
    table.problemReading = reading;
    return table;
}

// The driving level at which the monotone response reaches the target, in log
// luminance between the two measured levels around it. The first level that
// reaches the target wins, so a flat stretch (a display that clips) is never
// entered beyond its start.
double levelFor(double target, const QVector<int> &levels, const QVector<double> &response)
{
    target = std::clamp(target, response.constFirst(), response.constLast());
    if (target <= response.constFirst())
        return levels.constFirst();
    for (int k = 0; k + 1 < response.size(); ++k) {
        if (response.at(k + 1) < target)
            continue;
        // response[k] < target <= response[k + 1]: the span rises.
        const double share = std::log(target / response.at(k)) / std::log(response.at(k + 1) / response.at(k));
        return levels.at(k) + share * (levels.at(k + 1) - levels.at(k));
    }
    return levels.constLast();
}

} // namespace

GsdfLookupTable GsdfLookupTable::compute(const QVector<int> &levels, const QVector<double> &readings,
                                         double ambientLuminance)
{
    if (levels.size() < 2 || readings.size() != levels.size())
        return rejected(WrongCount, readings.size());
    if (!std::isfinite(ambientLuminance) || ambientLuminance < 0.0)
        return rejected(AmbientNotANumber, -1);

    GsdfLookupTable table;
    for (int i = 0; i < readings.size(); ++i) {
        if (!std::isfinite(readings.at(i)))
            return rejected(NotANumber, i);
        const double luminance = readings.at(i) + ambientLuminance;
        if (!Gsdf::covers(luminance))
            return rejected(OutsideGsdf, i);
        table.response << (i == 0 ? luminance : std::max(luminance, table.response.constLast()));
    }
    table.minLuminance = table.response.constFirst();
    table.maxLuminance = table.response.constLast();
    if (table.maxLuminance <= table.minLuminance)
        return rejected(NoRise, readings.size() - 1);

    const double firstIndex = Gsdf::index(table.minLuminance);
    const double step = (Gsdf::index(table.maxLuminance) - firstIndex) / highestLevel;
    for (int input = 0; input < size; ++input) {
        const double target = Gsdf::luminance(firstIndex + input * step);
        const int output = std::clamp(int(std::lround(levelFor(target, levels, table.response))), 0, highestLevel);
        table.targetLuminances << target;
        table.outputs << (input == 0 ? output : std::max(output, table.outputs.constLast()));
    }
    table.problem = NoProblem;
    return table;
}

int GsdfLookupTable::distinctOutputs() const
{
    return QSet<int>(outputs.cbegin(), outputs.cend()).size();
}

QVector<int> GsdfLookupTable::unusedTopLevels() const
{
    QVector<int> unused;
    for (int level = outputs.isEmpty() ? 0 : outputs.constLast() + 1; level <= highestLevel; ++level)
        unused << level;
    return unused;
}
