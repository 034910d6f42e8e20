#include "legacyimport.h"

#include "legacysettingsfile.h"
#include "sessiondatabase.h"
#include "storedrecord.h"
#include "storefiles.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStorageInfo>
#include <QUuid>

namespace {

const QString ImportedName = QStringLiteral("before-database");
// Imported sessions are named after their place and content in the settings
// file, so an import that runs again finds them stored already instead of
// adding them twice.
const QUuid ImportNamespace = QUuid(QStringLiteral("{6f1d64c2-3b1e-4c55-9a55-2b8f4d6f0e21}"));
// Pages SQLite writes besides the records themselves: the tables' and
// indexes' pages in the database and again in its journal, and the
// journal's index. Generous for a workstation's few tables.
const qint64 DatabaseHeadroomBytes = 128 * 1024;

// The database keeps task ids unique; the settings file did not. A task whose
// id is missing or taken by an earlier one gets an id from its place in the list.
QVariantMap withUniqueId(QVariantMap task, int position, QSet<QString> *seen)
{
    QString id = task.value(QStringLiteral("id")).toString();
    if (id.isEmpty() || seen->contains(id))
        id = QStringLiteral("imported-%1").arg(position);
    seen->insert(id);
    task.insert(QStringLiteral("id"), id);
    return task;
}

QByteArray contentHash(const QVariantMap &record)
{
    return QCryptographicHash::hash(StoredRecord::encode(record), QCryptographicHash::Sha256);
}

// The records of one list an import handed to the database, by key, with the
// hash of their content, to be read back once the transaction is committed.
struct Handed
{
    int before = 0;
    int added = 0;
    int present = 0;
    QHash<QString, QByteArray> hashes;

    void take(const QString &key, const QVariantMap &record, bool isNew, bool checkContent)
    {
        ++(isNew ? added : present);
        if (checkContent)
            hashes.insert(key, contentHash(record));
    }
    bool complete(int read, int stored) const { return added + present == read && stored == before + added; }
};

bool holdsSessions(const SessionDatabase &database, const QHash<QString, QByteArray> &hashes)
{
    for (auto it = hashes.cbegin(); it != hashes.cend(); ++it) {
        const qint64 id = database.sessionId(it.key());
        if (id == 0 || contentHash(database.sessionRecord(id)) != it.value())
            return false;
    }
    return true;
}

bool holdsTasks(const SessionDatabase &database, const QHash<QString, QByteArray> &hashes)
{
    QHash<QString, QByteArray> stored;
    for (const QVariant &task : database.tasks())
        stored.insert(task.toMap().value(QStringLiteral("id")).toString(), contentHash(task.toMap()));
    for (auto it = hashes.cbegin(); it != hashes.cend(); ++it) {
        if (stored.value(it.key()) != it.value())
            return false;
    }
    return true;
}

} // namespace

LegacyImport::LegacyImport(const QString &settingsFile, SessionDatabase *database, const QString &unavailable)
    : m_path(settingsFile), m_database(database), m_unavailable(unavailable)
{
}

qint64 LegacyImport::requiredBytes(qint64 settingsFileBytes)
{
    return 3 * settingsFileBytes + DatabaseHeadroomBytes;
}

LegacyImport::Outcome LegacyImport::stop(Outcome outcome, const QString &failure) const
{
    outcome.failure = failure;
    qWarning().noquote() << "[LegacyImport] The sessions and tasks of" << m_path
                         << "were not moved into the database; the file is left as it was:" << failure;
    return outcome;
}

LegacyImport::Outcome LegacyImport::run()
{
    Outcome outcome;
    const LegacySettingsFile legacy(m_path);
    const LegacySettingsFile::Result found =
        legacy.read([](LegacySettingsFile::List, int, const QVariantMap &) { return true; });
    if (!found.holdsLists)
        return outcome;
    outcome.pending = true;
    outcome.locale = found.locale;
    if (!m_unavailable.isEmpty() || !m_database)
        return stop(outcome, QStringLiteral("the database cannot be used: ") + m_unavailable);
    if (!enoughSpace(&outcome))
        return outcome;
    const QString backup = StoreFiles::asideName(m_path, ImportedName);
    if (!StoreFiles::copyVerified(m_path, backup))
        return stop(outcome, QStringLiteral("the settings file cannot be copied to ") + backup);
    QByteArray rest;
    if (!store(&outcome, &rest) || !rewriteWithout(rest, &outcome)) {
        QFile::remove(backup);
        return outcome;
    }
    outcome.pending = false;
    outcome.backup = backup;
    qInfo().noquote() << "[LegacyImport] Moved" << outcome.sessions << "sessions and" << outcome.tasks << "tasks into"
                      << m_database->fileName() << "- the settings file as it was is kept as" << backup;
    if (outcome.skipped > 0)
        qWarning().noquote() << "[LegacyImport]" << outcome.skipped
                             << "stored records could not be read and were skipped; they remain in" << backup;
    return outcome;
}

QStringList LegacyImport::backupsOf(const QString &settingsFile)
{
    const QFileInfo settings(settingsFile);
    // The time in each name sorts them from the oldest.
    QStringList backups = settings.absoluteDir().entryList(
        {settings.fileName() + QLatin1Char('.') + ImportedName + QStringLiteral("-*")}, QDir::Files, QDir::Name);
    for (QString &backup : backups)
        backup = settings.absoluteDir().filePath(backup);
    return backups;
}

bool LegacyImport::enoughSpace(Outcome *outcome) const
{
    const QFileInfo file(m_path);
    const QStorageInfo volume(file.absolutePath());
    const qint64 required = requiredBytes(file.size());
    if (volume.isValid() && volume.bytesAvailable() >= required)
        return true;
    *outcome = stop(*outcome, QStringLiteral("%1 bytes are free in %2, the import needs %3")
                                  .arg(volume.bytesAvailable())
                                  .arg(file.absolutePath())
                                  .arg(required));
    return false;
}

// All records in one transaction; once it is committed, every record is
// read back from the database and compared with what the file held.
bool LegacyImport::store(Outcome *outcome, QByteArray *rest)
{
    SessionDatabase &database = *m_database;
    Handed sessions{database.count(QStringLiteral("sessions"))};
    Handed tasks{database.count(QStringLiteral("tasks"))};
    QSet<QString> taskIds;
    LegacySettingsFile::Result result;
    bool storeFailed = false;
    QBuffer restBuffer(rest);
    restBuffer.open(QIODevice::WriteOnly);

    const auto take = [&](LegacySettingsFile::List list, int position, const QVariantMap &record) {
        bool added = false;
        if (list == LegacySettingsFile::Tasks) {
            const QVariantMap task = withUniqueId(record, position, &taskIds);
            storeFailed = !database.insertTask(task, &added);
            // A task stored by an earlier run may have been changed since.
            tasks.take(task.value(QStringLiteral("id")).toString(), task, added, added);
        } else {
            const QByteArray name = QByteArray::number(position) + ' ' + StoredRecord::encode(record);
            const QString uuid = QUuid::createUuidV5(ImportNamespace, name).toString(QUuid::WithoutBraces);
            qint64 id = 0;
            storeFailed = !database.insertSession(record, uuid, &id);
            sessions.take(uuid, record, id != 0, true);
        }
        return !storeFailed;
    };
    const LegacySettingsFile legacy(m_path);
    if (!database.transact([&] {
            result = legacy.read(take, &restBuffer);
            return result.holdsLists && result.readable && !storeFailed;
        })) {
        *outcome = stop(*outcome, result.readable || storeFailed
                                      ? database.errorString()
                                      : QStringLiteral("the settings file cannot be read to its end"));
        return false;
    }
    if (!sessions.complete(result.sessions, database.count(QStringLiteral("sessions"))) ||
        !tasks.complete(result.tasks, database.count(QStringLiteral("tasks"))) ||
        !holdsSessions(database, sessions.hashes) || !holdsTasks(database, tasks.hashes)) {
        *outcome = stop(*outcome, QStringLiteral("the database does not hold every record that was read"));
        return false;
    }
    outcome->sessions = sessions.added;
    outcome->tasks = tasks.added;
    outcome->skipped = result.damaged;
    return true;
}

// Atomic: the old file is replaced only by a complete new one.
bool LegacyImport::rewriteWithout(const QByteArray &rest, Outcome *outcome) const
{
    QSaveFile rewritten(m_path);
    if (!rewritten.open(QIODevice::WriteOnly) || rewritten.write(rest) != rest.size() || !rewritten.commit()) {
        *outcome = stop(*outcome, QStringLiteral("the sessions and tasks are stored in the database, but the settings "
                                                 "file cannot be rewritten without them: ") +
                                      rewritten.errorString());
        return false;
    }
    StoreFiles::restrictToOwner(m_path);
    return true;
}
