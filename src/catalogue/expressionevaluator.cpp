#include "expressionevaluator.h"

#include <QRegularExpression>
#include <QScopedPointer>
#include <QScriptEngine>
#include <QThread>
#include <QTimer>

namespace {

// How often, in milliseconds, a running script lets its thread look at its
// timer; the engine checks this even inside loops with empty bodies.
constexpr int EventPollIntervalMs = 10;

const QString FunctionName = QStringLiteral("__lumivexExpression");

QVariant evaluateInThisThread(const QString &program, int timeLimitMs)
{
    QScriptEngine engine;
    engine.setProcessEventsInterval(EventPollIntervalMs);
    bool aborted = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&engine, &aborted] {
        aborted = true;
        engine.abortEvaluation();
    });
    limit.start(timeLimitMs);

    const QScriptValue function = engine.evaluate(program, QString(), 1);
    if (aborted || engine.hasUncaughtException() || !function.isFunction())
        return {};
    // The function runs through evaluate() rather than call(): only evaluate()
    // can be aborted cleanly when the function never returns.
    engine.globalObject().setProperty(FunctionName, function);
    const QScriptValue result = engine.evaluate(FunctionName + QStringLiteral("()"));
    if (aborted || engine.hasUncaughtException())
        return {};
    return result.toVariant();
}

} // namespace

QVariant ExpressionEvaluator::evaluate(const QString &expression, const ValueMap &values, int timeLimitMs)
{
    if (expression.isEmpty())
        return {};
    const QString program = substitute(expression, values);
    if (program.isEmpty())
        return {};
    return run(program, timeLimitMs);
}

QString ExpressionEvaluator::substitute(const QString &expression, const ValueMap &values)
{
    QString program = expression;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString placeholder = QLatin1Char('#') + it.key() + QLatin1Char('#');
        if (!program.contains(placeholder))
            continue;
        if (!it.value().isEmpty() && !isPlainNumber(it.value()))
            return {};
        program.replace(placeholder, it.value());
    }
    return program;
}

bool ExpressionEvaluator::isPlainNumber(const QString &value)
{
    static const QRegularExpression number(QStringLiteral("\\A[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?\\z"));
    return number.match(value).hasMatch();
}

QVariant ExpressionEvaluator::run(const QString &program, int timeLimitMs)
{
    // The time limit needs a thread with an event loop of its own: the engine
    // processes the events of the thread it runs in, and doing that on the
    // caller's thread would run unrelated GUI events in the middle of a judgement.
    QVariant result;
    QScopedPointer<QThread> worker(
        QThread::create([&result, &program, timeLimitMs] { result = evaluateInThisThread(program, timeLimitMs); }));
    worker->start();
    worker->wait();
    return result;
}
