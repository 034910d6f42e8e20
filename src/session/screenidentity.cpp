#include "screenidentity.h"

#include "displayrecord.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cmath>

ScreenIdentity::~ScreenIdentity() = default;

ScreenIdentity::Identity ScreenIdentity::identity(int screenIndex) const
{
    const QScreen *screen = QGuiApplication::screens().value(screenIndex);
    if (!screen)
        return {};
    return {screen->manufacturer(), screen->model(), screen->serialNumber(),
            screen->geometry().size() * screen->devicePixelRatio(), screen->physicalSize()};
}

QString ScreenIdentity::diagonalInches(const Identity &identity)
{
    constexpr double millimetresPerInch = 25.4;
    const QSizeF size = identity.physicalSizeMm;
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    return QString::number(qRound(std::hypot(size.width(), size.height()) / millimetresPerInch));
}

QString ScreenIdentity::description(const Identity &identity)
{
    DisplayRecord display;
    display.maker = identity.manufacturer;
    display.model = identity.model;
    display.serial = identity.serialNumber;
    QString text = display.description();
    if (!identity.devicePixels.isEmpty()) {
        const QString pixels =
            QStringLiteral("%1 x %2").arg(identity.devicePixels.width()).arg(identity.devicePixels.height());
        text = text.isEmpty() ? pixels : text + QStringLiteral(", ") + pixels;
    }
    return text;
}
