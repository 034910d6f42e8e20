#include "storedsetting.h"

#include <QSettings>

int StoredSetting::integer(const QSettings &settings, const QString &key, int fallback, bool (*valid)(int),
                           QStringList *unreadable)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    noteUnreadable(settings, key, ok && valid(value), unreadable);
    return ok && valid(value) ? value : fallback;
}

void StoredSetting::noteUnreadable(const QSettings &settings, const QString &key, bool readable,
                                   QStringList *unreadable)
{
    if (!readable && unreadable && settings.contains(key))
        *unreadable << key + QLatin1Char('=') + settings.value(key).toString();
}
