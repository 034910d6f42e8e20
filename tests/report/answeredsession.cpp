#include "answeredsession.h"

#include "answeredcatalogue.h"
#include "testgroup.h"
#include "testsmanager.h"

namespace AnsweredSession {

QVariantMap fullRecord(const QDateTime &date, bool dimMonitor)
{
    TestsManager catalogue;
    const QList<TestGroup *> groups = *catalogue.groups();
    AnsweredCatalogue::fill(groups, dimMonitor ? AnsweredCatalogue::dimMonitor() : AnsweredCatalogue::brightMonitor());
    const unsigned failed = AnsweredCatalogue::judge(groups);
    QVariantMap testSession;
    for (const TestGroup *group : groups)
        testSession.insert(QString::number(group->number()), group->toVariantMap());
    return record(testSession, date, int(failed));
}

QVariantMap record(const QVariant &testSession, const QDateTime &date, int failedContents)
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

} // namespace AnsweredSession
