#pragma once

#include <QValidator>

// Keeps a numeric answer evaluable as the number the operator meant, whatever the
// desktop's locale: digits, an optional leading sign and one decimal separator.
// A comma or a point is the separator, whichever the operator types; the answer
// is stored with a point (LocalFormats::storedReading), so "1,5" is stored as
// "1.5"; group separators, exponents, letters and spaces are refused.
class NumberAnswerValidator : public QValidator
{
    Q_OBJECT

public:
    explicit NumberAnswerValidator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};
