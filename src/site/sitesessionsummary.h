#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

// What the site database keeps beside a session's full record, so that the site
// page and the listing read a few columns instead of every record.
struct SiteSessionSummary
{
    QString uuid;
    QString station;
    QDateTime storedAt;
    QString tester;
    QString displayMaker;
    QString displayModel;
    QString displaySerial;
    QString testType;
    int testCount = 0;
    int failedCount = 0;
    // The site database login that sent the session; empty for one not read from the site.
    QString sentBy;
    // A session withdrawn at its station: who withdrew it, when and why.
    QString withdrawnBy;
    QDateTime withdrawnAt;
    QString withdrawalReason;

    // "withdrawnBy", "withdrawnAt" and "reason" as the station's list gives
    // them; empty for a session that was not withdrawn.
    QVariantMap withdrawal() const;

    // The summary of a stored session record; the display comes from the
    // record's "display" map or, for sessions stored before there was one, from
    // the answers to the device questions.
    static SiteSessionSummary fromRecord(const QVariantMap &record);
};
