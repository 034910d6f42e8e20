#pragma once

#include <QPolygon>
#include <QRect>
#include <QVector>

class QImage;
class QPainter;

namespace NSTESTPatter {

class TestPatternHighlighter;

// Paints the composite quality-control pattern, layer by layer, on a 12 x 12
// grid of square cells centred in the rectangle: the pattern shows whether a
// square stays square, so its cells take the smaller of the two cell sizes that
// TestPattern computed, and only the border follows the rectangle's edges.
class CompositePatternPainter
{
public:
    CompositePatternPainter(QPainter *painter, const QRect &rect, double cellWidth, double cellHeight, int category,
                            const TestPatternHighlighter &highlighter);

    void paint();
    // The green outlines round the element the current test asks about, each a
    // closed polyline; empty when nothing is emphasised. The painter is not used.
    QVector<QPolygon> highlightOutlines() const;

private:
    struct Zone;
    struct StripedBand;

    void drawBorder();
    void drawGrayLevelRing();
    void drawGridLines();
    void drawResolutionZones();
    void drawStripedZone(const Zone &zone);
    static void paintStripedBand(QImage *image, const StripedBand &band, int height);
    void drawBlackAndWhiteBars();
    void drawHalvingBars();
    void drawGradientRamps();
    void drawQualityBoxes();
    void drawHighlightOutlines();
    QPolygon zoneOutline(int position, int element) const;
    static QPolygon outline(int left, int top, int right, int bottom);

    int gridX(int k) const;
    int gridY(int k) const;

    QPainter *m_painter;
    QRect m_rect;
    // The square grid with its 6-pixel margin; every element but the border is placed in it.
    QRect m_grid;
    double m_cw;
    double m_ch;
    int m_cwi;
    int m_chi;
    int m_category;
    const TestPatternHighlighter &m_highlighter;
};

} // namespace NSTESTPatter
