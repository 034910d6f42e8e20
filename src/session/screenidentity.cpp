#include "screenidentity.h"

#include <QGuiApplication>
#include <QScreen>

ScreenIdentity::~ScreenIdentity() = default;

ScreenIdentity::Identity ScreenIdentity::identity(int screenIndex) const
{
    const QScreen *screen = QGuiApplication::screens().value(screenIndex);
    if (!screen)
        return {};
    return {screen->manufacturer(), screen->model(), screen->serialNumber(),
            screen->geometry().size() * screen->devicePixelRatio()};
}
