#include "storedrecord.h"

#include <QDateTime>
#include <QtEndian>
#include <QJsonDocument>
#include <QJsonObject>

#include <zlib.h>

#include <cmath>
#include <limits>

namespace {

const QStringList DateKeys = {QStringLiteral("date"), QStringLiteral("lastperformed")};

// The length in front is checked before anything is allocated, and inflating
// stops there, so no stored value, however damaged, takes more memory.
} // namespace

QByteArray StoredRecord::uncompress(const QByteArray &stored, bool *ok)
{
    *ok = false;
    if (stored.size() < 4)
        return {};
    const quint32 length = qFromBigEndian<quint32>(stored.constData());
    if (length == 0 || length > quint32(MaximumBytes))
        return {};
    QByteArray json(int(length), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stored.constData() + 4));
    stream.avail_in = uInt(stored.size() - 4);
    stream.next_out = reinterpret_cast<Bytef *>(json.data());
    stream.avail_out = length;
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    *ok = result == Z_STREAM_END && stream.avail_out == 0;
    return *ok ? json : QByteArray();
}

QByteArray StoredRecord::compress(const QByteArray &json)
{
    return qCompress(json);
}

namespace {

QVariantMap decoded(const QByteArray &json, bool *ok)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    *ok = error.error == QJsonParseError::NoError && document.isObject();
    if (!*ok)
        return {};
    QVariantMap record = document.object().toVariantMap();
    for (const QString &key : DateKeys) {
        if (record.contains(key))
            record.insert(key, StoredRecord::dateValue(record.value(key).toString()));
    }
    return record;
}

// Only a whole number the type can hold gets the type back; anything else
// stays as stored, for the reader to judge as damaged. JSON keeps whole
// numbers exact to 64 bits, so they are checked as integers.
template <typename Number> void restoreNumber(QVariantMap &record, const QString &key)
{
    const QVariant value = record.value(key);
    bool whole = false;
    const qlonglong number = value.toLongLong(&whole);
    if (value.type() == QVariant::Double)
        whole = whole && double(number) == value.toDouble();
    const bool fits = number < 0 ? qlonglong(std::numeric_limits<Number>::lowest()) <= number
                                 : qulonglong(number) <= qulonglong(std::numeric_limits<Number>::max());
    if (whole && fits)
        record.insert(key, QVariant::fromValue(Number(number)));
}

} // namespace

QByteArray StoredRecord::encode(const QVariantMap &record)
{
    QVariantMap stored = record;
    for (const QString &key : DateKeys) {
        if (stored.contains(key))
            stored.insert(key, dateText(stored.value(key)));
    }
    return QJsonDocument::fromVariant(stored).toJson(QJsonDocument::Compact);
}

QVariantMap StoredRecord::decodeSession(const QByteArray &json, bool *ok)
{
    QVariantMap record = decoded(json, ok);
    restoreNumber<uint>(record, QStringLiteral("ntest"));
    restoreNumber<uint>(record, QStringLiteral("nfailedtestcontents"));
    restoreNumber<int>(record, QStringLiteral("monitorselected"));
    return record;
}

QVariantMap StoredRecord::decodeTask(const QByteArray &json, bool *ok)
{
    QVariantMap record = decoded(json, ok);
    restoreNumber<qulonglong>(record, QStringLiteral("frequency"));
    if (record.contains(QStringLiteral("scheduledtestslist"))) {
        QVariantList groups;
        for (const QVariant &group : record.value(QStringLiteral("scheduledtestslist")).toList())
            groups.append(group.toUInt());
        record.insert(QStringLiteral("scheduledtestslist"), groups);
    }
    return record;
}

// A date keeps its time zone: a task date stored in UTC reads back in UTC.
QVariant StoredRecord::dateValue(const QString &isoText)
{
    const QDateTime date = QDateTime::fromString(isoText, Qt::ISODateWithMs);
    return date.isValid() ? QVariant(date) : QVariant();
}

QString StoredRecord::dateText(const QVariant &date)
{
    const QDateTime value = date.toDateTime();
    return value.isValid() ? value.toString(Qt::ISODateWithMs) : QString();
}
