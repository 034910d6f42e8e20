#include "canvaswidget.h"

#include "testpattern.h"

#include <QPainter>

CanvasWidget::CanvasWidget(QWidget *parent)
    : QWidget(parent), m_pattern(new NSTESTPatter::TestPattern(this, NSTESTPatter::TestPattern::kTestPatternEmpty))
{
    // Every pattern covers the whole widget, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasWidget::setPattern(const QString &key)
{
    m_pattern->setTypeString(key);
    update();
}

QSize CanvasWidget::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

void CanvasWidget::paintEvent(QPaintEvent *)
{
    // The pattern is drawn at the screen's own resolution and copied without
    // scaling: a line pair of one device pixel must stay one device pixel on a
    // high-density screen, whatever the scale factor.
    QImage frame = m_pattern->toImage(deviceSize());
    frame.setDevicePixelRatio(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), frame);
}
