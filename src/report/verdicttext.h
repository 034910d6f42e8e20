#pragma once

#include "judgement.h"

#include <QString>

// How the report and the export word a verdict of the limits table: the
// quantity's name, the measured value against its limit, and why a value is
// not computable. Texts are in the translator's language.
class VerdictText
{
public:
    static QString quantity(const Judgement::Verdict &verdict);
    // The name of a quantity of the verdicts or of the measured values ("ln07").
    static QString quantityName(const QString &quantity);
    // "212.0 cd/m2, at least 250 cd/m2: failed"; a value that cannot be
    // computed says why, naming the answer by the given caption.
    static QString outcome(const Judgement::Verdict &verdict, const QString &subjectCaption);
    // The value in the quantity's unit with its decimals, "32.7 %".
    static QString value(const QString &quantity, double value);
};
