#pragma once

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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    NSTESTPatter::TestPattern *m_pattern;
};
