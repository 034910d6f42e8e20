#include "configurationmanager.h"

#include "legacysettingsfile.h"
#include "sessiondatabase.h"
#include "storedrecord.h"
#include "storefiles.h"
#include "testsmanager.h"
#include "translator.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QUuid>

#include <sys/stat.h>

namespace {

const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
// QSettings files any group named "general", in whatever case, under
// "[%General]" and reads it back as "General". Keys are case-insensitive on
// Windows only, so here the group must be spelled the way it reads back, or
// a restart would not find the stored language.
const QString VersionKey = QStringLiteral("General/version");
const QString LocaleKey = QStringLiteral("General/locale_selected");
const QString ProgramVersion = QStringLiteral("7.8.1.0");
const QString DamagedName = QStringLiteral("damaged");
const QString ImportedName = QStringLiteral("before-database");
// Imported sessions are named after their place and content in the settings
// file, so an import that runs again (its settings file could not be
// rewritten) finds them stored already instead of adding them twice.
const QUuid ImportNamespace = QUuid(QStringLiteral("{6f1d64c2-3b1e-4c55-9a55-2b8f4d6f0e21}"));

// QSettings replaces the file with a new one on every successful save and
// reports a failed one only through a status that never clears, so a save
// is judged by whether the file on disk is a different file afterwards.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const FileIdentity &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode &&
               modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
    }
};

FileIdentity identityOf(const QString &path)
{
    FileIdentity identity;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        identity.exists = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
        identity.modifiedSeconds = info.st_mtim.tv_sec;
        identity.modifiedNanoseconds = info.st_mtim.tv_nsec;
    }
    return identity;
}

// QSettings writes every control character escaped, so a raw NUL byte means
// the file is not one that QSettings wrote, whatever its parser made of it.
bool containsNulByte(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        if (file.read(1 << 16).contains('\0'))
            return true;
    }
    return false;
}

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

// The records of one list an import handed to the database: added, or found
// stored by an earlier run of the same import.
struct ImportCounts
{
    int before = 0;
    int added = 0;
    int present = 0;

    void take(bool isNew) { ++(isNew ? added : present); }
    bool complete(int read, int stored) const { return added + present == read && stored == before + added; }
};

} // namespace

ConfigurationManager *ConfigurationManager::instance()
{
    static ConfigurationManager *const manager = new ConfigurationManager(SettingsFileName);
    return manager;
}

ConfigurationManager::ConfigurationManager(const QString &fileName, QObject *parent)
    : QObject(parent), m_fileName(QFileInfo(fileName).absoluteFilePath()),
      m_database(std::make_unique<SessionDatabase>(QFileInfo(m_fileName).absoluteDir().filePath(
          SessionDatabase::defaultFileName())))
{
    initialise();
}

ConfigurationManager::~ConfigurationManager()
{
    delete m_settings;
}

QString ConfigurationManager::fileName() const
{
    return m_fileName;
}

QString ConfigurationManager::databaseFileName() const
{
    return m_database->fileName();
}

SessionDatabase *ConfigurationManager::database() const
{
    return m_database.get();
}

const ConfigurationManager::StartReport &ConfigurationManager::startReport() const
{
    return m_startReport;
}

void ConfigurationManager::initialise()
{
    if (QFileInfo::exists(m_fileName))
        StoreFiles::restrictToOwner(m_fileName);
    openDatabase();
    // QSettings reads the whole file at every start, so the sessions must
    // have left it before it is opened.
    if (m_startReport.unavailable.isEmpty())
        importLegacyRecords();
    else
        qWarning().noquote() << "[ConfigurationManager] Sessions and tasks cannot be saved:"
                             << m_startReport.unavailable;
    m_settings = new QSettings(m_fileName, QSettings::IniFormat);

    // Writing converts the whole file back to text; a file that is already
    // complete and sound is left as it is.
    const bool existed = QFileInfo::exists(fileName());
    bool changed = !existed;
    if (existed && isDamaged()) {
        backUpDamagedFile();
        changed = true;
    }
    if (m_settings->value(VersionKey).toString() != ProgramVersion) {
        m_settings->setValue(VersionKey, ProgramVersion);
        changed = true;
    }
    if (!existed || !m_settings->contains(LocaleKey)) {
        m_settings->setValue(LocaleKey, TR::Translator::instance()->preferredLocale());
        changed = true;
    }
    if (changed && m_startReport.importFailed.isEmpty())
        save();
}

// A database that cannot be written (a read-only folder, say) is still read,
// so the operator sees the stored sessions; every write then says why it failed.
void ConfigurationManager::openDatabase()
{
    if (m_database->open()) {
        m_startReport.damagedCopy = m_database->damagedCopy();
        return;
    }
    m_startReport.unavailable = m_database->errorString();
    m_startReport.damagedCopy = m_database->damagedCopy();
    m_database = std::make_unique<SessionDatabase>(m_database->fileName(), SessionDatabase::ReadOnly);
    m_database->open();
}

// All records in one transaction; only when every one that could be read is
// stored, and the old file is kept whole beside the new, does the settings
// file lose its lists. A failure leaves both files as they were.
void ConfigurationManager::importLegacyRecords()
{
    const LegacySettingsFile legacy(m_fileName);
    const auto stopAtFirstRecord = [](LegacySettingsFile::List, int, const QVariantMap &) { return false; };
    if (!legacy.read(stopAtFirstRecord).holdsLists)
        return;
    QSaveFile rewritten(m_fileName);
    const bool rewriting = rewritten.open(QIODevice::WriteOnly);
    const QString backup = StoreFiles::asideName(m_fileName, ImportedName);
    SessionDatabase &database = *m_database;
    ImportCounts sessions{database.count(QStringLiteral("sessions"))};
    ImportCounts tasks{database.count(QStringLiteral("tasks"))};
    QSet<QString> taskIds;
    LegacySettingsFile::Result result;
    bool storeFailed = false;
    QString failure;

    const auto store = [&](LegacySettingsFile::List list, int position, const QVariantMap &record) {
        bool added = false;
        if (list == LegacySettingsFile::Tasks) {
            storeFailed = !database.insertTask(withUniqueId(record, position, &taskIds), &added);
            tasks.take(added);
        } else {
            const QByteArray name = QByteArray::number(position) + ' ' + StoredRecord::encode(record);
            qint64 id = 0;
            storeFailed = !database.insertSession(
                record, QUuid::createUuidV5(ImportNamespace, name).toString(QUuid::WithoutBraces), &id);
            sessions.take(id != 0);
        }
        return !storeFailed;
    };
    const bool imported = database.transact([&] {
        result = legacy.read(store, rewriting ? &rewritten : nullptr);
        if (!result.holdsLists || storeFailed)
            return false;
        if (!result.readable)
            failure = QStringLiteral("the settings file cannot be read to its end");
        else if (!rewriting)
            failure = QStringLiteral("the settings file cannot be rewritten: ") + rewritten.errorString();
        else if (!sessions.complete(result.sessions, database.count(QStringLiteral("sessions"))) ||
                 !tasks.complete(result.tasks, database.count(QStringLiteral("tasks"))))
            failure = QStringLiteral("the database does not hold every record that was read");
        else if (!StoreFiles::copyOwnerOnly(m_fileName, backup))
            failure = QStringLiteral("the settings file cannot be copied to ") + backup;
        return failure.isEmpty();
    });
    if (!imported) {
        rewritten.cancelWriting();
        if (result.holdsLists) {
            m_startReport.importFailed = failure.isEmpty() ? database.errorString() : failure;
            qWarning().noquote() << "[ConfigurationManager] The sessions and tasks of" << m_fileName
                                 << "were not moved into the database, nothing was changed:"
                                 << m_startReport.importFailed;
        }
        return;
    }
    if (!rewritten.commit())
        qWarning().noquote() << "[ConfigurationManager] Moved the sessions and tasks into the database, but"
                             << m_fileName << "could not be rewritten without them:" << rewritten.errorString();
    StoreFiles::restrictToOwner(m_fileName);
    m_startReport.importBackup = backup;
    m_startReport.skippedRecords = result.damaged;
    qInfo().noquote() << "[ConfigurationManager] Moved" << sessions.added << "sessions and" << tasks.added
                      << "tasks into" << database.fileName() << "- the settings file as it was is kept as" << backup;
    if (result.damaged > 0)
        qWarning().noquote() << "[ConfigurationManager]" << result.damaged
                             << "stored records could not be read and were skipped; they remain in" << backup;
}

// A damaged file is read as far as possible and the next save rewrites it
// from what could be read, so it is kept aside first.
bool ConfigurationManager::isDamaged() const
{
    return m_settings->status() == QSettings::FormatError || containsNulByte(fileName());
}

void ConfigurationManager::backUpDamagedFile()
{
    const QString backup = StoreFiles::asideName(fileName(), DamagedName);
    if (StoreFiles::copyOwnerOnly(fileName(), backup))
        qWarning().noquote() << "[ConfigurationManager] The settings file is damaged; copied it to" << backup
                             << "and going on with what could be read";
    else
        qWarning().noquote() << "[ConfigurationManager] The settings file is damaged and could not be copied to"
                             << backup;
}

bool ConfigurationManager::reportWrite(bool written, Write what)
{
    if (!written)
        emit writeFailed(what, m_startReport.unavailable.isEmpty() ? m_database->errorString()
                                                                  : m_startReport.unavailable);
    return written;
}

QString ConfigurationManager::localeSelected() const
{
    return m_settings->value(LocaleKey).toString();
}

bool ConfigurationManager::setLocaleSelected(const QString &code)
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLocale(code);
    m_settings->setValue(LocaleKey, translator->currentLocale());
    // A settings file that still holds the sessions is not rewritten: they
    // could not be moved into the database, and a rewrite would read them all.
    const bool saved = m_startReport.importFailed.isEmpty() && save();
    if (!saved)
        emit writeFailed(LanguageWrite, m_startReport.importFailed.isEmpty()
                                            ? QStringLiteral("the settings file cannot be written")
                                            : m_startReport.importFailed);
    return saved;
}

QVariantList ConfigurationManager::sessions() const
{
    return m_database->sessionSummaries();
}

QVariantMap ConfigurationManager::sessionRecord(const QVariantMap &summary) const
{
    return m_database->sessionRecord(summary.value(QStringLiteral("id")).toLongLong());
}

QVariantMap ConfigurationManager::latestSessionResults() const
{
    const qint64 newest = m_database->newestSessionId();
    if (newest == 0)
        return {};
    return m_database->sessionRecord(newest).value(QStringLiteral("test_session")).toMap();
}

QVariantMap ConfigurationManager::latestSessionResults(const QString &displayKey) const
{
    const qint64 newest = m_database->newestSessionId(displayKey);
    if (newest == 0)
        return {};
    return m_database->sessionRecord(newest).value(QStringLiteral("test_session")).toMap();
}

QVariantMap ConfigurationManager::newSessionRecord(const QVariantMap &results, const QString &tester, uint ntest,
                                                   uint failedContents, int monitorSelected,
                                                   const QString &monitorInfo, const QVariantMap &details)
{
    QVariantMap record = details;
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("date"), QDateTime::currentDateTime());
    record.insert(QStringLiteral("test_session"), results);
    record.insert(QStringLiteral("ntest"), ntest);
    record.insert(QStringLiteral("nfailedtestcontents"), failedContents);
    record.insert(QStringLiteral("monitorselected"), monitorSelected);
    record.insert(QStringLiteral("monitorinfo"), monitorInfo);
    return record;
}

bool ConfigurationManager::addSession(const QVariantMap &results, const QString &tester, uint ntest,
                                      uint failedContents, int monitorSelected, const QString &monitorInfo,
                                      const QVariantMap &details)
{
    return addSessionRecord(newSessionRecord(results, tester, ntest, failedContents, monitorSelected, monitorInfo, details));
}

bool ConfigurationManager::addSessionRecord(const QVariantMap &record)
{
    return reportWrite(m_database->addSession(record), SessionWrite);
}

bool ConfigurationManager::removeSession(const QVariantMap &summary)
{
    return reportWrite(m_database->removeSession(summary.value(QStringLiteral("id")).toLongLong()), SessionDeletion);
}

bool ConfigurationManager::classifyDisplay(const QVariantMap &identity, const QString &category,
                                           const QString &roomClass)
{
    if (!reportWrite(m_database->classifyDisplay(identity, category, roomClass, QDate::currentDate()), DisplayWrite))
        return false;
    emit displayClassified(identity, category);
    return true;
}

bool ConfigurationManager::setWorkstation(const QString &displayKey, const QString &workstation)
{
    return reportWrite(m_database->setWorkstation(displayKey, workstation), DisplayWrite);
}

bool ConfigurationManager::makeReference(const QString &displayKey, qint64 sessionId)
{
    return reportWrite(m_database->makeReference(displayKey, sessionId), DisplayWrite);
}

QVariantList ConfigurationManager::tasks() const
{
    return m_database->tasks();
}

bool ConfigurationManager::addTask(const QVariantMap &task)
{
    return reportWrite(m_database->addTask(task), TaskWrite);
}

bool ConfigurationManager::updateTask(const QVariantMap &task)
{
    const QString id = task.value(QStringLiteral("id")).toString();
    const QVariantList stored = tasks();
    const auto match = std::find_if(stored.cbegin(), stored.cend(), [&id](const QVariant &record) {
        return record.toMap().value(QStringLiteral("id")).toString() == id;
    });
    QVariantMap updated = match == stored.cend() ? QVariantMap() : match->toMap();
    for (auto it = task.cbegin(); it != task.cend(); ++it)
        updated.insert(it.key(), it.value());
    if (match == stored.cend()) {
        qWarning().noquote() << "[ConfigurationManager] No stored task has the id" << id << "- nothing was changed";
        return false;
    }
    return reportWrite(m_database->replaceTask(updated), TaskWrite);
}

bool ConfigurationManager::removeTask(const QString &id)
{
    return reportWrite(m_database->removeTask(id), TaskDeletion);
}

// The catalogue, which sits below the store, owns the reading itself.
QString ConfigurationManager::stringContentFileAtPath(const QString &path)
{
    return TestsManager::readCatalogueText(path);
}

bool ConfigurationManager::save()
{
    const FileIdentity before = identityOf(fileName());
    m_settings->sync();
    const FileIdentity after = identityOf(fileName());
    const bool saved = after.exists && !(after == before);
    if (!saved)
        qWarning().noquote() << "[ConfigurationManager] Unable to save the settings file" << fileName()
                             << "- changes are kept in memory only";
    else
        StoreFiles::restrictToOwner(fileName());
    return saved;
}
