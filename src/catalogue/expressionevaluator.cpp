#include "expressionevaluator.h"

#include "answernumber.h"

#include <QScopedPointer>
#include <QScriptEngine>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QtMath>

namespace {

using Result = ExpressionEvaluator::Result;

// How often, in milliseconds, a running script lets its thread look at its
// timer; the engine checks this even inside loops with empty bodies.
constexpr int EventPollIntervalMs = 10;

const QString FunctionName = QStringLiteral("__lumivexExpression");

struct BudgetState
{
    QSet<QString> timedOut;
    qint64 remainingMs = ExpressionEvaluator::Budget::TotalTimeLimitMs;
};

BudgetState *currentBudget = nullptr;

struct Program
{
    QString text;
    bool badAnswer = false;
    bool unanswered = false;
};

Program substitute(const QString &expression, const ExpressionEvaluator::ValueMap &values)
{
    Program program{expression};
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString placeholder = QLatin1Char('#') + it.key() + QLatin1Char('#');
        if (!program.text.contains(placeholder))
            continue;
        const QString number = ExpressionEvaluator::scriptNumber(it.value());
        if (number.isEmpty() && !it.value().trimmed().isEmpty()) {
            program.badAnswer = true;
            continue;
        }
        program.unanswered |= number.isEmpty();
        program.text.replace(placeholder, number);
    }
    program.unanswered |= program.text.contains(QLatin1Char('#'));
    return program;
}

Result evaluateInThisThread(const QString &program, int timeLimitMs)
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
    if (aborted)
        return {ExpressionEvaluator::TimedOut, {}};
    if (engine.hasUncaughtException() || !function.isFunction())
        return {ExpressionEvaluator::Failed, {}};
    // The function runs through evaluate() rather than call(): only evaluate()
    // can be aborted cleanly when the function never returns.
    engine.globalObject().setProperty(FunctionName, function);
    const QScriptValue result = engine.evaluate(FunctionName + QStringLiteral("()"));
    if (aborted)
        return {ExpressionEvaluator::TimedOut, {}};
    if (engine.hasUncaughtException())
        return {ExpressionEvaluator::Failed, {}};
    return {ExpressionEvaluator::Evaluated, result.toVariant()};
}

// The time limit needs a thread with an event loop of its own: the engine
// processes the events of the thread it runs in, and doing that on the
// caller's thread would run unrelated GUI events in the middle of a judgement.
// A thread that cannot start leaves the result failed.
Result run(const QString &program, int timeLimitMs)
{
    Result result;
    QScopedPointer<QThread> worker(
        QThread::create([&result, &program, timeLimitMs] { result = evaluateInThisThread(program, timeLimitMs); }));
    worker->start();
    worker->wait();
    return result;
}

Result runWithinBudget(const QString &expression, const QString &program, int timeLimitMs)
{
    if (!currentBudget)
        return run(program, timeLimitMs);
    if (currentBudget->timedOut.contains(expression))
        return {ExpressionEvaluator::TimedOut, {}};
    const int limitMs =
        int(qBound<qint64>(ExpressionEvaluator::Budget::MinimumTimeLimitMs, currentBudget->remainingMs, timeLimitMs));
    const Result result = run(program, limitMs);
    // Only scripts that run out of time spend the budget, so a slow machine
    // never cuts short the scripts of a sound session.
    if (result.outcome == ExpressionEvaluator::TimedOut) {
        currentBudget->remainingMs -= limitMs;
        currentBudget->timedOut.insert(expression);
    }
    return result;
}

} // namespace

Result ExpressionEvaluator::evaluate(const QString &expression, const ValueMap &values, int timeLimitMs)
{
    if (expression.isEmpty())
        return {Unanswered, {}};
    const Program program = substitute(expression, values);
    if (program.badAnswer)
        return {Failed, {}};
    const Result result = runWithinBudget(expression, program.text, timeLimitMs);
    // A script broken only by a question left open keeps the open question neutral.
    if (result.outcome == Failed && program.unanswered)
        return {Unanswered, {}};
    return result;
}

QString ExpressionEvaluator::scriptNumber(const QString &answer)
{
    bool ok = false;
    const double value = AnswerNumber::read(answer, &ok);
    if (!ok)
        return {};
    const QString number = QString::number(value, 'g', 17);
    return value < 0 ? QLatin1Char('(') + number + QLatin1Char(')') : number;
}

ExpressionEvaluator::Budget::Budget() : m_outermost(!currentBudget)
{
    if (m_outermost)
        currentBudget = new BudgetState;
}

ExpressionEvaluator::Budget::~Budget()
{
    if (!m_outermost)
        return;
    delete currentBudget;
    currentBudget = nullptr;
}
