#include "numberanswervalidator.h"

#include <QRegularExpression>

NumberAnswerValidator::NumberAnswerValidator(QObject *parent) : QValidator(parent) {}

QValidator::State NumberAnswerValidator::validate(QString &input, int &) const
{
    static const QRegularExpression numberSoFar(QStringLiteral("^[+-]?[0-9]*\\.?[0-9]*$"));
    static const QRegularExpression hasDigit(QStringLiteral("[0-9]"));
    // The comma stays as typed, so that a German or Italian reading reads back
    // in its own notation; it becomes a point when the answer is stored.
    QString asTyped = input;
    asTyped.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!numberSoFar.match(asTyped).hasMatch())
        return Invalid;
    // An empty answer is left to the required rule; a lone sign or point is not a number yet.
    if (input.isEmpty() || input.contains(hasDigit))
        return Acceptable;
    return Intermediate;
}
