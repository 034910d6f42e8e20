#pragma once

#include <QString>
#include <QVariantMap>

// How the task list and the task dialog name what a task is for: its display
// ("MAKER MODEL (SN 123)") and its test type, or "any" where the task names none.
class TaskTarget
{
public:
    static QString displayText(const QVariantMap &display);
    static QString testTypeText(const QString &testType);
};
