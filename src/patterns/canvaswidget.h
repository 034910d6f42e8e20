#pragma once

#include <QRect>
#include <QVector>
#include <QWidget>

namespace NSTESTPatter {
class TestPattern;
}

// Shows one test pattern over its whole area, redrawn at the current size on
// every paint, in the device pixels of its screen.
class CanvasWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CanvasWidget(QWidget *parent = nullptr);

    // Selects the pattern by its key text, as the catalogue names it, and
    // asks for a repaint.
    void setPattern(const QString &key);
    NSTESTPatter::TestPattern *pattern() const { return m_pattern; }
    // The canvas's size in the pixels of its screen, which the pattern is drawn at.
    QSize deviceSize() const;
    // Rings drawn round the pattern's measured fields that the operator is to
    // place the meter on (in device pixels); empty for none. Only while the
    // operator is asked: the meter never reads with a ring on the screen.
    void setOutlined(const QVector<QRect> &fields);
    QVector<QRect> outlined() const { return m_outlined; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawOutlines(QPainter *painter) const;

    NSTESTPatter::TestPattern *m_pattern;
    QVector<QRect> m_outlined;
};
