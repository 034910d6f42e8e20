#include "recordfingerprint.h"

#include "storedrecord.h"

#include <QCryptographicHash>

namespace {

// Names the canonical form, so that a later form can never give an equal fingerprint.
const QByteArray FormName = QByteArrayLiteral("lumivex-record-1");
const int ShortDigits = 16;

} // namespace

QString RecordFingerprint::of(const QString &uuid, const QVariantMap &record)
{
    QVariantMap stored = record;
    stored.remove(UuidKey);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(FormName + '\n' + uuid.toUtf8() + '\n');
    hash.addData(StoredRecord::encode(stored));
    return QString::fromLatin1(hash.result().toHex());
}

QString RecordFingerprint::shortForm(const QString &fingerprint)
{
    return fingerprint.left(ShortDigits);
}
