#include "verdicttext.h"

#include "localformats.h"
#include "testpattern.h"
#include "translator.h"

#include <QRegularExpression>

#include <cmath>

namespace {

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString baseQuantity(const QString &quantity)
{
    return quantity.startsWith(QLatin1String("constancy/")) ? QStringLiteral("deviation") : quantity;
}

// A TG18-LN reading of the measured values: "ln01" to "ln18".
bool isReading(const QString &quantity)
{
    static const QRegularExpression reading(QStringLiteral("^ln\\d\\d$"));
    return reading.match(quantity).hasMatch();
}

bool isLuminance(const QString &quantity)
{
    return quantity == QLatin1String("maxLuminance") || quantity == QLatin1String("minLuminance") ||
           quantity == QLatin1String("ambientLuminance") || isReading(quantity);
}

// "2048 x 1536 px", in the order the screen or the table gives them.
QString matrix(const QSize &size)
{
    return QStringLiteral("%1 x %2 px").arg(size.width()).arg(size.height());
}

} // namespace

QString VerdictText::quantity(const Judgement::Verdict &verdict)
{
    return quantityName(verdict.quantity);
}

QString VerdictText::quantityName(const QString &quantity)
{
    if (quantity.startsWith(QLatin1String("constancy/")))
        return translated(QStringLiteral("verdict_deviation"))
            .arg(quantityName(quantity.mid(int(qstrlen("constancy/")))));
    if (isReading(quantity))
        return translated(QStringLiteral("verdict_lnReading")).arg(quantity.mid(2));
    if (quantity == QLatin1String("uniformityLow") || quantity == QLatin1String("uniformityHigh"))
        return translated(QStringLiteral("measure_uniformityAtLevel"))
            .arg(NSTESTPatter::TestPattern::uniformityLevel(quantity == QLatin1String("uniformityLow")));
    return translated(QStringLiteral("verdict_") + quantity);
}

QString VerdictText::value(const QString &quantity, double value)
{
    const QString base = baseQuantity(quantity);
    // Dark readings and the ambient luminance need their thousandths.
    if (isLuminance(base))
        return LocalFormats::number(value, std::abs(value) < 10 ? 3 : 1) + QStringLiteral(" cd/m²");
    if (base == QLatin1String("luminanceRatio"))
        return LocalFormats::number(value, 1);
    if (base == QLatin1String("illuminance"))
        return LocalFormats::number(value, 0) + QStringLiteral(" lx");
    // A percentage that rounds to nothing shows as 0.0, never as -0.0.
    const double tenths = std::round(value * 10);
    return LocalFormats::number(tenths == 0 ? 0.0 : tenths / 10, 1) + QStringLiteral(" %");
}

QString VerdictText::outcome(const Judgement::Verdict &verdict, const QString &subjectCaption)
{
    const QString verdictWord = translated(verdict.passed ? QStringLiteral("verdict_passed")
                                                          : QStringLiteral("verdict_failed"));
    // A workstation whose displays are not all measured recently enough is not judged yet; that is no failure.
    if (!verdict.computable && verdict.comparison == Judgement::Verdict::NotJudged)
        return translated(QStringLiteral("verdict_notComputable_") + verdict.problem).arg(verdict.problemSubject);
    if (!verdict.computable) {
        return translated(QStringLiteral("verdict_notComputable_") + verdict.problem)
                   .arg(subjectCaption.isEmpty() ? verdict.problemSubject : subjectCaption) +
               QStringLiteral(": ") + verdictWord;
    }
    const QString measured =
        verdict.measuredMatrix.isValid() ? matrix(verdict.measuredMatrix) : value(verdict.quantity, verdict.measured);
    if (verdict.comparison == Judgement::Verdict::NotJudged)
        return measured + QStringLiteral(", ") + translated(QStringLiteral("verdict_notJudged"));
    if (!verdict.hasLimit) {
        return measured + QStringLiteral(", ") +
               translated(QStringLiteral("verdict_notComputable_") + verdict.problem).arg(verdict.problemSubject) +
               QStringLiteral(": ") + verdictWord;
    }
    static const char *const comparisons[] = {"verdict_atLeast", "verdict_atMost", "verdict_within", ""};
    const QString limit =
        translated(QLatin1String(comparisons[verdict.comparison]))
            .arg(verdict.limitMatrix.isValid() ? matrix(verdict.limitMatrix) : value(verdict.quantity, verdict.limit));
    return measured + QStringLiteral(", ") + limit + QStringLiteral(": ") + verdictWord;
}
