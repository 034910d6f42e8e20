#include "sitesendworker.h"

#include "sitedatabase.h"
#include "siteoutbox.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTimer>

namespace {

// While anything waits, the sender tries again this often (besides after each change).
const int RetryIntervalMs = 5 * 60 * 1000;
// Entries sent in one pass; the rest follow in the next pass at once.
const int EntriesPerPass = 500;

QString uniqueName(const char *purpose, const void *owner)
{
    return QStringLiteral("lumivex-site-%1-%2").arg(QLatin1String(purpose)).arg(quintptr(owner), 0, 16);
}

} // namespace

SiteSendWorker::SiteSendWorker(const SiteSettings &settings, const QString &stationDatabase)
    : m_settings(settings)
    , m_stationDatabase(stationDatabase)
{
}

SiteSendWorker::~SiteSendWorker()
{
    m_site.reset();
    if (!m_stationConnection.isEmpty()) {
        QSqlDatabase::database(m_stationConnection, false).close();
        QSqlDatabase::removeDatabase(m_stationConnection);
    }
}

bool SiteSendWorker::openSite()
{
    // Connections belong to the thread that makes them: made here, on first use.
    if (!m_site)
        m_site = std::make_unique<SiteDatabase>(SiteUri::parse(m_settings.databaseUri), uniqueName("sender", this));
    return m_site->isOpen() || m_site->open();
}

bool SiteSendWorker::openStation()
{
    if (m_stationConnection.isEmpty()) {
        m_stationConnection = uniqueName("outbox", this);
        QSqlDatabase station = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_stationConnection);
        station.setDatabaseName(m_stationDatabase);
        // The window's store writes to the same file; wait for its lock rather than fail.
        station.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    QSqlDatabase station = QSqlDatabase::database(m_stationConnection, false);
    return station.isOpen() || (station.open() && SiteOutbox::createTable(station));
}

void SiteSendWorker::sendOutbox()
{
    if (!m_retryTimer) {
        m_retryTimer = new QTimer(this);
        m_retryTimer->setSingleShot(true);
        m_retryTimer->setInterval(RetryIntervalMs);
        connect(m_retryTimer, &QTimer::timeout, this, &SiteSendWorker::sendOutbox);
    }
    if (!openStation()) {
        const QString reason = QSqlDatabase::database(m_stationConnection, false).lastError().text();
        emit sendFinished(-1, QStringLiteral("the station database %1 cannot be read: %2")
                                  .arg(m_stationDatabase, reason));
        scheduleRetry(true);
        return;
    }
    const QString failure = sendEntries();
    const int waiting = SiteOutbox::waitingSessions(QSqlDatabase::database(m_stationConnection, false));
    emit sendFinished(waiting, failure);
    scheduleRetry(!failure.isEmpty() || waiting != 0);
}

// Each entry is its own statement on the server and leaves the outbox only once
// the server confirmed it, so a fault at any point sends it again, and the
// server's upsert keeps it once. An entry the server refuses does not hold up
// the others.
QString SiteSendWorker::sendEntries()
{
    const QSqlDatabase station = QSqlDatabase::database(m_stationConnection, false);
    QString failure;
    qint64 lastTried = 0;
    while (true) {
        bool ok = false;
        const QVector<SiteOutbox::Entry> entries = SiteOutbox::entries(station, lastTried, EntriesPerPass, &ok);
        if (!ok)
            return QStringLiteral("the outbox of %1 cannot be read: %2")
                .arg(m_stationDatabase, station.lastError().text());
        if (entries.isEmpty())
            return failure;
        if (!openSite())
            return m_site->lastError();
        for (const SiteOutbox::Entry &entry : entries) {
            lastTried = entry.id;
            if (!sendEntry(entry)) {
                failure = m_site->lastError();
                // A lost connection fails every entry alike: all of them wait for the next pass.
                if (closeIfLost())
                    return failure;
                continue;
            }
            if (!SiteOutbox::remove(station, entry.id))
                failure = QStringLiteral("a sent entry could not leave the outbox: %1")
                              .arg(station.lastError().text());
        }
    }
}

bool SiteSendWorker::sendEntry(const SiteOutbox::Entry &entry)
{
    switch (entry.kind) {
    case SiteOutbox::Session:
        return m_site->upsertSession(m_settings.station, entry.key, entry.record);
    case SiteOutbox::Task:
        return m_site->upsertTask(m_settings.station, entry.record);
    case SiteOutbox::TaskRemoval:
        return m_site->markTaskRemoved(m_settings.station, entry.key);
    case SiteOutbox::SessionWithdrawal:
        return m_site->markSessionWithdrawn(m_settings.station, entry.key, entry.record);
    }
    return false;
}

void SiteSendWorker::scheduleRetry(bool anythingWaits)
{
    if (anythingWaits)
        m_retryTimer->start();
    else
        m_retryTimer->stop();
}

void SiteSendWorker::loadOverview()
{
    bool ok = false;
    const QVector<SiteDisplayRow> rows = openSite() ? m_site->overview(&ok) : QVector<SiteDisplayRow>();
    if (!ok)
        closeIfLost();
    emit overviewLoaded(rows, ok ? QString() : m_site->lastError());
}

void SiteSendWorker::loadRecord(const QString &uuid)
{
    const QVariantMap record = openSite() ? m_site->sessionRecord(uuid) : QVariantMap();
    if (record.isEmpty())
        closeIfLost();
    emit recordLoaded(record, record.isEmpty() ? m_site->lastError() : QString());
}

// A connection the server dropped stays open on this side: closed here, the next
// request connects again.
bool SiteSendWorker::closeIfLost()
{
    if (!m_site->isOpen() || m_site->isResponding())
        return false;
    m_site->close();
    return true;
}
