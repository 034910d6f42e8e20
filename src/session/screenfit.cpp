#include "screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QSize ScreenFit::frameAllowance()
{
    return QSize(16, 48);
}

QRect ScreenFit::availableGeometry(const QWidget *widget)
{
    const QWidget *window = widget ? widget->window() : nullptr;
    const QWidget *anchor = window && window->parentWidget() ? window->parentWidget()->window() : window;
    QScreen *screen = anchor ? anchor->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void ScreenFit::fit(QWidget *window, const QSize &wanted)
{
    const QRect available = availableGeometry(window);
    if (available.isEmpty())
        return;
    const QSize room = available.size() - frameAllowance();
    window->resize(wanted.boundedTo(room).expandedTo(window->minimumSize()));
    // A window not placed yet is placed by its dialog code or the window manager,
    // both of which keep it on the screen.
    if (!window->testAttribute(Qt::WA_Moved))
        return;
    QRect placed = window->geometry();
    placed.moveLeft(qBound(available.left(), placed.left(), qMax(available.left(), available.right() - placed.width())));
    placed.moveTop(qBound(available.top(), placed.top(),
                          qMax(available.top(), available.bottom() - placed.height() - frameAllowance().height())));
    window->move(placed.topLeft());
}
