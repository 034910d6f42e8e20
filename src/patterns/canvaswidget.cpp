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

void CanvasWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_pattern->setRect(rect());
    m_pattern->paint(&painter);
    m_pattern->setPainter(nullptr);
}
