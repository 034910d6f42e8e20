#include "sessiondatabase.h"

#include "sessionlistreader.h"
#include "storedfields.h"
#include "storedrecord.h"
#include "storefiles.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

using namespace StoredFields;

namespace {

const QString Driver = QStringLiteral("QSQLITE");
const QString MigrationFolder = QStringLiteral(":/storage/migrations");
const QString DamagedCopyName = QStringLiteral("damaged");
const QByteArray SqliteHeader = QByteArrayLiteral("SQLite format 3\0");
// SQLite's primary result codes for a damaged file.
const int SqliteCorrupt = 11;
const int SqliteNotADatabase = 26;
// How long a write waits for another process that holds the database before
// it fails and says so.
const int BusyTimeoutMilliseconds = 2000;

int nextConnectionNumber()
{
    static int number = 0;
    return ++number;
}

// A file SQLite would open but could not read: anything with content that
// does not start with SQLite's header.
bool isForeignFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    return file.read(SqliteHeader.size()) != SqliteHeader;
}

// SQLite's own word for a damaged file, whatever the extended code adds.
bool isDamageCode(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

QStringList migrationStatements(const QString &file)
{
    QFile migration(file);
    if (!migration.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList statements;
    static const QRegularExpression end(QStringLiteral(";\\s*$"), QRegularExpression::MultilineOption);
    for (const QString &part : QString::fromUtf8(migration.readAll()).split(end)) {
        QString statement;
        for (const QString &line : part.split(QLatin1Char('\n'))) {
            if (!line.trimmed().startsWith(QLatin1String("--")))
                statement += line + QLatin1Char('\n');
        }
        if (!statement.trimmed().isEmpty())
            statements << statement.trimmed();
    }
    return statements;
}

// The schema version that brought the displays table.
const int DisplaysVersion = 3;
// The version whose list columns, test type and display, are filled from the stored records.
const int ListColumnsVersion = 4;
// The version that brought withdrawals: the place of its file among the
// migrations, which other branches of the schema may have numbered before it.
int withdrawalsVersion()
{
    static const int version =
        QDir(MigrationFolder).entryList(QDir::Files, QDir::Name).indexOf(QStringLiteral("0006-withdrawals.sql")) + 1;
    return version;
}

// The list's columns of a record that has them: its test type and display.
void bindListColumns(QSqlQuery &query, const QVariantMap &record)
{
    const QVariantMap display = displayOf(record);
    query.bindValue(QStringLiteral(":type"), boundText(record.value(QStringLiteral("testtype")).toString()));
    bindIdentity(query, display);
}

// The record's keys the list shows, read without converting the whole record.
QVariantMap listKeysOf(const QByteArray &json)
{
    const QJsonObject record = QJsonDocument::fromJson(json).object();
    return {{QStringLiteral("testtype"), record.value(QStringLiteral("testtype")).toVariant()},
            {QStringLiteral("display"), record.value(QStringLiteral("display")).toVariant()}};
}

} // namespace

QString SessionDatabase::defaultFileName()
{
    return QStringLiteral("Lumivex.sqlite");
}

SessionDatabase::SessionDatabase(const QString &path, Access access)
    : m_path(QFileInfo(path).absoluteFilePath()), m_access(access),
      m_connectionName(QStringLiteral("lumivex-store-%1").arg(nextConnectionNumber()))
{
}

SessionDatabase::~SessionDatabase()
{
    closeConnection();
}

QString SessionDatabase::fileName() const
{
    return m_path;
}

QString SessionDatabase::errorString() const
{
    return m_error;
}

QString SessionDatabase::damagedCopy() const
{
    return m_damagedCopy;
}

bool SessionDatabase::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && connection().isOpen();
}

QSqlDatabase SessionDatabase::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool SessionDatabase::failed(const QString &what, const QString &reason) const
{
    m_error = what + QStringLiteral(": ") + reason;
    qWarning().noquote() << "[SessionDatabase]" << m_error << "-" << m_path;
    return false;
}

DatabaseRecovery::Counts SessionDatabase::recovered() const
{
    return m_recovered;
}

bool SessionDatabase::open()
{
    if (m_access == ReadOnly)
        return setUpConnection() && migrate();
    if (!prepareFile())
        return false;
    if (setUpConnection() && isSound() && migrate() && preparesStatements())
        return true;
    // A lock, a full disk or a read-only folder is no damage: the file stays.
    return isDamaged() && recover();
}

bool SessionDatabase::prepareFile()
{
    // SQLite gives its journal files the database's permissions, so creating
    // the database owner-only keeps all three private.
    if (!QFileInfo::exists(m_path)) {
        QFile created(m_path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return failed(QStringLiteral("cannot create the database"), created.errorString());
    }
    StoreFiles::restrictToOwner(m_path);
    if (isForeignFile(m_path)) {
        m_damagedCopy = StoreFiles::asideName(m_path, DamagedCopyName);
        if (!QFile::rename(m_path, m_damagedCopy))
            return failed(QStringLiteral("the file is not a database and cannot be moved aside"), m_damagedCopy);
        qWarning().noquote() << "[SessionDatabase] The file is not a database; moved it to" << m_damagedCopy;
        QFile created(m_path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !StoreFiles::restrictToOwner(m_path))
            return failed(QStringLiteral("cannot create the database"), created.errorString());
    }
    return true;
}

// Where the journal's shared index cannot be created (a read-only folder, a
// full disk), SQLite still reads a file that it is told nobody changes.
bool SessionDatabase::openUnchanging(QSqlDatabase &database)
{
    database.close();
    QUrl url = QUrl::fromLocalFile(m_path);
    url.setQuery(QStringLiteral("immutable=1"));
    database.setDatabaseName(url.toString(QUrl::FullyEncoded));
    database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    QSqlQuery query(database);
    if (!database.open() || !query.exec(QStringLiteral("PRAGMA user_version")))
        return failed(QStringLiteral("cannot read the database"), query.lastError().text());
    return true;
}

bool SessionDatabase::setUpConnection()
{
    if (m_access == ReadOnly && !QFileInfo(m_path).isFile())
        return failed(QStringLiteral("cannot open the database"), QStringLiteral("there is no such file"));
    QSqlDatabase database = QSqlDatabase::addDatabase(Driver, m_connectionName);
    database.setDatabaseName(m_path);
    // Even a reader opens the file for writing where it can: SQLite removes
    // the journal files when the last writable connection closes, while a
    // read-only one would leave them behind.
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMilliseconds));
    if (!database.open())
        return failed(QStringLiteral("cannot open the database"), database.lastError().text());
    QSqlQuery query(database);
    if (m_access == ReadOnly)
        return query.exec(QStringLiteral("PRAGMA user_version")) || openUnchanging(database);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next() ||
        query.value(0).toString() != QLatin1String("wal"))
        return failed(QStringLiteral("cannot use the write-ahead journal"), query.lastError().text());
    // FULL: a committed session survives a power cut, not only a crash.
    if (!query.exec(QStringLiteral("PRAGMA synchronous=FULL")) || !query.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        return failed(QStringLiteral("cannot set up the database"), query.lastError().text());
    return true;
}

// Run at every start over years of sessions: the quick check reads every page
// and record as the full one does, and so finds a cut, overwritten or garbled
// file, but does not match each index against its table, which costs the full
// check several times as much and grows faster than the store.
bool SessionDatabase::isSound()
{
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("PRAGMA quick_check"))) {
        m_damageFound = isDamageCode(query.lastError());
        return failed(QStringLiteral("cannot check the database"), query.lastError().text());
    }
    QStringList problems;
    while (query.next())
        problems << query.value(0).toString();
    query.finish();
    if (problems == QStringList{QStringLiteral("ok")})
        return true;
    m_damageFound = true;
    return failed(QStringLiteral("the integrity check failed"), problems.mid(0, 5).join(QLatin1String("; ")));
}

// Every table a save writes must take statements, or every later save would fail.
bool SessionDatabase::preparesStatements()
{
    QSqlQuery query(connection());
    for (const QString &table : {QStringLiteral("sessions"), QStringLiteral("session_records"), QStringLiteral("tasks"),
                                 QStringLiteral("displays")}) {
        if (!query.prepare(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(table))) {
            m_damageFound = true;
            return failed(QStringLiteral("cannot prepare the store's statements"), query.lastError().text());
        }
    }
    return true;
}

// SQLite's own word for a damaged file (SQLITE_CORRUPT, SQLITE_NOTADB), from
// the step that failed or from a check of its own.
bool SessionDatabase::isDamaged()
{
    if (m_damageFound)
        return true;
    if (!connection().isOpen())
        return false;
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("PRAGMA quick_check"))) {
        m_damageFound = isDamageCode(query.lastError());
        return m_damageFound;
    }
    m_damageFound = !query.next() || query.value(0).toString() != QLatin1String("ok");
    return m_damageFound;
}

void SessionDatabase::closeConnection()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        connection().close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

// The damaged file is copied aside once: a later start with the same damage
// (a recovery that could not finish) finds the copy in place.
bool SessionDatabase::keepDamagedCopy()
{
    const QString previous = StoreFiles::newestAside(m_path, DamagedCopyName);
    if (!previous.isEmpty() && StoreFiles::sameContent(m_path, previous)) {
        m_damagedCopy = previous;
        return true;
    }
    m_damagedCopy = StoreFiles::asideName(m_path, DamagedCopyName);
    const QString journal = m_path + QStringLiteral("-wal");
    if (!StoreFiles::copyVerified(m_path, m_damagedCopy) ||
        (QFileInfo::exists(journal) && !StoreFiles::copyVerified(journal, m_damagedCopy + QStringLiteral("-wal")))) {
        QFile::remove(m_damagedCopy);
        m_damagedCopy.clear();
        return failed(QStringLiteral("the database is damaged and cannot be copied aside"), m_error);
    }
    qWarning().noquote() << "[SessionDatabase] Copied the damaged database to" << m_damagedCopy;
    return true;
}

// The fresh database is built beside the damaged one and takes its place
// only when every record that could be read is committed in it.
bool SessionDatabase::recover()
{
    closeConnection();
    if (!keepDamagedCopy())
        return false;
    const QString freshPath = m_path + QStringLiteral(".recovering");
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(freshPath + suffix);
    {
        SessionDatabase fresh(freshPath);
        if (!fresh.prepareFile() || !fresh.setUpConnection() || !fresh.migrate())
            return failed(QStringLiteral("cannot create a fresh database"), fresh.errorString());
        m_recovered = DatabaseRecovery::recover(m_path, fresh);
        if (!m_recovered.stored)
            return failed(QStringLiteral("cannot store the recovered records"), fresh.errorString());
    }
    // Closing the fresh database moved its journal into the file; a journal
    // left behind would hold records the renamed file lacks.
    if (QFileInfo::exists(freshPath + QStringLiteral("-wal")))
        return failed(QStringLiteral("cannot finish the fresh database"), freshPath);
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(m_path + suffix);
    if (!QFile::remove(m_path) || !QFile::rename(freshPath, m_path))
        return failed(QStringLiteral("cannot put the fresh database in place of the damaged one"), m_path);
    m_damageFound = false;
    return setUpConnection() && migrate();
}

bool SessionDatabase::migrate()
{
    const QStringList files = QDir(MigrationFolder).entryList(QDir::Files, QDir::Name);
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed(QStringLiteral("cannot read the database's version"), query.lastError().text());
    const int version = query.value(0).toInt();
    m_version = version;
    query.finish();
    if (version > files.size())
        return failed(QStringLiteral("the database was written by a newer version of the program"),
                      QStringLiteral("schema %1, this program knows %2").arg(version).arg(files.size()));
    if (m_access == ReadOnly)
        return version > 0 ||
               failed(QStringLiteral("cannot read the database"),
                      query.lastError().isValid() ? query.lastError().text() : QStringLiteral("it holds no sessions"));
    for (int step = version; step < files.size(); ++step) {
        const bool migrated = transact([&] {
            QSqlQuery statement(connection());
            for (const QString &text : migrationStatements(MigrationFolder + QLatin1Char('/') + files.at(step))) {
                if (!statement.exec(text))
                    return failed(QStringLiteral("cannot update the database (%1)").arg(files.at(step)),
                                  statement.lastError().text());
            }
            if (step + 1 == DisplaysVersion && !noteStoredDisplays())
                return false;
            if (step + 1 == ListColumnsVersion && !fillListColumns())
                return false;
            // A number of this program's own, not a value from outside.
            if (!statement.exec(QStringLiteral("PRAGMA user_version = %1").arg(step + 1)))
                return failed(QStringLiteral("cannot update the database's version"), statement.lastError().text());
            m_version = step + 1;
            return true;
        });
        if (!migrated)
            return false;
    }
    return true;
}

// Sessions stored before the list showed type and display may name both in
// their records already. A record that cannot be read keeps empty columns:
// the list then says "unknown", as for sessions that never named them.
bool SessionDatabase::fillListColumns()
{
    QSqlQuery records(connection());
    records.setForwardOnly(true);
    records.prepare(QStringLiteral("SELECT session_id, CASE WHEN length(record) <= :limit THEN record END "
                                   "FROM session_records"));
    records.bindValue(QStringLiteral(":limit"), StoredRecord::MaximumBytes);
    if (!records.exec())
        return failed(QStringLiteral("cannot read the sessions' records"), records.lastError().text());
    QSqlQuery update(connection());
    update.prepare(QStringLiteral("UPDATE sessions SET test_type = :type, display_maker = :maker, "
                                  "display_model = :model, display_serial = :serial WHERE id = :id"));
    while (records.next()) {
        bool readable = false;
        bindListColumns(update, listKeysOf(StoredRecord::uncompress(records.value(1).toByteArray(), &readable)));
        update.bindValue(QStringLiteral(":id"), records.value(0).toLongLong());
        if (!update.exec())
            return failed(QStringLiteral("cannot fill the list's columns"), update.lastError().text());
    }
    return true;
}

bool SessionDatabase::transact(const std::function<bool()> &work)
{
    QSqlDatabase database = connection();
    if (!database.isOpen())
        return failed(QStringLiteral("the database is not open"), m_error);
    QSqlQuery control(database);
    // IMMEDIATE takes the write lock at once, so a database that another
    // process holds is reported after the busy timeout instead of at commit.
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(QStringLiteral("cannot start a change"), control.lastError().text());
    if (!work()) {
        control.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!control.exec(QStringLiteral("COMMIT"))) {
        const QString reason = control.lastError().text();
        control.exec(QStringLiteral("ROLLBACK"));
        return failed(QStringLiteral("cannot save the change"), reason);
    }
    return true;
}

void SessionDatabase::addChangeHook(const ChangeHook &hook)
{
    m_hooks.append(hook);
}

bool SessionDatabase::announce(const Change &change)
{
    QSqlDatabase database = connection();
    for (const ChangeHook &hook : qAsConst(m_hooks)) {
        if (!hook(database, change))
            return failed(QStringLiteral("cannot record the change"), database.lastError().text());
    }
    return true;
}

QVariantList SessionDatabase::sessionSummaries(Withdrawn withdrawn) const
{
    QVariantList summaries;
    for (const SessionListRow &row : sessionRows(withdrawn, nullptr, -1))
        summaries.append(row.summary());
    return summaries;
}

QVector<SessionListRow> SessionDatabase::sessionRows(Withdrawn withdrawn, const SessionListRow *after, int count) const
{
    QVector<SessionListRow> rows;
    SessionListReader reader(connection(), m_version >= withdrawalsVersion());
    if (!reader.read(withdrawn == WithWithdrawn, after, count, &rows))
        failed(reader.failure(), reader.reason());
    return rows;
}

int SessionDatabase::sessionCount(Withdrawn withdrawn) const
{
    QSqlQuery query(connection());
    const bool counted = query.exec(withdrawn == WithWithdrawn || m_version < withdrawalsVersion()
                                        ? QStringLiteral("SELECT count(*) FROM sessions")
                                        : QStringLiteral("SELECT (SELECT count(*) FROM sessions) - "
                                                         "(SELECT count(*) FROM withdrawals)"));
    if (!counted || !query.next()) {
        failed(QStringLiteral("cannot count the sessions"), query.lastError().text());
        return 0;
    }
    return query.value(0).toInt();
}

QVariantMap SessionDatabase::sessionRecord(qint64 id) const
{
    QSqlQuery query(connection());
    // length() of a BLOB is known without reading it, so an oversized record
    // is refused before a byte of it is loaded.
    query.prepare(QStringLiteral("SELECT length(record), CASE WHEN length(record) <= :limit THEN record END "
                                 "FROM session_records WHERE session_id = :id"));
    query.bindValue(QStringLiteral(":limit"), StoredRecord::MaximumBytes);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec() || !query.next()) {
        failed(QStringLiteral("cannot read session %1").arg(id),
               query.lastError().isValid() ? query.lastError().text() : QStringLiteral("no such session"));
        return {};
    }
    if (query.value(0).toLongLong() > StoredRecord::MaximumBytes) {
        failed(QStringLiteral("cannot read session %1").arg(id),
               QStringLiteral("its record of %1 bytes is larger than any the program writes")
                   .arg(query.value(0).toLongLong()));
        return {};
    }
    bool ok = false;
    const QByteArray json = StoredRecord::uncompress(query.value(1).toByteArray(), &ok);
    const QVariantMap record = ok ? StoredRecord::decodeSession(json, &ok) : QVariantMap();
    if (!ok)
        failed(QStringLiteral("cannot read session %1").arg(id), QStringLiteral("its record is damaged"));
    return record;
}

qint64 SessionDatabase::newestSessionId() const
{
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SELECT id FROM sessions ORDER BY date_msecs DESC, id DESC LIMIT 1")) ||
        !query.next())
        return 0;
    return query.value(0).toLongLong();
}

qint64 SessionDatabase::sessionId(const QString &uuid) const
{
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("SELECT id FROM sessions WHERE uuid = :uuid"));
    query.bindValue(QStringLiteral(":uuid"), uuid);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

bool SessionDatabase::insertSession(const QVariantMap &record, const QString &uuid, qint64 *id)
{
    const QVariant date = record.value(QStringLiteral("date"));
    QSqlQuery query(connection());
    query.prepare(QStringLiteral(
        "INSERT INTO sessions (uuid, date, date_msecs, tester, monitor_selected, monitor_info, test_count, "
        "failed_count, display_key, test_type, display_maker, display_model, display_serial) VALUES (:uuid, :date, "
        ":msecs, :tester, :monitor, :info, :tests, :failed, :display, :type, :maker, :model, :serial) "
        "ON CONFLICT (uuid) DO NOTHING"));
    query.bindValue(QStringLiteral(":uuid"), uuid);
    query.bindValue(QStringLiteral(":date"), StoredRecord::dateText(date));
    query.bindValue(QStringLiteral(":msecs"),
                    date.toDateTime().isValid() ? QVariant(date.toDateTime().toMSecsSinceEpoch()) : QVariant());
    query.bindValue(QStringLiteral(":tester"), boundText(record.value(QStringLiteral("tester")).toString()));
    query.bindValue(QStringLiteral(":monitor"), record.value(QStringLiteral("monitorselected")).toInt());
    query.bindValue(QStringLiteral(":info"), boundText(record.value(QStringLiteral("monitorinfo")).toString()));
    query.bindValue(QStringLiteral(":tests"), record.value(QStringLiteral("ntest")).toLongLong());
    query.bindValue(QStringLiteral(":failed"), record.value(QStringLiteral("nfailedtestcontents")).toLongLong());
    query.bindValue(QStringLiteral(":display"), boundText(DisplayRecord::key(displayOf(record))));
    bindListColumns(query, record);
    if (!query.exec())
        return failed(QStringLiteral("cannot store the session"), query.lastError().text());
    const bool inserted = query.numRowsAffected() == 1;
    *id = inserted ? query.lastInsertId().toLongLong() : 0;
    if (!inserted)
        return true;
    query.prepare(QStringLiteral("INSERT INTO session_records (session_id, record) VALUES (:id, :record)"));
    query.bindValue(QStringLiteral(":id"), *id);
    query.bindValue(QStringLiteral(":record"), StoredRecord::compress(StoredRecord::encode(record)));
    if (!query.exec())
        return failed(QStringLiteral("cannot store the session"), query.lastError().text());
    return noteDisplayTested(record, uuid) && announce({Change::SessionAdded, uuid, record});
}

bool SessionDatabase::addSession(const QVariantMap &record, qint64 *id, const QString &uuid)
{
    qint64 stored = 0;
    const QString named = uuid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : uuid;
    const bool added = transact([&] { return insertSession(record, named, &stored); });
    if (id)
        *id = added ? stored : 0;
    return added;
}

bool SessionDatabase::withdrawSession(qint64 id, const QString &by, const QString &reason, const QDateTime &at)
{
    if (reason.trimmed().isEmpty())
        return failed(QStringLiteral("cannot withdraw session %1").arg(id), QStringLiteral("no reason was given"));
    const QVariantMap withdrawal{{QStringLiteral("withdrawnBy"), by},
                                 {QStringLiteral("withdrawnAt"), at.toUTC().toString(Qt::ISODateWithMs)},
                                 {QStringLiteral("reason"), reason.trimmed()}};
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("SELECT uuid FROM sessions WHERE id = :id"));
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec() || !query.next())
            return failed(QStringLiteral("cannot withdraw session %1").arg(id), QStringLiteral("no such session"));
        const QString uuid = query.value(0).toString();
        query.finish();
        query.prepare(QStringLiteral("INSERT INTO withdrawals (session_id, withdrawn_by, withdrawn_at, reason) "
                                     "VALUES (:id, :by, :at, :reason) ON CONFLICT (session_id) DO NOTHING"));
        query.bindValue(QStringLiteral(":id"), id);
        query.bindValue(QStringLiteral(":by"), boundText(by));
        query.bindValue(QStringLiteral(":at"), withdrawal.value(QStringLiteral("withdrawnAt")));
        query.bindValue(QStringLiteral(":reason"), withdrawal.value(QStringLiteral("reason")));
        if (!query.exec())
            return failed(QStringLiteral("cannot withdraw session %1").arg(id), query.lastError().text());
        if (query.numRowsAffected() != 1)
            return failed(QStringLiteral("cannot withdraw session %1").arg(id),
                          QStringLiteral("it is withdrawn already"));
        return announce({Change::SessionWithdrawn, uuid, withdrawal});
    });
}

qint64 SessionDatabase::newestSessionId(const QString &displayKey) const
{
    return sessionIds(displayKey).value(0);
}

QDateTime SessionDatabase::nextSessionDate(const QString &displayKey, const QString &testType,
                                           const QDateTime &after) const
{
    if (displayKey.isEmpty() || !after.isValid())
        return {};
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("SELECT min(date_msecs) FROM sessions WHERE display_key = :key AND "
                                 "test_type = :type AND date_msecs > :after"));
    query.bindValue(QStringLiteral(":key"), displayKey);
    query.bindValue(QStringLiteral(":type"), testType);
    query.bindValue(QStringLiteral(":after"), after.toMSecsSinceEpoch());
    if (!query.exec() || !query.next() || query.isNull(0))
        return {};
    return QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong());
}

QList<qint64> SessionDatabase::sessionIds(const QString &displayKey) const
{
    QList<qint64> ids;
    if (displayKey.isEmpty())
        return ids;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    // A withdrawn session is no longer the display's: it prefills nothing and is no reference or L'max.
    query.prepare(
        QStringLiteral("SELECT id FROM sessions WHERE display_key = :key %1 ORDER BY date_msecs DESC, id DESC")
            .arg(m_version >= withdrawalsVersion()
                     ? QStringLiteral("AND id NOT IN (SELECT session_id FROM withdrawals)")
                     : QString()));
    query.bindValue(QStringLiteral(":key"), displayKey);
    if (!query.exec()) {
        failed(QStringLiteral("cannot read the display's sessions"), query.lastError().text());
        return ids;
    }
    while (query.next())
        ids.append(query.value(0).toLongLong());
    return ids;
}

QVariantList SessionDatabase::tasks() const
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, length(record), CASE WHEN length(record) <= :limit THEN record END "
                                 "FROM tasks ORDER BY position"));
    query.bindValue(QStringLiteral(":limit"), StoredRecord::MaximumBytes);
    QVariantList tasks;
    if (!query.exec()) {
        failed(QStringLiteral("cannot read the tasks"), query.lastError().text());
        return tasks;
    }
    while (query.next()) {
        bool ok = false;
        const QByteArray json = StoredRecord::uncompress(query.value(2).toByteArray(), &ok);
        QVariantMap task = ok ? StoredRecord::decodeTask(json, &ok) : QVariantMap();
        if (!ok)
            failed(QStringLiteral("cannot read task %1").arg(query.value(0).toString()),
                   QStringLiteral("its record is damaged"));
        // The row's key is the task's identity, whatever its record says.
        task.insert(QStringLiteral("id"), query.value(0).toString());
        tasks.append(task);
    }
    return tasks;
}

bool SessionDatabase::insertTask(const QVariantMap &task, bool *added)
{
    const QString id = task.value(QStringLiteral("id")).toString();
    QSqlQuery query(connection());
    query.prepare(QStringLiteral("INSERT INTO tasks (id, position, record) "
                                 "VALUES (:id, (SELECT coalesce(max(position), 0) + 1 FROM tasks), :record) "
                                 "ON CONFLICT (id) DO NOTHING"));
    query.bindValue(QStringLiteral(":id"), id);
    query.bindValue(QStringLiteral(":record"), StoredRecord::compress(StoredRecord::encode(task)));
    if (!query.exec())
        return failed(QStringLiteral("cannot store the task"), query.lastError().text());
    *added = query.numRowsAffected() == 1;
    return !*added || announce({Change::TaskAdded, id, task});
}

// The program gives every new task an id of its own; one that is taken, or
// none, would make two tasks answer to one id.
bool SessionDatabase::addTask(const QVariantMap &task)
{
    const QString id = task.value(QStringLiteral("id")).toString();
    if (id.isEmpty())
        return failed(QStringLiteral("cannot store the task"), QStringLiteral("it has no id"));
    return transact([&] {
        bool added = false;
        if (!insertTask(task, &added))
            return false;
        return added || failed(QStringLiteral("cannot store the task"), QStringLiteral("the id %1 is taken").arg(id));
    });
}

bool SessionDatabase::replaceTask(const QVariantMap &task)
{
    const QString id = task.value(QStringLiteral("id")).toString();
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("UPDATE tasks SET record = :record WHERE id = :id"));
        query.bindValue(QStringLiteral(":record"), StoredRecord::compress(StoredRecord::encode(task)));
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec())
            return failed(QStringLiteral("cannot change the task"), query.lastError().text());
        if (query.numRowsAffected() != 1)
            return failed(QStringLiteral("cannot change the task"), QStringLiteral("no task has the id ") + id);
        return announce({Change::TaskChanged, id, task});
    });
}

bool SessionDatabase::removeTask(const QString &id)
{
    return transact([&] {
        QSqlQuery query(connection());
        query.prepare(QStringLiteral("DELETE FROM tasks WHERE id = :id"));
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec())
            return failed(QStringLiteral("cannot delete the task"), query.lastError().text());
        if (query.numRowsAffected() != 1)
            return failed(QStringLiteral("cannot delete the task"), QStringLiteral("no task has the id ") + id);
        return announce({Change::TaskRemoved, id, {}});
    });
}

int SessionDatabase::count(const QString &table) const
{
    // Only the two table names of this class reach here, never outside text.
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM ") + table) || !query.next())
        return -1;
    return query.value(0).toInt();
}
