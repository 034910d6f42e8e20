#include "compositepatternpainter.h"

#include "greylevel.h"
#include "testpatternhighlighter.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <QtMath>

#include <algorithm>

namespace NSTESTPatter {

namespace {

const QColor kGreen(0, 255, 0);
const int kGridGrey = 192;
const int kFlatZoneGrey = 128;
const int kLowContrastFirstGrey = 129;
const int kLowContrastSecondGrey = 131;

// Pixel positions of the pattern either truncate or round half away from zero,
// and which one a step uses is part of its look; these names keep that visible.
int truncated(double value)
{
    return int(value);
}

int ceilHalf(int value)
{
    return qCeil(value / 2.0);
}

QPen solidPen(const QBrush &brush, qreal width)
{
    return QPen(brush, width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

// How many binary digits a whole number has; 0 for 0. Halving until nothing is
// left also ends for negative numbers, which tiny rectangles produce.
int binaryDigits(int value)
{
    int digits = 0;
    while (value != 0) {
        value /= 2;
        ++digits;
    }
    return digits;
}

} // namespace

// A resolution zone with its three flags: A swaps the stripe widths of the two
// bands, B puts the high-contrast half on the right, D turns the stripes of
// the top quadrants horizontal (and those of the bottom quadrants vertical).
struct CompositePatternPainter::Zone
{
    QRect rect;
    bool swapWidths;
    bool highContrastRight;
    bool horizontalOnTop;
};

// One band of a striped quadrant, in the coordinates of the zone's image.
struct CompositePatternPainter::StripedBand
{
    int left;
    int top;
    int width;
    bool verticalBars;
    int stripeWidth;
    QRgb first;
    QRgb second;
};

CompositePatternPainter::CompositePatternPainter(QPainter *painter, const QRect &rect, double cellWidth,
                                                 double cellHeight, int category,
                                                 const TestPatternHighlighter &highlighter)
    : m_painter(painter), m_rect(rect), m_cw(qMin(cellWidth, cellHeight)), m_ch(m_cw), m_cwi(qRound(m_cw)),
      m_chi(m_cwi), m_category(category), m_highlighter(highlighter)
{
    const int side = qRound(12 * m_cw) + 12;
    m_grid = QRect(rect.left() + (rect.width() - side) / 2, rect.top() + (rect.height() - side) / 2, side, side);
}

void CompositePatternPainter::paint()
{
    drawBorder();
    // The layers below are placed from the grid's corner; the background grey
    // TestPattern laid down stays round it.
    m_painter->save();
    m_painter->translate(m_grid.topLeft());
    if (m_category == 3)
        drawGrayLevelRing();
    drawGridLines();
    drawResolutionZones();
    drawBlackAndWhiteBars();
    drawHalvingBars();
    drawGradientRamps();
    drawQualityBoxes();
    m_painter->restore();
    drawHighlightOutlines();
}

int CompositePatternPainter::gridX(int k) const
{
    return qRound(k * m_cw) + 6;
}

int CompositePatternPainter::gridY(int k) const
{
    return qRound(k * m_ch) + 6;
}

void CompositePatternPainter::drawBorder()
{
    const QColor colour = m_highlighter.element() == TestPatternHighlighter::Border ? kGreen : QColor(Qt::white);
    const int left = m_rect.left();
    const int top = m_rect.top();
    const int right = m_rect.right();
    const int bottom = m_rect.bottom();
    m_painter->fillRect(QRect(QPoint(left, top), QPoint(right, top + 1)), colour);
    m_painter->fillRect(QRect(QPoint(right - 1, top), QPoint(right, bottom)), colour);
    m_painter->fillRect(QRect(QPoint(left, bottom - 1), QPoint(right, bottom)), colour);
    m_painter->fillRect(QRect(QPoint(left, top), QPoint(left + 1, bottom)), colour);
}

void CompositePatternPainter::drawGrayLevelRing()
{
    const int cornerWidth = qRound(m_cw / 8);
    const int cornerHeight = qRound(m_ch / 8);
    for (int i = 0; i < 16; ++i) {
        const int level = 8 + 16 * i;
        // Up column 3 (rows 8 to 3), along row 3 (columns 4 to 7), down column 8.
        double column = 3;
        double row = 3;
        if (i <= 5) {
            row = 8 - i;
        } else if (i <= 9) {
            column = i - 2;
        } else {
            column = 8;
            row = i - 7;
        }
        const double x = column * m_cw + 6;
        const double y = row * m_ch + 6;
        const int left = qRound(x);
        const int top = qRound(y);
        const int cornerLeft = qRound(x + m_cwi - m_cw / 8);
        const int cornerTop = qRound(y + m_chi - m_ch / 8);
        m_painter->fillRect(QRect(left, top, m_cwi, m_chi), greyLevel(level));
        m_painter->fillRect(QRect(left, top, cornerWidth, cornerHeight), greyLevel(level + 4));
        m_painter->fillRect(QRect(left, cornerTop, cornerWidth, cornerHeight), greyLevel(level - 4));
        m_painter->fillRect(QRect(cornerLeft, top, cornerWidth, cornerHeight), greyLevel(level - 4));
        m_painter->fillRect(QRect(cornerLeft, cornerTop, cornerWidth, cornerHeight), greyLevel(level + 4));
    }

    const QSize innerSize(qRound(m_cw / 2), qRound(m_ch / 2));
    const int patchTop = qRound(8 * m_ch + 6);
    const int innerTop = qRound(8.25 * m_ch + 6);
    m_painter->fillRect(QRect(qRound(4 * m_cw + 6), patchTop, m_cwi, m_chi), Qt::black);
    m_painter->fillRect(QRect(QPoint(qRound(4.25 * m_cw + 6), innerTop), innerSize), greyLevel(12));
    m_painter->fillRect(QRect(qRound(7 * m_cw + 6), patchTop, m_cwi, m_chi), Qt::white);
    m_painter->fillRect(QRect(QPoint(qRound(7.25 * m_cw + 6), innerTop), innerSize), greyLevel(242));
}

void CompositePatternPainter::drawGridLines()
{
    const QColor colour = m_highlighter.element() == TestPatternHighlighter::GridLines ? kGreen : greyLevel(kGridGrey);
    m_painter->setPen(solidPen(colour, 2.0));
    m_painter->setBrush(Qt::NoBrush);
    const int width = m_grid.width();
    const int height = m_grid.height();
    for (int k = 0; k <= 12; ++k) {
        const int x = qRound(k * m_cw + 6);
        const int y = qRound(k * m_ch + 6);
        m_painter->drawLine(QLine(x, 6, x, height - 6));
        m_painter->drawLine(QLine(6, y, width - 6, y));
    }
}

void CompositePatternPainter::drawResolutionZones()
{
    // Each zone lies one pixel inside the grid lines round its cells.
    const int zoneWidth = qRound(2 * m_cw) - 2;
    const int zoneHeight = m_chi - 2;
    const int rightLeft = gridX(10) + 1;
    const int bottomTop = gridY(11) + 1;
    const Zone zones[] = {
        {QRect(7, 7, zoneWidth, zoneHeight), false, false, false},
        {QRect(7, bottomTop, zoneWidth, zoneHeight), false, false, true},
        {QRect(rightLeft, 7, zoneWidth, zoneHeight), true, true, false},
        {QRect(rightLeft, bottomTop, zoneWidth, zoneHeight), true, true, false},
        {QRect(gridX(5) + 1, gridY(5) + 1, zoneWidth, gridY(5) - gridY(4) - 2), false, false, false},
    };
    for (const Zone &zone : zones) {
        if (m_category == 2)
            m_painter->fillRect(zone.rect, greyLevel(kFlatZoneGrey));
        else
            drawStripedZone(zone);
    }
}

void CompositePatternPainter::drawStripedZone(const Zone &zone)
{
    const QRect &rect = zone.rect;
    const int halfWidth = ceilHalf(rect.width());
    const int halfHeight = ceilHalf(rect.height());
    if (halfWidth <= 0 || halfHeight <= 0)
        return;
    const int highLeft = zone.highContrastRight ? halfWidth : 0;
    const int lowLeft = zone.highContrastRight ? 0 : halfWidth;
    const int leftBandWidth = ceilHalf(halfWidth);
    const int leftStripe = zone.swapWidths ? 2 : 1;
    const int rightStripe = zone.swapWidths ? 1 : 2;
    const bool topVertical = !zone.horizontalOnTop;
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb lowFirst = greyLevel(kLowContrastFirstGrey).rgb();
    const QRgb lowSecond = greyLevel(kLowContrastSecondGrey).rgb();

    // The four quadrants (each split into two bands) are composed in memory and
    // put on the painter in one go: hundreds of one-pixel stripes per zone would
    // otherwise each be a fill of their own. Quadrants are a whole half wide and
    // high, so they may reach one pixel past an odd-sized zone.
    QImage image(2 * halfWidth, 2 * halfHeight, QImage::Format_RGB32);
    const StripedBand bands[] = {
        {highLeft, 0, leftBandWidth, topVertical, leftStripe, white, black},
        {highLeft + leftBandWidth, 0, halfWidth - leftBandWidth, topVertical, rightStripe, white, black},
        {highLeft, halfHeight, leftBandWidth, !topVertical, leftStripe, white, black},
        {highLeft + leftBandWidth, halfHeight, halfWidth - leftBandWidth, !topVertical, rightStripe, white, black},
        {lowLeft, 0, leftBandWidth, topVertical, leftStripe, lowFirst, lowSecond},
        {lowLeft + leftBandWidth, 0, halfWidth - leftBandWidth, topVertical, rightStripe, lowFirst, lowSecond},
        {lowLeft, halfHeight, leftBandWidth, !topVertical, leftStripe, lowFirst, lowSecond},
        {lowLeft + leftBandWidth, halfHeight, halfWidth - leftBandWidth, !topVertical, rightStripe, lowFirst,
         lowSecond},
    };
    for (const StripedBand &band : bands)
        paintStripedBand(&image, band, halfHeight);
    m_painter->drawImage(rect.topLeft(), image);
}

// Stripe k of a band, k * stripeWidth from its start, takes the first colour
// when k is even; the band's far edge cuts the last stripe.
void CompositePatternPainter::paintStripedBand(QImage *image, const StripedBand &band, int height)
{
    if (band.width <= 0)
        return;
    const auto colourAt = [&band](int offset) {
        return (offset / band.stripeWidth) % 2 == 0 ? band.first : band.second;
    };
    const auto lineAt = [&](int row) { return reinterpret_cast<QRgb *>(image->scanLine(band.top + row)) + band.left; };
    for (int row = 0; row < height; ++row) {
        QRgb *line = lineAt(row);
        if (!band.verticalBars)
            std::fill(line, line + band.width, colourAt(row));
        else if (row > 0)
            std::copy(lineAt(0), lineAt(0) + band.width, line);
        else
            for (int column = 0; column < band.width; ++column)
                line[column] = colourAt(column);
    }
}

void CompositePatternPainter::drawBlackAndWhiteBars()
{
    const int longLeft = truncated(1.5 * m_cw + 6);
    const int longWidth = truncated(8 * m_cw);
    const int longHeight = truncated(m_ch / 4);
    m_painter->fillRect(QRect(longLeft, truncated(1.5 * m_ch + 6), longWidth, longHeight), Qt::black);
    m_painter->fillRect(QRect(longLeft, truncated(1.75 * m_ch + 6), longWidth, longHeight), Qt::white);

    const int shortLeft = truncated(3.5 * m_cw + 6);
    const int shortWidth = truncated(4 * m_cw);
    const int shortHeight = truncated(m_ch / 8);
    m_painter->fillRect(QRect(shortLeft, truncated(1.5 * m_ch + 6 + m_ch / 8), shortWidth, shortHeight), Qt::white);
    m_painter->fillRect(QRect(shortLeft, truncated(1.75 * m_ch + 6), shortWidth, shortHeight), Qt::black);
}

void CompositePatternPainter::drawHalvingBars()
{
    const int stripHeight = qRound(m_chi / 2.0);
    const int stripLeft = truncated(3 * m_cw + 6);
    const int stripWidth = truncated(6 * m_cw);
    m_painter->fillRect(QRect(stripLeft, 6, stripWidth, stripHeight), Qt::white);
    m_painter->fillRect(QRect(stripLeft, qRound(m_ch / 2) + 6, stripWidth, stripHeight), Qt::black);

    const int steps = binaryDigits(truncated(2 * m_cw));
    if (steps == 0)
        return;
    const double step = (m_ch / 2 - 12) / steps;
    const int barHeight = qRound(step);
    const int rightLeft = qRound(6.5 * m_cw + 6);
    double barWidth = 2 * m_cw;
    for (int j = 0; j < steps; ++j, barWidth /= 2) {
        const int width = qRound(barWidth);
        // The first left bar starts at 3.5 cells; the narrower ones all end
        // where it ends, at 5.5 cells.
        const int leftLeft = j == 0 ? qRound(3.5 * m_cw + 6) : qRound(5.5 * m_cw + 6 - width);
        const int blackTop = truncated(12 + j * step);
        const int whiteTop = truncated(m_ch - 6 + step - j * step);
        m_painter->fillRect(QRect(leftLeft, blackTop, width, barHeight), Qt::black);
        m_painter->fillRect(QRect(rightLeft, blackTop, width, barHeight), Qt::black);
        m_painter->fillRect(QRect(leftLeft, whiteTop, width, barHeight), Qt::white);
        m_painter->fillRect(QRect(rightLeft, whiteTop, width, barHeight), Qt::white);
    }
}

void CompositePatternPainter::drawGradientRamps()
{
    const int top = truncated(3 * m_ch + 6);
    const QSize size(truncated(m_cw), truncated(6 * m_ch));
    const QPointF leftStart(m_cw + 6, 3 * m_ch + 6);
    const QPointF rightStart(10 * m_cw + 6, 3 * m_ch + 6);
    const QPointF diagonal(m_cw, 6 * m_ch);

    QLinearGradient whiteToBlack(leftStart, leftStart + diagonal);
    whiteToBlack.setColorAt(0, Qt::white);
    whiteToBlack.setColorAt(1, Qt::black);
    m_painter->fillRect(QRect(QPoint(truncated(m_cw + 6), top), size), whiteToBlack);

    QLinearGradient blackToWhite(rightStart, rightStart + diagonal);
    blackToWhite.setColorAt(0, Qt::black);
    blackToWhite.setColorAt(1, Qt::white);
    m_painter->fillRect(QRect(QPoint(truncated(10 * m_cw + 6), top), size), blackToWhite);
}

void CompositePatternPainter::drawQualityBoxes()
{
    struct Box
    {
        int column;
        QColor fill;
        QColor textStart;
        QColor textEnd;
    };
    const Box boxes[] = {
        {3, Qt::black, greyLevel(6), Qt::black},
        {5, greyLevel(129), greyLevel(143), greyLevel(130)},
        {7, Qt::white, greyLevel(241), greyLevel(254)},
    };
    const int boxWidth = 2 * m_cwi;
    const int pointSize = truncated(m_chi * 0.25);
    // A rectangle too small for a one-point font gets its fills but no lettering.
    const bool lettered = pointSize > 0 && boxWidth > 0;
    if (lettered) {
        QFont font(QStringLiteral("Arial Black"));
        // Where Arial Black is missing, the heaviest face of the substitute comes closest.
        font.setWeight(QFont::Black);
        font.setPointSize(pointSize);
        m_painter->setFont(font);
    }
    const double y = 9 * m_ch + 6;
    for (const Box &box : boxes) {
        const double x = box.column * m_cw + 6;
        const QRect rect(truncated(x), truncated(y), boxWidth, m_chi);
        m_painter->fillRect(rect, box.fill);
        if (!lettered)
            continue;
        QLinearGradient gradient(QPointF(x + boxWidth / 4.0, y), QPointF(x + boxWidth - boxWidth / 4.0, y + m_chi));
        gradient.setColorAt(0, box.textStart);
        gradient.setColorAt(1, box.textEnd);
        m_painter->setPen(solidPen(gradient, boxWidth));
        m_painter->drawText(rect, Qt::AlignCenter, QStringLiteral("QUALITY\nCONTROL"));
    }
}

void CompositePatternPainter::drawHighlightOutlines()
{
    m_painter->setPen(solidPen(kGreen, 2.0));
    m_painter->setBrush(Qt::NoBrush);
    for (const QPolygon &outline : highlightOutlines())
        m_painter->drawPolyline(outline);
}

QVector<QPolygon> CompositePatternPainter::highlightOutlines() const
{
    QVector<QPolygon> outlines;
    const int element = m_highlighter.element();

    if (element == TestPatternHighlighter::GridAndResolutionZone ||
        element == TestPatternHighlighter::HighContrastResolution ||
        element == TestPatternHighlighter::LowContrastResolution) {
        const int position = m_highlighter.position();
        if (position == TestPatternHighlighter::AllPositions) {
            for (int zone :
                 {TestPatternHighlighter::TopLeft, TestPatternHighlighter::BottomLeft, TestPatternHighlighter::TopRight,
                  TestPatternHighlighter::BottomRight, TestPatternHighlighter::Centre})
                outlines << zoneOutline(zone, element);
        } else if (position >= TestPatternHighlighter::Centre && position < TestPatternHighlighter::AllPositions) {
            outlines << zoneOutline(position, element);
        }
    }

    if (element == TestPatternHighlighter::BlackAndWhiteBars)
        outlines << outline(gridX(1), gridY(0), gridX(10), gridY(2));

    const int grayLevelIndex = m_highlighter.grayLevelIndex();
    if (element == TestPatternHighlighter::GrayLevels) {
        if (grayLevelIndex == 0) {
            outlines << QPolygon({
                {gridX(3), gridY(9)}, {gridX(3), gridY(3)}, {gridX(9), gridY(3)},
                {gridX(9), gridY(9)}, {gridX(8), gridY(9)}, {gridX(8), gridY(4)},
                {gridX(4), gridY(4)}, {gridX(4), gridY(9)}, {gridX(3), gridY(9)},
            });
        }
        if (grayLevelIndex == 1 || grayLevelIndex == 2)
            outlines << outline(gridX(4), gridY(8), gridX(5), gridY(9));
        // The 5 % / 95 % test compares both patches, so both are outlined.
        if (grayLevelIndex == 2 || grayLevelIndex == 3)
            outlines << outline(gridX(7), gridY(8), gridX(8), gridY(9));
    }

    if (element == TestPatternHighlighter::QualityBoxes) {
        const int index = m_highlighter.qualityIndex();
        if (index == 2 || index == 4 || index == 5 || index == 6)
            outlines << outline(gridX(3), gridY(9), gridX(5), gridY(10));
        if (index == 1 || index == 3 || index == 4 || index == 6)
            outlines << outline(gridX(5), gridY(9), gridX(7), gridY(10));
        if (index == 0 || index == 3 || index == 5 || index == 6)
            outlines << outline(gridX(7), gridY(9), gridX(9), gridY(10));
    }

    if (element == TestPatternHighlighter::Gradients) {
        outlines << outline(gridX(1), gridY(3), gridX(2), gridY(9));
        outlines << outline(gridX(10), gridY(3), gridX(11), gridY(9));
    }
    for (QPolygon &polygon : outlines)
        polygon.translate(m_grid.topLeft());
    return outlines;
}

QPolygon CompositePatternPainter::zoneOutline(int position, int element) const
{
    const int width = element == TestPatternHighlighter::GridAndResolutionZone ? qRound(2 * m_cw) : m_cwi;
    // The high-contrast half is on the left of the left-hand and centre zones
    // and on the right of the right-hand zones.
    const int leftShift = element == TestPatternHighlighter::LowContrastResolution ? m_cwi : 0;
    const int rightShift = element == TestPatternHighlighter::HighContrastResolution ? m_cwi : 0;
    const int rightColumn = gridX(10);
    const int bottomRow = gridY(11);

    int left = 0;
    int top = 0;
    int bottom = 0;
    switch (position) {
    case TestPatternHighlighter::TopLeft:
        left = 6 + leftShift;
        top = 6;
        bottom = m_chi + 6;
        break;
    case TestPatternHighlighter::TopRight:
        left = rightColumn + rightShift;
        top = 6;
        bottom = m_chi + 6;
        break;
    case TestPatternHighlighter::BottomLeft:
        left = 6 + leftShift;
        top = bottomRow;
        bottom = top + m_chi;
        break;
    case TestPatternHighlighter::BottomRight:
        left = rightColumn + rightShift;
        top = bottomRow;
        bottom = top + m_chi;
        break;
    default:
        left = gridX(5) + leftShift;
        top = gridY(5);
        bottom = gridY(6);
        break;
    }
    return outline(left, top, left + width, bottom);
}

QPolygon CompositePatternPainter::outline(int left, int top, int right, int bottom)
{
    return QPolygon({{left, bottom}, {left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

} // namespace NSTESTPatter
