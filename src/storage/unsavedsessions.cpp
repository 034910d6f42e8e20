#include "unsavedsessions.h"

#include "storedrecord.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString UuidKey = QStringLiteral("uuid");
const QString RecordKey = QStringLiteral("record");

} // namespace

QString UnsavedSessions::fileNameBeside(const QString &databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("Lumivex unsaved sessions.json"));
}

UnsavedSessions::UnsavedSessions(const QString &path) : m_path(path) {}

QString UnsavedSessions::fileName() const
{
    return m_path;
}

const QList<UnsavedSessions::Entry> &UnsavedSessions::entries() const
{
    return m_entries;
}

bool UnsavedSessions::isEmpty() const
{
    return m_entries.isEmpty();
}

QString UnsavedSessions::errorString() const
{
    return m_error;
}

bool UnsavedSessions::load()
{
    m_entries.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (file.size() > qint64(StoredRecord::MaximumBytes) * 4 || !file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read ") + m_path;
        return false;
    }
    const QJsonArray kept = QJsonDocument::fromJson(file.readAll()).array();
    bool whole = true;
    for (const QJsonValue &value : kept) {
        const QJsonObject object = value.toObject();
        bool ok = false;
        const QByteArray json = QJsonDocument(object.value(RecordKey).toObject()).toJson(QJsonDocument::Compact);
        const Entry entry{object.value(UuidKey).toString(), StoredRecord::decodeSession(json, &ok)};
        if (ok && !entry.uuid.isEmpty() && !entry.record.isEmpty())
            m_entries.append(entry);
        else
            whole = false;
    }
    if (!whole)
        m_error = QStringLiteral("some of the kept sessions in %1 cannot be read").arg(m_path);
    return whole;
}

bool UnsavedSessions::keep(const Entry &entry)
{
    m_entries.append(entry);
    return write(m_path);
}

bool UnsavedSessions::forget(const QString &uuid)
{
    const auto kept =
        std::remove_if(m_entries.begin(), m_entries.end(), [&uuid](const Entry &entry) { return entry.uuid == uuid; });
    m_entries.erase(kept, m_entries.end());
    if (!m_entries.isEmpty())
        return write(m_path);
    if (QFile::exists(m_path) && !QFile::remove(m_path)) {
        m_error = QStringLiteral("cannot remove ") + m_path;
        return false;
    }
    return true;
}

bool UnsavedSessions::exportTo(const QString &path) const
{
    return write(path);
}

bool UnsavedSessions::write(const QString &path) const
{
    QJsonArray kept;
    for (const Entry &entry : m_entries) {
        kept.append(QJsonObject{{UuidKey, entry.uuid},
                                {RecordKey, QJsonDocument::fromJson(StoredRecord::encode(entry.record)).object()}});
    }
    const QByteArray bytes = QJsonDocument(kept).toJson(QJsonDocument::Indented);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        qWarning().noquote() << "[UnsavedSessions]" << m_error;
        return false;
    }
    return true;
}
