#pragma once

#include <QString>

// Reads a typed or stored answer as the number it means, the one way every rule,
// analysis and verdict of the program reads it: blanks around it, a leading "+",
// an exponent, and a decimal comma when it is the only separator ("19,5" is 19.5).
// Group separators are not guessed at: "1.234,5" is no number.
class AnswerNumber
{
public:
    // The number, or false in *ok (and 0) when the answer is empty or no finite number.
    static double read(const QString &answer, bool *ok);
};
