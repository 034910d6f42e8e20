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

DisplayRecord DisplayRecord::fromIdentity(const QVariantMap &display)
{
    DisplayRecord record;
    record.maker = display.value(QStringLiteral("maker")).toString().trimmed();
    record.model = display.value(QStringLiteral("model")).toString().trimmed();
    record.serial = display.value(QStringLiteral("serial")).toString().trimmed();
    return record;
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
