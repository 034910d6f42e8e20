#pragma once

#include "overduetasks.h"
#include "sitesessionsummary.h"

#include <QDateTime>
#include <QMetaType>
#include <QVector>

// One row of the site page: a station's display, its newest session, when
// the station's next task for that display, or for any display, falls due, and
// those of its tasks whose day has passed.
struct SiteDisplayRow
{
    SiteSessionSummary lastSession;
    QDateTime nextDue;
    QList<OverdueTasks::Entry> overdue;
};

Q_DECLARE_METATYPE(SiteDisplayRow)
Q_DECLARE_METATYPE(QVector<SiteDisplayRow>)
