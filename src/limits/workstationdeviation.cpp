#include "workstationdeviation.h"

#include <algorithm>

namespace {

const QString Quantity = QStringLiteral("workstationDeviation");

Judgement::Verdict notJudged(const QString &problem, const QString &subject, const QString &source)
{
    Judgement::Verdict verdict;
    verdict.quantity = Quantity;
    verdict.comparison = Judgement::Verdict::NotJudged;
    verdict.problem = problem;
    verdict.problemSubject = subject;
    verdict.source = source;
    verdict.passed = true;
    return verdict;
}

} // namespace

std::optional<Judgement::Verdict> WorkstationDeviation::judge(const QList<Member> &members, const QDate &today,
                                                              const LimitsTable &table)
{
    if (members.size() < 2)
        return std::nullopt;
    const LimitsTable::Limit age = table.workstationReadingMonths();
    const QDate oldestCounted = age.judged ? today.addMonths(-int(age.value)) : QDate();
    const LimitsTable::Limit *strictest = nullptr;
    for (const Member &member : members) {
        if (!member.hasMaxLuminance || (oldestCounted.isValid() && member.measuredOn < oldestCounted))
            return notJudged(QStringLiteral("noRecentMaxLuminance"), member.display, age.source);
        const LimitsTable::Category *category = table.category(member.category);
        if (!category) {
            Judgement::Verdict verdict;
            verdict.quantity = Quantity;
            verdict.problem = QStringLiteral("noCategory");
            verdict.problemSubject = member.category;
            return verdict;
        }
        const LimitsTable::Limit &limit = category->workstationDeviation;
        if (limit.judged && (!strictest || limit.value < strictest->value))
            strictest = &limit;
    }
    const auto [smallest, largest] =
        std::minmax_element(members.cbegin(), members.cend(), [](const Member &left, const Member &right) {
            return left.maxLuminance < right.maxLuminance;
        });
    Judgement::Verdict verdict;
    verdict.quantity = Quantity;
    verdict.computable = true;
    verdict.measured =
        200 * (largest->maxLuminance - smallest->maxLuminance) / (largest->maxLuminance + smallest->maxLuminance);
    if (!strictest) {
        verdict.comparison = Judgement::Verdict::NotJudged;
        verdict.source = table.category(members.constFirst().category)->workstationDeviation.source;
        verdict.passed = true;
        return verdict;
    }
    verdict.comparison = Judgement::Verdict::AtMost;
    verdict.hasLimit = true;
    verdict.limit = strictest->value;
    verdict.source = strictest->source;
    verdict.passed = verdict.measured <= verdict.limit;
    return verdict;
}

WorkstationDeviation::Member WorkstationDeviation::tested(const QString &display, const QString &category,
                                                          const Judgement &judgement, const QDate &today)
{
    Member member{display, category, false, 0.0, today};
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.quantity == QLatin1String("maxLuminance") && verdict.computable) {
            member.hasMaxLuminance = true;
            member.maxLuminance = verdict.measured;
        }
    }
    return member;
}
