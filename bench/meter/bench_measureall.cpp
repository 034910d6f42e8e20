// "Measure all" over the uniformity fields and the TG18-LN levels with a meter
// that answers at once and no settling time: what the program itself costs per
// series, apart from the meter, the settling waits and the operator, who says at
// once that the meter is on each new field.
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "measureallrun.h"
#include "meterassist.h"
#include "meterpanel.h"
#include "savedsessionsmodel.h"
#include "test.h"
#include "testframe.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testsmanager.h"
#include "translator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

// CPU seconds of this process alone; the meter's processes are its children and not counted.
double ownCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    QTemporaryDir dir;
    const QString table = dir.filePath("readings");
    QFile file(table);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("250.5\n");
    file.close();
    qputenv("FAKE_SPOTREAD_TABLE", table.toUtf8());
    QDir::setCurrent(dir.path());
    ConfigurationManager store(dir.filePath("settings.ini"));
    {
        QSettings settings(ConfigurationManager::instance()->fileName(), QSettings::IniFormat);
        settings.setValue("METER/program", FAKE_SPOTREAD);
        settings.setValue("METER/settleMs", 0);
    }

    SavedSessionsModel model(&store);
    TestsManager catalogue;
    TestingSession session(nullptr, nullptr, &model);
    session.setGroups(catalogue.groups());
    int step = 0;
    while (session.testAt(step)->id() != QLatin1String("test_06_02_00"))
        ++step;
    session.setTestIndex(step);
    session.start(0);
    MeasureAllRun *run = session.frame()->inputDialog()->meterAssist()->run();

    QEventLoop loop;
    QObject::connect(run, &MeasureAllRun::finished, &loop, &QEventLoop::quit);
    MeterPanel *panel = session.frame()->inputDialog()->meterAssist()->panel();
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, panel, [panel] {
        if (panel->isAskingForPlacement())
            emit panel->placementConfirmed();
    });
    operatorHand.start(0);
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = ownCpuSeconds();
    run->start();
    if (run->isRunning())
        loop.exec();
    const double cpu = ownCpuSeconds() - cpuBefore;
    std::printf("bench_measureall: %d readings stored of %d; wall %.2f s (fake meter processes included), "
                "program's own CPU %.2f s (target < 2 s)\n",
                run->stored(), run->total(), wall.elapsed() / 1000.0, cpu);
    session.frame()->close();
    return run->stored() == run->total() ? 0 : 1;
}
