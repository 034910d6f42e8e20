#include "answeredsession.h"

#include "answeredcatalogue.h"
#include "referencevalues.h"
#include "testconfig.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QFile>
#include <QJsonDocument>

namespace AnsweredSession {

QVariantMap record(const QVariant &testSession, int failedContents, const QDateTime &date)
{
    return {{"tester", "Dana Weber"},
            {"date", date},
            {"test_session", testSession},
            {"ntest", 42},
            {"nfailedtestcontents", failedContents},
            {"monitorselected", 1},
            {"monitorinfo", "EIZO RadiForce RX660 (3280 x 2048)"}};
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

QVariantMap judgedRecord(const AnsweredCatalogue::Measurements &monitor, const QString &testType,
                         const Judgement::Context &context, const LimitsTable &limits, const QVariantMap &typedOver)
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, monitor);
    for (TestContent *content : AnsweredCatalogue::contents(groups)) {
        if (typedOver.contains(content->id()))
            content->setResultText(typedOver.value(content->id()).toString());
    }
    const int failed = int(AnsweredCatalogue::judge(groups));
    QMap<QString, QString> answers;
    QVariantMap testSession;
    for (const TestGroup *group : groups)
        testSession.insert(QString::number(group->number()), group->toVariantMap());
    for (const TestContent *content : AnsweredCatalogue::contents(groups)) {
        if (!content->id().isEmpty())
            answers.insert(content->id(), content->resultText());
    }
    const Judgement judgement = Judgement::judge(answers, context, limits);
    QVariantMap judged = record(testSession, failed + judgement.failedCount(), sessionDate);
    judged.insert("testtype", testType);
    judged.insert("display", QVariantMap{{"maker", "EIZO"}, {"model", "RX660"}, {"serial", "42"},
                                         {"category", context.category}, {"roomClass", context.roomClass}});
    judged.insert("judgement", judgement.toMap());
    // As a session keeps them.
    judged.insert("measured", ReferenceValues::measured(answers, judgement.verdicts, limits));
    return judged;
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
    file.open(QIODevice::ReadOnly);
    const QVariantMap fixtures = QJsonDocument::fromJson(file.readAll()).toVariant().toMap();
    if (!fixtures.contains(name))
        qFatal("no session fixture \"%s\"", qPrintable(name));
    return fixtures.value(name);
}

QVariantList levelTests(const QStringList &readings)
{
    QVariantList tests;
    for (int level = 0; level < readings.size(); ++level) {
        const QString number = QStringLiteral("%1").arg(level + 1, 2, 10, QLatin1Char('0'));
        tests << QVariantMap{{"pattern", "kTestPatternTG18LN" + number},
                             {"content", QVariantList{QVariantMap{{"id", "content0102" + number + "00"},
                                                                  {"caption", "content_test_06_03_00_00"},
                                                                  {"type", "text"},
                                                                  {"hidefromreport", true},
                                                                  {"resulttext", readings.at(level)}}}}};
    }
    return tests;
}

} // namespace AnsweredSession
