#pragma once

#include <QString>
#include <QVariantMap>

class QSqlQuery;

// How the store's parts write a record's fields into their columns.
namespace StoredFields {

// A null text would be bound as NULL, which the NOT NULL text columns refuse.
QString boundText(const QString &text);
// A field of a display, trimmed, as its key reads it.
QString fieldOf(const QVariantMap &display, const char *name);
// The record's "display": maker, model and serial.
QVariantMap displayOf(const QVariantMap &record);
// Binds :maker, :model and :serial.
void bindIdentity(QSqlQuery &query, const QVariantMap &display);

} // namespace StoredFields
