#include "sitesettings.h"

#include <QSysInfo>
#include <QSettings>

SiteSettings SiteSettings::read(const QString &settingsFile)
{
    const QSettings settings(settingsFile, QSettings::IniFormat);
    SiteSettings site;
    site.databaseUri = settings.value(QStringLiteral("SITE/database")).toString().trimmed();
    site.station = settings.value(QStringLiteral("SITE/station")).toString().trimmed();
    if (site.station.isEmpty())
        site.station = QSysInfo::machineHostName();
    return site;
}
