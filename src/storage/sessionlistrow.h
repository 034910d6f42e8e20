#pragma once

#include <QString>
#include <QVariantMap>

// One row of the list of stored sessions as read from the store: the list's
// columns only, kept compact and converted into the map the rest of the
// program reads (summary()) only when a row is shown or used, so that years of
// sessions cost the list little time and memory.
struct SessionListRow
{
    qint64 id = 0;
    QString uuid;
    bool hasDate = false;
    qint64 dateMsecs = 0;
    QString tester;
    int monitorSelected = 0;
    QString monitorInfo;
    uint testCount = 0;
    qint64 failedCount = 0;
    QString testType;
    QString displayMaker;
    QString displayModel;
    QString displaySerial;
    bool withdrawn = false;
    QString withdrawnBy;
    QString withdrawnAt; // ISO 8601, UTC
    QString withdrawalReason;

    // "id", "uuid", "date" (local time), "tester", "monitorselected",
    // "monitorinfo", "ntest", "nfailedtestcontents", "testtype", "display"
    // with "maker", "model" and "serial", and for a withdrawn session
    // "withdrawal" with "withdrawnBy", "withdrawnAt" and "reason".
    QVariantMap summary() const;
};
