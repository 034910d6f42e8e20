#include "answeredsession.h"

#include "answeredcatalogue.h"
#include "testconfig.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QFile>
#include <QJsonDocument>

namespace AnsweredSession {

QVariantMap record(const QVariant &testSession, int failedContents, const QDateTime &date)
{
    return {
        {QStringLiteral("tester"), QStringLiteral("Dana Weber")},
        {QStringLiteral("date"), date},
        {QStringLiteral("test_session"), testSession},
        {QStringLiteral("ntest"), 42},
        {QStringLiteral("nfailedtestcontents"), failedContents},
        {QStringLiteral("monitorselected"), 1},
        {QStringLiteral("monitorinfo"), QStringLiteral("EIZO RadiForce RX660 (3280 x 2048)")},
    };
}

QVariantMap fullRecord(const QDateTime &date, bool dimMonitor)
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, dimMonitor ? AnsweredCatalogue::dimMonitor() : AnsweredCatalogue::brightMonitor());
    const int failed = int(AnsweredCatalogue::judge(groups));
    QVariantMap testSession;
    for (const TestGroup *group : groups)
        testSession.insert(QString::number(group->number()), group->toVariantMap());
    return record(testSession, failed, date);
}

QVariantMap oneGroupRecord(const QVariant &tests, int failedContents, const QDateTime &date)
{
    const QVariantMap subgroup{{QStringLiteral("report"), QStringLiteral("Part")}, {QStringLiteral("tests"), tests}};
    const QVariantMap group{{QStringLiteral("report"), QStringLiteral("Checks")},
                            {QStringLiteral("subgroups"), QVariantMap{{QStringLiteral("1"), subgroup}}}};
    return record(QVariantMap{{QStringLiteral("1"), group}}, failedContents, date);
}

QVariant fixture(const QString &name)
{
    QFile file(QStringLiteral(LUMIVEX_TEST_DATA_DIR "/report/sessions.json"));
    const QVariantMap fixtures =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).toVariant().toMap() : QVariantMap();
    if (!fixtures.contains(name))
        qFatal("no session fixture \"%s\"", qPrintable(name));
    return fixtures.value(name);
}

QVariantList levelTests(const QStringList &readings)
{
    QVariantList tests;
    for (int level = 0; level < readings.size(); ++level) {
        const QString number = QStringLiteral("%1").arg(level + 1, 2, 10, QLatin1Char('0'));
        const QVariantMap content{{QStringLiteral("id"), QStringLiteral("content0102") + number + QStringLiteral("00")},
                                  {QStringLiteral("caption"), QStringLiteral("content_test_06_03_00_00")},
                                  {QStringLiteral("type"), QStringLiteral("text")},
                                  {QStringLiteral("hidefromreport"), true},
                                  {QStringLiteral("resulttext"), readings.at(level)}};
        tests << QVariantMap{{QStringLiteral("pattern"), QStringLiteral("kTestPatternTG18LN") + number},
                             {QStringLiteral("content"), QVariantList{content}}};
    }
    return tests;
}

} // namespace AnsweredSession
