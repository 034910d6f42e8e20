#include "answeredsession.h"

#include "answeredcatalogue.h"
#include "testgroup.h"
#include "testsmanager.h"

#include <QJsonDocument>

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

QVariantMap oneGroupRecord(const QString &testsJson, const QDateTime &date, int failedContents)
{
    return record(
        fromJson(QStringLiteral(R"({"1": {"report": "Checks", "subgroups": {"1": {"report": "Part", "tests": %1}}}})")
                     .arg(testsJson)),
        date, failedContents);
}

QVariant fromJson(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("broken JSON fixture: %s", qPrintable(error.errorString()));
    return document.toVariant();
}

QString levelTests(const QStringList &readings)
{
    QStringList tests;
    for (int level = 0; level < readings.size(); ++level) {
        tests << QStringLiteral(
                     R"({"pattern": "kTestPatternTG18LN%1", "content": [{"id": "content0101%2",)"
                     R"( "caption": "Level%1", "type": "text", "hidefromreport": true, "resulttext": "%3"}]})")
                     .arg(level + 1, 2, 10, QLatin1Char('0'))
                     .arg(QStringLiteral("%1").arg(level, 2, 10, QLatin1Char('0')) + QStringLiteral("00"))
                     .arg(readings.at(level));
    }
    return tests.join(QLatin1Char(','));
}

} // namespace AnsweredSession
