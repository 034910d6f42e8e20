#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

// Runs the small script functions of the catalogue ("(function(){return ...;})")
// with the "#id#" placeholders replaced by the answers of those contents.
//
// What reaches the script engine for a placeholder is never the operator's text:
// - an empty or blank answer leaves nothing in its place;
// - an answer that reads as a finite number (blanks around it, a leading "+",
//   leading zeros, an exponent, a decimal comma when it is the only separator)
//   becomes that number written by QString::number(value, 'g', 17), in
//   parentheses when negative;
// - any other answer is not substituted, and the expression fails.
// Placeholders without a value stay as they are.
class ExpressionEvaluator
{
public:
    using ValueMap = QMap<QString, QString>;

    enum Outcome
    {
        Evaluated,  // the function ran; value holds its result
        Unanswered, // empty expression, or an empty or missing answer broke the script
        Failed,     // an answer was not a number, or the engine could not run or threw
        TimedOut,
    };

    struct Result
    {
        Outcome outcome = Failed;
        QVariant value;
        bool failed() const { return outcome == Failed || outcome == TimedOut; }
    };

    // An evaluation that runs longer is aborted and fails.
    static constexpr int DefaultTimeLimitMs = 1000;

    static Result evaluate(const QString &expression, const ValueMap &values, int timeLimitMs = DefaultTimeLimitMs);

    // The number an answer means, as it is written into the script; empty when
    // the answer is not a finite number.
    static QString scriptNumber(const QString &answer);

    // Held for one judgement or one report: an expression that ran out of time
    // fails at once when asked again, and once time-outs have used up
    // TotalTimeLimitMs every further script gets only MinimumTimeLimitMs, so a
    // stored session full of endless scripts cannot stall it.
    class Budget
    {
    public:
        static constexpr int TotalTimeLimitMs = 1000;
        static constexpr int MinimumTimeLimitMs = 10;

        Budget();
        ~Budget();

    private:
        Q_DISABLE_COPY(Budget)
        bool m_outermost;
    };
};
