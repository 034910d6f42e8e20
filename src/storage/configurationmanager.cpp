#include "configurationmanager.h"

#include "testsmanager.h"
#include "translator.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace {

const QString SettingsFileName = QStringLiteral("Lumivex 2016.ini");
// QSettings files any group named "general", in whatever case, under
// "[%General]" and reads it back as "General". Keys are case-insensitive on
// Windows only, so here the group must be spelled the way it reads back, or
// a restart would not find the stored language.
const QString VersionKey = QStringLiteral("General/version");
const QString LocaleKey = QStringLiteral("General/locale_selected");
const QString SessionsKey = QStringLiteral("TEST_SESSIONS/list");
const QString TasksKey = QStringLiteral("SCHEDULER/tasks");
const QString ProgramVersion = QStringLiteral("7.8.1.0");
const QString DamagedSuffix = QStringLiteral(".damaged-");
const QString DamagedTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");

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

QDateTime recordDate(const QVariant &record)
{
    return record.toMap().value(QStringLiteral("date")).toDateTime();
}

// The first record whose `field` reads as `key`, or -1.
template <typename Key> int indexOfRecord(const QVariantList &records, const QString &field, const Key &key)
{
    for (int i = 0; i < records.size(); ++i) {
        if (records.at(i).toMap().value(field).value<Key>() == key)
            return i;
    }
    return -1;
}

// Newest first; records without a readable date go last. The sort is stable
// so that records stored within the same clock tick keep their stored order.
void sortNewestFirst(QVariantList &records)
{
    QVector<QPair<qint64, QVariant>> keyed;
    keyed.reserve(records.size());
    for (const QVariant &record : qAsConst(records)) {
        const QDateTime date = recordDate(record);
        keyed.append({date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min(), record});
    }
    std::stable_sort(
        keyed.begin(), keyed.end(),
        [](const QPair<qint64, QVariant> &a, const QPair<qint64, QVariant> &b) { return a.first > b.first; });
    for (int i = 0; i < keyed.size(); ++i)
        records[i] = keyed.at(i).second;
}

} // namespace

ConfigurationManager *ConfigurationManager::instance()
{
    static ConfigurationManager *const manager = new ConfigurationManager(SettingsFileName);
    return manager;
}

ConfigurationManager::ConfigurationManager(const QString &fileName, QObject *parent)
    : QObject(parent), m_settings(new QSettings(fileName, QSettings::IniFormat))
{
    initialise();
}

ConfigurationManager::~ConfigurationManager()
{
    delete m_settings;
}

QString ConfigurationManager::fileName() const
{
    return m_settings->fileName();
}

void ConfigurationManager::initialise()
{
    // Writing converts every stored session back to text, which costs the
    // start-up most of its time once there are many; a file that is already
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
    if (changed)
        save();
}

// A damaged file is read as far as possible and the next save rewrites it
// from what could be read, so it is kept aside first: one broken line must
// not cost the operator years of sessions. QSettings flags only some damage
// as a format error; a cut or garbled list value reads as text instead.
bool ConfigurationManager::isDamaged() const
{
    if (m_settings->status() == QSettings::FormatError || containsNulByte(fileName()))
        return true;
    for (const QString &key : {SessionsKey, TasksKey}) {
        const QVariant value = m_settings->value(key);
        if (!value.isValid())
            continue;
        if (value.type() != QVariant::List)
            return true;
        const QVariantList records = value.toList();
        const bool allRecords = std::all_of(records.cbegin(), records.cend(),
                                            [](const QVariant &record) { return record.type() == QVariant::Map; });
        if (!allRecords)
            return true;
    }
    return false;
}

void ConfigurationManager::backUpDamagedFile()
{
    const QString stem = fileName() + DamagedSuffix + QDateTime::currentDateTime().toString(DamagedTimeFormat);
    QString backup = stem;
    for (int attempt = 1; QFileInfo::exists(backup); ++attempt)
        backup = stem + QLatin1Char('-') + QString::number(attempt);

    if (QFile::copy(fileName(), backup))
        qWarning().noquote() << "[ConfigurationManager] The settings file is damaged; copied it to" << backup
                             << "and going on with what could be read";
    else
        qWarning().noquote() << "[ConfigurationManager] The settings file is damaged and could not be copied to"
                             << backup;
}

QString ConfigurationManager::localeSelected() const
{
    return m_settings->value(LocaleKey).toString();
}

void ConfigurationManager::setLocaleSelected(const QString &code)
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLocale(code);
    m_settings->setValue(LocaleKey, translator->currentLocale());
    save();
}

QVariantList ConfigurationManager::sessions() const
{
    QVariantList records = storedList(SessionsKey);
    sortNewestFirst(records);
    return records;
}

QVariantMap ConfigurationManager::latestSessionResults() const
{
    const QVariantList records = sessions();
    if (records.isEmpty())
        return {};
    return records.first().toMap().value(QStringLiteral("test_session")).toMap();
}

bool ConfigurationManager::addSession(const QVariantMap &results, const QString &tester, uint ntest,
                                      uint failedContents, int monitorSelected, const QString &monitorInfo)
{
    QVariantMap record;
    record.insert(QStringLiteral("tester"), tester);
    record.insert(QStringLiteral("date"), QDateTime::currentDateTime());
    record.insert(QStringLiteral("test_session"), results);
    record.insert(QStringLiteral("ntest"), ntest);
    record.insert(QStringLiteral("nfailedtestcontents"), failedContents);
    record.insert(QStringLiteral("monitorselected"), monitorSelected);
    record.insert(QStringLiteral("monitorinfo"), monitorInfo);

    // The file keeps the earlier sessions newest first, then the new one.
    QVariantList records = sessions();
    records.append(record);
    return writeList(SessionsKey, records);
}

void ConfigurationManager::removeSession(const QVariantMap &record)
{
    const QDateTime date = record.value(QStringLiteral("date")).toDateTime();
    QVariantList records = sessions();
    const int index = indexOfRecord(records, QStringLiteral("date"), date);
    if (index < 0)
        return;
    records.removeAt(index);
    writeList(SessionsKey, records);
}

QVariantList ConfigurationManager::tasks() const
{
    return storedList(TasksKey);
}

void ConfigurationManager::addTask(const QVariantMap &task)
{
    QVariantList records = tasks();
    records.append(task);
    writeList(TasksKey, records);
}

void ConfigurationManager::updateTask(const QVariantMap &task)
{
    const QString id = task.value(QStringLiteral("id")).toString();
    if (id.isEmpty()) {
        qWarning() << "[ConfigurationManager] A task update without an id was ignored";
        return;
    }
    QVariantList records = tasks();
    const int index = indexOfRecord(records, QStringLiteral("id"), id);
    if (index < 0)
        return;

    QVariantMap updated = records.at(index).toMap();
    for (auto it = task.cbegin(); it != task.cend(); ++it)
        updated.insert(it.key(), it.value());
    records[index] = updated;
    writeList(TasksKey, records);
}

void ConfigurationManager::removeTask(const QString &id)
{
    if (id.isEmpty())
        return;
    QVariantList records = tasks();
    const int index = indexOfRecord(records, QStringLiteral("id"), id);
    if (index < 0)
        return;
    records.removeAt(index);
    writeList(TasksKey, records);
}

// The catalogue, which sits below the store, owns the reading itself.
QString ConfigurationManager::stringContentFileAtPath(const QString &path)
{
    return TestsManager::readCatalogueText(path);
}

QVariantList ConfigurationManager::storedList(const QString &key) const
{
    return m_settings->value(key).toList();
}

bool ConfigurationManager::writeList(const QString &key, const QVariantList &list)
{
    m_settings->setValue(key, list);
    return save();
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
    return saved;
}
