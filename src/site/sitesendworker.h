#pragma once

#include "sitedisplayrow.h"
#include "siteoutbox.h"
#include "sitesettings.h"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QVector>
#include <memory>

class QTimer;
class SiteDatabase;

// The half of the sender that lives on its own thread, with connections of its
// own to the site database and to the station's database: whatever the network
// does, it waits here and never in the window.
class SiteSendWorker : public QObject
{
    Q_OBJECT

public:
    SiteSendWorker(const SiteSettings &settings, const QString &stationDatabase);
    ~SiteSendWorker() override;

public slots:
    void sendOutbox();
    void loadOverview();
    void loadRecord(const QString &uuid);

signals:
    void sendFinished(int waitingSessions, const QString &failure);
    void overviewLoaded(const QVector<SiteDisplayRow> &rows, const QString &failure);
    void recordLoaded(const QVariantMap &record, const QString &failure);

private:
    bool openSite();
    bool openStation();
    QString sendEntries();
    bool sendEntry(const SiteOutbox::Entry &entry);
    bool closeIfLost();
    void scheduleRetry(bool anythingWaits);

    SiteSettings m_settings;
    QString m_stationDatabase;
    QString m_stationConnection;
    std::unique_ptr<SiteDatabase> m_site;
    QTimer *m_retryTimer = nullptr;
};
