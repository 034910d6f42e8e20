#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Keeps windows and dialogs within the available area of their screen (the
// screen less its panels), down to small and high-density screens.
class ScreenFit
{
public:
    // Room left round a window for the frame and title bar the window manager adds.
    static QSize frameAllowance();
    // The available area of the screen the widget is on, or of the primary screen.
    static QRect availableGeometry(const QWidget *widget);
    // Gives the window the wanted size, or as much of it as the screen allows,
    // and moves a window placed before into the available area.
    static void fit(QWidget *window, const QSize &wanted);
};
