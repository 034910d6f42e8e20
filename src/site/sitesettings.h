#pragma once

#include <QString>

// The site database a station sends its records to: the keys "database" (a
// libpq connection URI) and "station" (this workstation's name, the host name
// by default) of the group "SITE" in the settings file. Without "database"
// nothing of the site database is active.
struct SiteSettings
{
    QString databaseUri;
    QString station;

    bool isConfigured() const { return !databaseUri.isEmpty(); }

    static SiteSettings read(const QString &settingsFile);
};
