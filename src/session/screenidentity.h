#pragma once

#include <QSize>
#include <QString>

// What a monitor says about itself (Qt reads it from the monitor's EDID). The
// session asks through this class so that tests can put a monitor of their own
// in place of the desktop's screens.
class ScreenIdentity
{
public:
    struct Identity
    {
        QString manufacturer;
        QString model;
        QString serialNumber;
        QSize devicePixels;
    };

    virtual ~ScreenIdentity();

    // The identity of the desktop's screen at that index; empty for a screen that
    // does not exist or does not tell (a virtual screen).
    virtual Identity identity(int screenIndex) const;
};
