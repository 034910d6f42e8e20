#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

// Runs the small script functions of the catalogue ("(function(){return ...;})")
// with the "#id#" placeholders replaced by the answers of those contents.
class ExpressionEvaluator
{
public:
    using ValueMap = QMap<QString, QString>;

    // An evaluation that runs longer is aborted and yields nothing.
    static constexpr int DefaultTimeLimitMs = 1000;

    // The function's result, or an invalid variant when the expression is empty,
    // does not evaluate to a function, fails, runs out of time, or would receive
    // an answer that is not a plain number.
    static QVariant evaluate(const QString &expression, const ValueMap &values, int timeLimitMs = DefaultTimeLimitMs);

    // Replaces each "#id#" by the value of id. Empty when a value that the
    // expression names is neither empty nor a plain decimal number, because
    // any other text would become script code.
    static QString substitute(const QString &expression, const ValueMap &values);
    static bool isPlainNumber(const QString &value);

private:
    static QVariant run(const QString &program, int timeLimitMs);
};
