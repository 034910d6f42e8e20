#pragma once

#include "sitedisplayrow.h"
#include "sitesettings.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QVariantMap>
#include <QVector>

class SessionDatabase;
class SiteSendWorker;

// Sends the station's outbox to the site database and reads the site back, on a
// thread of its own: the window only asks and later hears the answer. It sends
// when asked (at start and after each change) and, while anything waits, every
// five minutes; a connection that hangs is given up after five seconds.
class SiteSender : public QObject
{
    Q_OBJECT

public:
    SiteSender(const SiteSettings &settings, const QString &stationDatabase, QObject *parent = nullptr);
    // Waits for a pass under way, at most for its connection's time limit.
    ~SiteSender() override;

    // Queues every change of the station's database for the site in the change's
    // own transaction, and sends once the change is stored.
    void watch(SessionDatabase *database);

    SiteSettings settings() const { return m_settings; }
    int waitingSessions() const { return m_waitingSessions; }
    QString lastFailure() const { return m_lastFailure; }

public slots:
    void send();
    void requestOverview();
    void requestRecord(const QString &uuid);

signals:
    // After each pass: the sessions still waiting (-1 when unknown) and why the
    // last pass failed (empty when it did not).
    void statusChanged(int waitingSessions, const QString &failure);
    void overviewLoaded(const QVector<SiteDisplayRow> &rows, const QString &failure);
    void recordLoaded(const QVariantMap &record, const QString &failure);

private:
    void takeStatus(int waitingSessions, const QString &failure);

    SiteSettings m_settings;
    QThread m_thread;
    SiteSendWorker *m_worker;
    int m_waitingSessions = 0;
    QString m_lastFailure;
};
