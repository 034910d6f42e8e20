#include "sitesender.h"

#include "sessiondatabase.h"
#include "siteoutbox.h"
#include "sitesendworker.h"

#include <QPointer>
#include <QTimer>

SiteSender::SiteSender(const SiteSettings &settings, const QString &stationDatabase, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_worker(new SiteSendWorker(settings, stationDatabase))
{
    qRegisterMetaType<QVector<SiteDisplayRow>>();
    m_thread.setObjectName(QStringLiteral("lumivex-site-sender"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SiteSendWorker::sendFinished, this, &SiteSender::takeStatus);
    connect(m_worker, &SiteSendWorker::overviewLoaded, this, &SiteSender::overviewLoaded);
    connect(m_worker, &SiteSendWorker::recordLoaded, this, &SiteSender::recordLoaded);
    m_thread.start();
}

SiteSender::~SiteSender()
{
    m_thread.quit();
    m_thread.wait();
}

void SiteSender::watch(SessionDatabase *database)
{
    QPointer<SiteSender> sender(this);
    database->addChangeHook([sender](QSqlDatabase &connection, const SessionDatabase::Change &change) {
        if (!SiteOutbox::recordChange(connection, change))
            return false;
        // The change commits when the hook returns; the sender reads it after that.
        if (sender)
            QTimer::singleShot(0, sender, &SiteSender::send);
        return true;
    });
}

void SiteSender::send()
{
    QMetaObject::invokeMethod(m_worker, &SiteSendWorker::sendOutbox, Qt::QueuedConnection);
}

void SiteSender::requestOverview()
{
    QMetaObject::invokeMethod(m_worker, &SiteSendWorker::loadOverview, Qt::QueuedConnection);
}

void SiteSender::requestRecord(const QString &uuid)
{
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, uuid] { worker->loadRecord(uuid); }, Qt::QueuedConnection);
}

void SiteSender::takeStatus(int waitingSessions, const QString &failure)
{
    m_waitingSessions = waitingSessions;
    m_lastFailure = failure;
    emit statusChanged(waitingSessions, failure);
}
