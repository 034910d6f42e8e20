#include "storedfields.h"

#include <QSqlQuery>

QString StoredFields::boundText(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString StoredFields::fieldOf(const QVariantMap &display, const char *name)
{
    return boundText(display.value(QLatin1String(name)).toString().trimmed());
}

QVariantMap StoredFields::displayOf(const QVariantMap &record)
{
    return record.value(QStringLiteral("display")).toMap();
}

void StoredFields::bindIdentity(QSqlQuery &query, const QVariantMap &display)
{
    query.bindValue(QStringLiteral(":maker"), fieldOf(display, "maker"));
    query.bindValue(QStringLiteral(":model"), fieldOf(display, "model"));
    query.bindValue(QStringLiteral(":serial"), fieldOf(display, "serial"));
}
