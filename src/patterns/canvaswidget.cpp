#include "canvaswidget.h"

#include "testpattern.h"

#include <QPainter>

namespace {

// Bright and dashed, so the ring stands out from every grey of the patterns.
const QColor OutlineColour(255, 200, 0);
const int OutlineWidth = 4;
// Kept clear of the field's edge, so the ring adds no light to what is read there.
const int OutlineGap = 6;

} // namespace

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
    drawOutlines(&painter);
}

void CanvasWidget::setOutlined(const QVector<QRect> &fields)
{
    m_outlined = fields;
    update();
}

void CanvasWidget::drawOutlines(QPainter *painter) const
{
    if (m_outlined.isEmpty())
        return;
    painter->save();
    painter->scale(1.0 / devicePixelRatioF(), 1.0 / devicePixelRatioF());
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(OutlineColour, OutlineWidth, Qt::DashLine));
    const int margin = OutlineGap + OutlineWidth / 2;
    for (const QRect &field : m_outlined)
        painter->drawEllipse(field.adjusted(-margin, -margin, margin, margin));
    painter->restore();
}
