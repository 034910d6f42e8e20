#pragma once

#include "sitesessionsummary.h"

#include <QDateTime>
#include <QMetaType>
#include <QVector>

// One row of the site page: a station's display, its newest session and when
// the station's next task for that display, or for any display, falls due.
struct SiteDisplayRow
{
    SiteSessionSummary lastSession;
    QDateTime nextDue;
};

Q_DECLARE_METATYPE(SiteDisplayRow)
Q_DECLARE_METATYPE(QVector<SiteDisplayRow>)
