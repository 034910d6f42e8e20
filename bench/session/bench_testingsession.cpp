// How long the operator waits after pressing next when the session passes over
// the computed tests of the luminance group: the median time of nextTest from the
// last TG18-LN level (computes uniformity and the extreme luminances) and from the
// ambient luminance (computes the luminance ratio), over the shipped catalogue.

#include "configurationmanager.h"
#include "savedsessionsmodel.h"
#include "test.h"
#include "testingsession.h"
#include "testsmanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

const int Runs = 51;

int stepOf(TestingSession &session, const QString &testId)
{
    for (int index = 0; index < session.totalSteps(); ++index) {
        if (session.testAt(index)->id() == testId)
            return index;
    }
    return -1;
}

double medianNextTestMs(TestingSession &session, const QString &fromTestId)
{
    const int step = stepOf(session, fromTestId);
    QVector<double> times;
    for (int run = 0; run < Runs; ++run) {
        session.setTestIndex(step);
        session.showCurrentTest();
        QElapsedTimer timer;
        timer.start();
        session.nextTest();
        times << timer.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QTemporaryDir dir;
    ConfigurationManager store(dir.filePath(QStringLiteral("settings.ini")));
    SavedSessionsModel model(&store);
    TestsManager catalogue;
    TestingSession session(nullptr, nullptr, &model);
    session.setGroups(catalogue.groups());
    session.start(0);

    QTextStream out(stdout);
    out << "nextTest over the computed tests of group 6, median of " << Runs << " runs\n";
    out << "  past uniformity and extreme luminances: " << medianNextTestMs(session, QStringLiteral("test_06_03_17"))
        << " ms\n";
    out << "  past the luminance ratio: " << medianNextTestMs(session, QStringLiteral("test_06_06_00")) << " ms\n";
    return 0;
}
