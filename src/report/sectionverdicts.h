#pragma once

#include "judgement.h"
#include "limitstable.h"

#include <QList>
#include <QSet>
#include <QString>

class TestSubgroup;

// Whether a section of the report failed. A section is a subgroup with its heading and the subgroups without a
// heading printed below it; it failed when any of its contents failed or when a verdict of the limits table on a
// quantity measured by its contents failed, so its icon never contradicts the "Limits and verdicts" block.
class SectionVerdicts
{
public:
    SectionVerdicts() = default;
    SectionVerdicts(const Judgement &judgement, const LimitsTable::Inputs &inputs);

    // The section whose heading is that of subgroups[first].
    bool failed(const QList<TestSubgroup *> &subgroups, int first) const;

private:
    bool readsFailedInput(const TestSubgroup *subgroup) const;

    QSet<QString> m_failedInputs;
};
