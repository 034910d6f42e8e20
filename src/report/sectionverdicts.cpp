#include "sectionverdicts.h"

#include "test.h"
#include "testcontent.h"
#include "testsubgroup.h"

#include <QRegularExpression>

namespace {

// The answers a quantity is measured from; a constancy quantity is the same quantity compared with its reference.
QStringList inputsOf(QString quantity, const LimitsTable::Inputs &inputs)
{
    quantity.remove(QRegularExpression(QStringLiteral("^constancy/")));
    if (quantity == QLatin1String("uniformityLow"))
        return inputs.uniformityLow;
    if (quantity == QLatin1String("uniformityHigh"))
        return inputs.uniformityHigh;
    if (quantity == QLatin1String("illuminance"))
        return {inputs.illuminance};
    if (quantity == QLatin1String("maxLuminance") || quantity == QLatin1String("minLuminance") ||
        quantity == QLatin1String("luminanceRatio") || quantity == QLatin1String("gsdfDeviation"))
        return inputs.luminanceReadings;
    return {};
}

} // namespace

SectionVerdicts::SectionVerdicts(const Judgement &judgement, const LimitsTable::Inputs &inputs)
{
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.passed)
            continue;
        const QStringList ids = inputsOf(verdict.quantity, inputs);
        m_failedInputs.unite(QSet<QString>(ids.begin(), ids.end()));
        // A value that could not be computed names the answer at fault.
        if (!verdict.problemSubject.isEmpty())
            m_failedInputs.insert(verdict.problemSubject);
    }
}

bool SectionVerdicts::failed(const QList<TestSubgroup *> &subgroups, int first) const
{
    for (int i = first; i < subgroups.size(); ++i) {
        const TestSubgroup *subgroup = subgroups.at(i);
        if (i > first && !subgroup->hideTitle())
            break;
        if (subgroup->failedContentsCount() > 0 || readsFailedInput(subgroup))
            return true;
    }
    return false;
}

bool SectionVerdicts::readsFailedInput(const TestSubgroup *subgroup) const
{
    for (const Test *test : qAsConst(*subgroup->tests())) {
        for (const TestContent *content : qAsConst(*test->content())) {
            if (m_failedInputs.contains(content->id()))
                return true;
        }
    }
    return false;
}
