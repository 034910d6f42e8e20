#pragma once

#include <QString>
#include <QVariantMap>

// What shows that a report belongs to its record: SHA-256 over the session's
// uuid and its stored record in a canonical form (compact JSON with sorted
// keys, as the store keeps it), as 64 lower-case hex digits. Any change of the
// stored record, however small, gives another fingerprint.
namespace RecordFingerprint {

// The key a record carries its session's uuid under on the way to a report;
// it is not part of the stored record.
const QString UuidKey = QStringLiteral("uuid");

QString of(const QString &uuid, const QVariantMap &record);
// The first 16 digits, for places too small for the whole.
QString shortForm(const QString &fingerprint);

} // namespace RecordFingerprint
