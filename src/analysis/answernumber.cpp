#include "answernumber.h"

#include <QtGlobal>

double AnswerNumber::read(const QString &answer, bool *ok)
{
    QString text = answer.trimmed();
    if (!text.contains(QLatin1Char('.')) && text.count(QLatin1Char(',')) == 1)
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool isNumber = false;
    const double value = text.toDouble(&isNumber);
    *ok = isNumber && qIsFinite(value);
    return *ok ? value : 0.0;
}
