#pragma once

#include <QSize>
#include <QSizeF>
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
        QSizeF physicalSizeMm;
    };

    virtual ~ScreenIdentity();

    // The identity of the desktop's screen at that index; empty for a screen that
    // does not exist or does not tell (a virtual screen).
    virtual Identity identity(int screenIndex) const;

    // The diagonal in whole inches, as the answer text; empty when the size is not known.
    static QString diagonalInches(const Identity &identity);
    // "MAKER MODEL (SN 123), 4200 x 2800": how the monitor chooser names a screen.
    static QString description(const Identity &identity);
};
