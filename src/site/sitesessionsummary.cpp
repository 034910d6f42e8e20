#include "sitesessionsummary.h"

#include <QVariantList>

namespace {

const QString MakerContentId = QStringLiteral("content02010000");
const QString ModelContentId = QStringLiteral("content02010001");
const QString SerialContentId = QStringLiteral("content02010003");

// The answer stored for a content anywhere in a session's serialised groups.
QString answerOf(const QVariant &node, const QString &contentId)
{
    if (node.type() == QVariant::Map) {
        const QVariantMap map = node.toMap();
        if (map.value(QStringLiteral("id")).toString() == contentId)
            return map.value(QStringLiteral("resulttext")).toString();
        for (const QVariant &child : map) {
            const QString answer = answerOf(child, contentId);
            if (!answer.isEmpty())
                return answer;
        }
    } else if (node.type() == QVariant::List) {
        const QVariantList list = node.toList();
        for (const QVariant &child : list) {
            const QString answer = answerOf(child, contentId);
            if (!answer.isEmpty())
                return answer;
        }
    }
    return QString();
}

} // namespace

SiteSessionSummary SiteSessionSummary::fromRecord(const QVariantMap &record)
{
    SiteSessionSummary summary;
    summary.storedAt = record.value(QStringLiteral("date")).toDateTime();
    summary.tester = record.value(QStringLiteral("tester")).toString();
    summary.testType = record.value(QStringLiteral("testtype")).toString();
    summary.testCount = record.value(QStringLiteral("ntest")).toInt();
    summary.failedCount = record.value(QStringLiteral("nfailedtestcontents")).toInt();
    const QVariantMap display = record.value(QStringLiteral("display")).toMap();
    if (!display.isEmpty()) {
        summary.displayMaker = display.value(QStringLiteral("maker")).toString();
        summary.displayModel = display.value(QStringLiteral("model")).toString();
        summary.displaySerial = display.value(QStringLiteral("serial")).toString();
    } else {
        const QVariant groups = record.value(QStringLiteral("test_session"));
        summary.displayMaker = answerOf(groups, MakerContentId);
        summary.displayModel = answerOf(groups, ModelContentId);
        summary.displaySerial = answerOf(groups, SerialContentId);
    }
    return summary;
}

QVariantMap SiteSessionSummary::withdrawal() const
{
    if (!withdrawnAt.isValid())
        return {};
    return {{QStringLiteral("withdrawnBy"), withdrawnBy},
            {QStringLiteral("withdrawnAt"), withdrawnAt},
            {QStringLiteral("reason"), withdrawalReason}};
}
