#include "sessionlistrow.h"

#include <QDateTime>

QVariantMap SessionListRow::summary() const
{
    QVariantMap summary{
        {QStringLiteral("id"), id},
        {QStringLiteral("uuid"), uuid},
        {QStringLiteral("date"), hasDate ? QVariant(QDateTime::fromMSecsSinceEpoch(dateMsecs)) : QVariant()},
        {QStringLiteral("tester"), tester},
        {QStringLiteral("monitorselected"), monitorSelected},
        {QStringLiteral("monitorinfo"), monitorInfo},
        {QStringLiteral("ntest"), testCount},
        {QStringLiteral("nfailedtestcontents"), failedCount},
        {QStringLiteral("testtype"), testType},
        {QStringLiteral("display"), QVariantMap{{QStringLiteral("maker"), displayMaker},
                                                {QStringLiteral("model"), displayModel},
                                                {QStringLiteral("serial"), displaySerial}}}};
    if (withdrawn)
        summary.insert(QStringLiteral("withdrawal"),
                       QVariantMap{{QStringLiteral("withdrawnBy"), withdrawnBy},
                                   {QStringLiteral("withdrawnAt"),
                                    QDateTime::fromString(withdrawnAt, Qt::ISODateWithMs).toLocalTime()},
                                   {QStringLiteral("reason"), withdrawalReason}});
    return summary;
}
