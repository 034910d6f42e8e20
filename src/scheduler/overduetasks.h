#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

class TaskScheduler;

// The due tasks whose day has passed, with how many days they are overdue, as
// the home page, the tray, the displays page and the site page tell them.
class OverdueTasks
{
public:
    struct Entry
    {
        QString description;
        QVariantMap display;
        int days = 0;
    };

    static QList<Entry> of(const QList<TaskScheduler *> &tasks, const QDateTime &now);
    // The most days any task of each display is overdue, by DisplayRecord::key.
    static QMap<QString, int> byDisplay(const QList<Entry> &entries);
    // One line for each task: "Description: 3 days overdue".
    static QString lines(const QList<Entry> &entries);
    static QString daysText(int days);
    // Whether the tray, last told on `lastTold`, tells again today: once a day.
    static bool tellAgain(const QDate &lastTold, const QDate &today) { return lastTold != today; }
};
