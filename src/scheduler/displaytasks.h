#pragma once

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

class LimitsTable;
class TestsManager;

// The tasks every classified display has: its daily constancy test each
// working day and its periodic one at the interval of its category, both of
// which the operator may change afterwards like any task.
class DisplayTasks
{
public:
    // The records of the two tasks the display lacks; a display that has a
    // task of a type keeps it as it is.
    static QVariantList missing(const QVariantList &stored, const QVariantMap &display, const QString &category,
                                const TestsManager &catalogue, const LimitsTable &table, const QDateTime &now);
};
