#include "comparisontext.h"

#include "localformats.h"
#include "translator.h"
#include "verdicttext.h"

#include <algorithm>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

QString notComputable(const ReferenceValues::Row &row)
{
    if (!row.hasReference)
        return translated("comparison_referenceNotANumber");
    if (!row.hasMeasured)
        return translated("comparison_notMeasured");
    return translated("comparison_referenceNotPositive");
}

} // namespace

QList<ComparisonText::Line> ComparisonText::lines(const QVariantMap &record)
{
    const QVariantMap reference = record.value(QStringLiteral("reference")).toMap();
    if (reference.isEmpty())
        return {};
    return lines(ReferenceValues::values(reference), record.value(QStringLiteral("measured")).toMap(),
                 Judgement::fromMap(record.value(QStringLiteral("judgement")).toMap()));
}

QList<ComparisonText::Line> ComparisonText::lines(const QVariantMap &reference, const QVariantMap &measured,
                                                  const Judgement &judgement)
{
    QList<Line> lines;
    for (const ReferenceValues::Row &row : ReferenceValues::compare(reference, measured)) {
        Line line;
        line.row = row;
        line.quantity = VerdictText::quantityName(row.quantity);
        line.reference = row.hasReference ? VerdictText::value(row.quantity, row.reference)
                                          : translated("comparison_noNumber");
        line.measured = row.hasMeasured ? VerdictText::value(row.quantity, row.measured)
                                        : translated("comparison_noNumber");
        line.deviation = row.hasDeviation ? VerdictText::value(QStringLiteral("constancy/") + row.quantity, row.deviation)
                                          : notComputable(row);
        const QString verdictName = QStringLiteral("constancy/") + row.quantity;
        const auto verdict = std::find_if(judgement.verdicts.cbegin(), judgement.verdicts.cend(),
                                          [&](const Judgement::Verdict &v) { return v.quantity == verdictName; });
        if (verdict != judgement.verdicts.cend()) {
            line.passed = verdict->passed;
            const QString limit = verdict->hasLimit ? translated("verdict_within")
                                                          .arg(VerdictText::value(verdictName, verdict->limit)) +
                                                          QStringLiteral(": ")
                                                    : QString();
            line.verdict = limit + translated(verdict->passed ? "verdict_passed" : "verdict_failed");
        } else {
            // A deviation that cannot be computed is never a pass, judged or not.
            line.passed = row.hasDeviation;
        }
        lines << line;
    }
    return lines;
}

QString ComparisonText::Line::text() const
{
    const QString values = translated("comparison_row").arg(reference, measured, deviation);
    return verdict.isEmpty() ? values : values + QStringLiteral("; ") + verdict;
}

QString ComparisonText::heading(const QVariantMap &reference)
{
    const QString session = reference.value(QStringLiteral("session")).toString();
    const QDate date = QDate::fromString(reference.value(QStringLiteral("date")).toString(), Qt::ISODate);
    return translated("comparison_title")
        .arg(date.isValid() ? LocalFormats::date(date) : translated("comparison_noDate"),
             session.isEmpty() ? translated("comparison_noSession") : session);
}
