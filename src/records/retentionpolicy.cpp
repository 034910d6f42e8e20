#include "retentionpolicy.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString PolicyFile = QStringLiteral(":/records/retention.json");

QByteArray policyFileBytes()
{
    QFile file(PolicyFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

const RetentionPolicy &RetentionPolicy::standard()
{
    static const RetentionPolicy policy(policyFileBytes());
    return policy;
}

RetentionPolicy::RetentionPolicy(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(json, &error).object();
    m_version = root.value(QStringLiteral("version")).toString();
    for (const QJsonValue &value : root.value(QStringLiteral("periods")).toArray()) {
        const QJsonObject object = value.toObject();
        Period period{object.value(QStringLiteral("testType")).toString(),
                      object.value(QStringLiteral("years")).toInt(-1),
                      object.value(QStringLiteral("afterNextAcceptance")).toBool(),
                      object.value(QStringLiteral("source")).toString().trimmed()};
        // Every period names its source, or it is not used.
        if (period.years < 0 || period.source.isEmpty()) {
            m_problem = QStringLiteral("a retention period needs \"years\" and a \"source\"");
            m_periods.clear();
            break;
        }
        m_periods.append(period);
    }
    if (m_periods.isEmpty() && m_problem.isEmpty())
        m_problem = error.error != QJsonParseError::NoError ? error.errorString()
                                                            : QStringLiteral("the file names no retention periods");
    if (!m_problem.isEmpty())
        qWarning().noquote() << "[RetentionPolicy] Every record is kept:" << m_problem;
}

QString RetentionPolicy::version() const
{
    return m_version;
}

QString RetentionPolicy::problem() const
{
    return m_problem;
}

const RetentionPolicy::Period *RetentionPolicy::periodFor(const QString &testType) const
{
    const Period *fallback = nullptr;
    for (const Period &period : m_periods) {
        if (period.testType == testType)
            return &period;
        if (period.testType.isEmpty())
            fallback = &period;
    }
    return fallback;
}

QDate RetentionPolicy::keptUntil(const QString &testType, const QDate &tested, const QDate &nextAcceptance) const
{
    const Period *period = periodFor(testType);
    if (!period || !tested.isValid())
        return {};
    const QDate from = period->afterNextAcceptance ? nextAcceptance : tested;
    return from.isValid() ? from.addYears(period->years) : QDate();
}

bool RetentionPolicy::mustKeep(const QString &testType, const QDate &tested, const QDate &nextAcceptance,
                               const QDate &today) const
{
    const QDate until = keptUntil(testType, tested, nextAcceptance);
    return !until.isValid() || today <= until;
}
