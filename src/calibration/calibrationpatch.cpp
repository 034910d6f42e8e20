#include "calibrationpatch.h"

#include "testpattern.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

CalibrationPatch::CalibrationPatch(int screenIndex)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("calibrationPatch"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = screens.value(screenIndex, QGuiApplication::primaryScreen());
    setGeometry(screen->geometry());
}

void CalibrationPatch::showLevel(int level)
{
    m_level = level;
    if (!isVisible())
        show();
    update();
}

void CalibrationPatch::paintEvent(QPaintEvent *)
{
    // Drawn in the screen's own pixels, so the patch is the size the pattern defines.
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&image);
        const QRect devicePixels(QPoint(), image.size());
        painter.scale(1 / ratio, 1 / ratio);
        if (m_level == black)
            painter.fillRect(devicePixels, Qt::black);
        else
            NSTESTPatter::TestPattern::paintTg18Ln(&painter, devicePixels, m_level);
    }
    QPainter(this).drawImage(QPoint(), image);
}

void CalibrationPatch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        emit cancelRequested();
    else
        QWidget::keyPressEvent(event);
}
