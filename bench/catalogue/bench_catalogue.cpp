#include "answeredcatalogue.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

double medianMs(int runs, const std::function<void()> &prepare, const std::function<void()> &measured)
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void report(const char *what, double ms, double targetMs)
{
    QTextStream(stdout) << QStringLiteral("catalogue: %1 %2 ms (target < %3 ms)\n")
                               .arg(QLatin1String(what))
                               .arg(ms, 0, 'f', 3)
                               .arg(targetMs);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    constexpr int Runs = 21;

    const double load = medianMs(
        Runs, [] {}, [] { TestsManager manager; });
    report("load the shipped catalogue", load, 20);

    const QString join = QStringLiteral("(function(){return (200 * (#content05050000# - #content05050001#)/"
                                        "(#content05050000# + #content05050001#));})");
    const TestContent::ValueMap values{{QStringLiteral("content05050000"), QStringLiteral("9.31")},
                                       {QStringLiteral("content05050001"), QStringLiteral("7.96")}};
    const double evaluation = medianMs(
        Runs, [] {}, [&] { TestContent::evaluateExpression(join, values); });
    report("evaluate one expression", evaluation, 2);

    QScopedPointer<TestsManager> manager;
    unsigned failures = 0;
    const double judgement = medianMs(
        Runs,
        [&] {
            manager.reset(new TestsManager);
            AnsweredCatalogue::fill(*manager->groups(), AnsweredCatalogue::brightMonitor());
        },
        [&] { failures = AnsweredCatalogue::judge(*manager->groups()); });
    report("judge a fully answered catalogue", judgement, 100);
    return failures == 0 ? 0 : 1;
}
