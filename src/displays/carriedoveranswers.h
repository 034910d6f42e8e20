#pragma once

#include <QDateTime>
#include <QList>
#include <QVariantMap>

class QWidget;

// A daily constancy test takes the operator, institution and device answers of
// the display's latest session: the operator confirms them once ("unchanged
// since DATE?") instead of stepping through them.
class CarriedOverAnswers
{
public:
    // The groups confirmed as unchanged; none when the latest session lacks one
    // of them or the operator wants to answer them anew.
    static QList<unsigned> confirm(QWidget *parent, const QList<unsigned> &carriedOver, const QVariantMap &latest,
                                   const QDateTime &latestDate);
};
