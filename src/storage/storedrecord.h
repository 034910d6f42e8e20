#pragma once

#include <QByteArray>
#include <QVariantMap>

// Session and task records as the database keeps them: compact JSON,
// compressed with zlib behind its length (the layout of qCompress). JSON has
// no date and no unsigned type, so reading gives the fields the program reads
// by type (dates, counts, the task's frequency and test list) their stored
// types back; a record therefore reads as it was written.
namespace StoredRecord {

// The largest record the store reads back, as JSON: far above a fully
// answered catalogue with long notes, far below what would exhaust memory.
constexpr int MaximumBytes = 16 * 1024 * 1024;

// The record as compact JSON, and back.
QByteArray encode(const QVariantMap &record);
// An empty map, and *ok false, when the bytes are not a JSON object.
QVariantMap decodeSession(const QByteArray &json, bool *ok);
QVariantMap decodeTask(const QByteArray &json, bool *ok);

// JSON as the database keeps it, and back; an empty text, and *ok false,
// when the stored bytes are damaged or would give more than MaximumBytes.
QByteArray compress(const QByteArray &json);
QByteArray uncompress(const QByteArray &stored, bool *ok);

QVariant dateValue(const QString &isoText);
QString dateText(const QVariant &date);

} // namespace StoredRecord
