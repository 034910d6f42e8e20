#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// A value of the settings file as the program may use it: one that is there
// but damaged or out of range reads as its default, so that no argument its
// operator did not choose reaches an instrument program, and is named
// ("levels=abc") so that a settings page can say which.
class StoredSetting
{
public:
    static int integer(const QSettings &settings, const QString &key, int fallback, bool (*valid)(int),
                       QStringList *unreadable = nullptr);
    static void noteUnreadable(const QSettings &settings, const QString &key, bool readable, QStringList *unreadable);
};
