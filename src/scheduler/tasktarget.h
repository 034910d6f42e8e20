#pragma once

#include "taskinterval.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

// How the task list and the task dialog name what a task is for: its display
// ("MAKER MODEL (SN 123)") and its test type, or "any" where the task names none.
class TaskTarget
{
public:
    static QString displayText(const QVariantMap &display);
    static QString testTypeText(const QString &testType);
    static QString intervalUnitText(TaskInterval::Unit unit);
    // "6 months"; the days of a task stored before units as a number alone, "-" for a single run.
    static QVariant intervalText(const TaskInterval &interval);
};
