#include "numberanswervalidator.h"

#include <QRegularExpression>

NumberAnswerValidator::NumberAnswerValidator(QObject *parent) : QValidator(parent) {}

QValidator::State NumberAnswerValidator::validate(QString &input, int &) const
{
    static const QRegularExpression numberSoFar(QStringLiteral("^[+-]?[0-9]*\\.?[0-9]*$"));
    static const QRegularExpression hasDigit(QStringLiteral("[0-9]"));
    input.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!numberSoFar.match(input).hasMatch())
        return Invalid;
    // An empty answer is left to the required rule; a lone sign or point is not a number yet.
    if (input.isEmpty() || input.contains(hasDigit))
        return Acceptable;
    return Intermediate;
}
