#pragma once

#include <QByteArray>

#include <time.h>

// The date tests cross Central European daylight-saving changes, so they run in
// that zone whatever the machine is set to. Called before any date is made.
inline void useBerlinTime()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}
