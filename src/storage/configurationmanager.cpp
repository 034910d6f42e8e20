#include "configurationmanager.h"

#include "legacyimport.h"
#include "sessiondatabase.h"
#include "storedrecord.h"
#include "storefiles.h"
#include "testsmanager.h"
#include "translator.h"
#include "unsavedsessions.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

} // namespace

ConfigurationManager *ConfigurationManager::instance()
{
    static ConfigurationManager *const manager = new ConfigurationManager(SettingsFileName);
    return manager;
}

ConfigurationManager::ConfigurationManager(const QString &fileName, QObject *parent)
    : QObject(parent), m_fileName(QFileInfo(fileName).absoluteFilePath()),
      m_database(std::make_unique<SessionDatabase>(
          QFileInfo(m_fileName).absoluteDir().filePath(SessionDatabase::defaultFileName()))),
      m_unsaved(std::make_unique<UnsavedSessions>(UnsavedSessions::fileNameBeside(m_database->fileName())))
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
    if (!m_startReport.unavailable.isEmpty())
        qWarning().noquote() << "[ConfigurationManager] Sessions and tasks cannot be saved:"
                             << m_startReport.unavailable;
    // QSettings reads the whole file at every start, so the sessions must
    // have left it before it is opened.
    const LegacyImport::Outcome imported = LegacyImport(m_fileName, m_database.get(), m_startReport.unavailable).run();
    if (!m_unsaved->load())
        qWarning().noquote() << "[ConfigurationManager]" << m_unsaved->errorString();
    if (m_startReport.unavailable.isEmpty())
        storeUnsaved();
    m_startReport.importFailed = imported.failure;
    m_startReport.importBackup = imported.backup;
    m_startReport.skippedRecords = imported.skipped;
    // A file that still holds the sessions is never given to QSettings: it
    // writes on its own, at the next turn of the event loop and when it is
    // destroyed, and would rewrite the lists it could parse, or cut the file
    // on a full disk. Its language is used until the program ends.
    if (imported.pending) {
        m_heldLocale = imported.locale.isEmpty() ? TR::Translator::instance()->preferredLocale() : imported.locale;
        return;
    }
    m_settings = new QSettings(m_fileName, QSettings::IniFormat);

    // Writing converts the whole file back to text; a file that is already
    // complete and sound is left as it is.
    const bool existed = QFileInfo::exists(fileName());
    const bool damaged = existed && isDamaged();
    if (damaged)
        backUpDamagedFile();
    bool changed = !existed;
    // QSettings rewrites the file only after a value was set: a damaged file
    // whose version is current gets it set again, or it would stay damaged
    // and be kept aside anew at every start.
    if (damaged || m_settings->value(VersionKey).toString() != ProgramVersion) {
        m_settings->setValue(VersionKey, ProgramVersion);
        changed = true;
    }
    if (!existed || !m_settings->contains(LocaleKey)) {
        m_settings->setValue(LocaleKey, TR::Translator::instance()->preferredLocale());
        changed = true;
    }
    if (changed)
        save();
}

// A database that cannot be written (a read-only folder, say) is still read,
// so the operator sees the stored sessions; every write then says why it failed.
void ConfigurationManager::openDatabase()
{
    const bool opened = m_database->open();
    m_startReport.damagedCopy = m_database->damagedCopy();
    const DatabaseRecovery::Counts recovered = m_database->recovered();
    m_startReport.recoveredSessions = recovered.sessions;
    m_startReport.recoveredTasks = recovered.tasks;
    m_startReport.unrecoveredRows = recovered.skipped;
    if (opened)
        return;
    m_startReport.unavailable = m_database->errorString();
    m_database = std::make_unique<SessionDatabase>(m_database->fileName(), SessionDatabase::ReadOnly);
    m_database->open();
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
    return m_settings ? m_settings->value(LocaleKey).toString() : m_heldLocale;
}

bool ConfigurationManager::setLocaleSelected(const QString &code)
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLocale(code);
    if (!m_settings) {
        m_heldLocale = translator->currentLocale();
        emit writeFailed(LanguageWrite, m_startReport.importFailed);
        return false;
    }
    m_settings->setValue(LocaleKey, translator->currentLocale());
    const bool saved = save();
    if (!saved)
        emit writeFailed(LanguageWrite, QStringLiteral("the settings file cannot be written"));
    return saved;
}

QVariantList ConfigurationManager::sessions(bool withWithdrawn) const
{
    return m_database->sessionSummaries(withWithdrawn ? SessionDatabase::WithWithdrawn
                                                      : SessionDatabase::WithoutWithdrawn);
}

QVector<SessionListRow> ConfigurationManager::sessionRows(bool withWithdrawn, const SessionListRow *after,
                                                          int count) const
{
    return m_database->sessionRows(withWithdrawn ? SessionDatabase::WithWithdrawn : SessionDatabase::WithoutWithdrawn,
                                   after, count);
}

int ConfigurationManager::sessionCount(bool withWithdrawn) const
{
    return m_database->sessionCount(withWithdrawn ? SessionDatabase::WithWithdrawn : SessionDatabase::WithoutWithdrawn);
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
    // A calibration answers no test, so the newest session that does prefills.
    for (const qint64 id : m_database->sessionIds(displayKey)) {
        const QVariantMap results = m_database->sessionRecord(id).value(QStringLiteral("test_session")).toMap();
        if (!results.isEmpty())
            return results;
    }
    return {};
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
    const UnsavedSessions::Entry entry{QUuid::createUuid().toString(QUuid::WithoutBraces), record};
    if (m_database->addSession(record, nullptr, entry.uuid)) {
        storeUnsaved();
        return true;
    }
    const QString reason = m_startReport.unavailable.isEmpty() ? m_database->errorString() : m_startReport.unavailable;
    if (!m_unsaved->keep(entry))
        emit writeFailed(SessionWrite, reason + QLatin1Char('\n') + m_unsaved->errorString());
    else
        emit writeFailed(SessionWrite, reason);
    return false;
}

// Oldest first, each in a transaction of its own: one that still cannot be
// stored keeps its place, the others go into the database.
void ConfigurationManager::storeUnsaved()
{
    if (m_unsaved->isEmpty())
        return;
    const QList<UnsavedSessions::Entry> kept = m_unsaved->entries();
    bool anyStored = false;
    for (const UnsavedSessions::Entry &entry : kept) {
        qint64 id = 0;
        if (!m_database->transact([&] { return m_database->insertSession(entry.record, entry.uuid, &id); }))
            continue;
        m_unsaved->forget(entry.uuid);
        anyStored = true;
    }
    if (anyStored) {
        qInfo().noquote() << "[ConfigurationManager] Stored kept sessions;" << m_unsaved->entries().size()
                          << "remain in" << m_unsaved->fileName();
        emit unsavedStored();
    }
}

QVariantList ConfigurationManager::unsavedSessions() const
{
    QVariantList records;
    for (const UnsavedSessions::Entry &entry : m_unsaved->entries())
        records.prepend(entry.record);
    return records;
}

QString ConfigurationManager::unsavedFileName() const
{
    return m_unsaved->fileName();
}

bool ConfigurationManager::exportUnsaved(const QString &path) const
{
    return m_unsaved->exportTo(path);
}

bool ConfigurationManager::withdrawSession(const QVariantMap &summary, const QString &by, const QString &reason)
{
    return reportWrite(m_database->withdrawSession(summary.value(QStringLiteral("id")).toLongLong(), by, reason,
                                                   QDateTime::currentDateTime()),
                       SessionDeletion);
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

bool ConfigurationManager::makeReference(const QString &displayKey, qint64 sessionId, const QVariantMap &choice)
{
    return reportWrite(m_database->makeReference(displayKey, sessionId, choice), DisplayWrite);
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
