#include "tg18mppatternpainter.h"

#include "greylevel.h"

#include <QLinearGradient>
#include <QPainter>

namespace NSTESTPatter {

namespace {

QLinearGradient greyRamp(const QPointF &start, const QPointF &end, int startLevel, int endLevel)
{
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0, greyLevel(startLevel));
    gradient.setColorAt(1, greyLevel(endLevel));
    return gradient;
}

} // namespace

Tg18MpPatternPainter::Tg18MpPatternPainter(QPainter *painter, double usableWidth, double cellHeight)
    : m_painter(painter), m_columnWidth(usableWidth / 16), m_step(qRound(m_columnWidth)),
      m_rampHeight(12 * qRound(cellHeight))
{
}

void Tg18MpPatternPainter::paint()
{
    drawColumns();
    drawTicks();
}

void Tg18MpPatternPainter::drawColumns()
{
    // The gradient spans the exact column width while the columns advance by
    // its rounded value, so the columns sit on a whole-pixel raster.
    double x = 6.0;
    for (int low = 0, high = 15; high <= 255; low = high + 1, high = low + 15, x += m_step) {
        const QLinearGradient ramp = greyRamp(QPointF(x, 6), QPointF(x + m_columnWidth, m_rampHeight + 6), low, high);
        m_painter->fillRect(QRect(int(x), 6, m_step, m_rampHeight), ramp);
    }
}

void Tg18MpPatternPainter::drawTicks()
{
    int low = 48;
    int high = 64;
    for (int boundary = 1; boundary <= 15; ++boundary) {
        if (boundary > 1) {
            // The second half of the boundaries starts again lower in the scale.
            low = boundary == 8 ? 112 : high + 1;
            high = low + 15;
        }
        const QBrush brush(greyRamp(QPointF(6, 6), QPointF(2 * m_step + 6, m_rampHeight + 6), low, high));
        const int x = boundary * m_step + 6;
        int tick = 1;
        for (int y = 22; y < m_rampHeight; y += 16, ++tick)
            m_painter->fillRect(QRect(x, y, tick % 4 == 0 ? 10 : 5, 1), brush);
    }
}

} // namespace NSTESTPatter
