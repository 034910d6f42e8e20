#include "displayrecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

QString DisplayRecord::key(const QVariantMap &display)
{
    const QStringList parts{display.value(QStringLiteral("maker")).toString().trimmed(),
                            display.value(QStringLiteral("model")).toString().trimmed(),
                            display.value(QStringLiteral("serial")).toString().trimmed()};
    if (parts.join(QString()).isEmpty())
        return {};
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(parts)).toJson(QJsonDocument::Compact));
}

QVariantMap DisplayRecord::identity() const
{
    return {{QStringLiteral("maker"), maker}, {QStringLiteral("model"), model}, {QStringLiteral("serial"), serial}};
}

QString DisplayRecord::description() const
{
    QString text = QStringList{maker, model}.join(QLatin1Char(' ')).trimmed();
    if (!serial.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("(SN %1)").arg(serial);
    return text;
}
