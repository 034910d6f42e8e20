#include "patternprobe.h"
#include "testpattern.h"

#include <QTest>

#include <algorithm>

using NSTESTPatter::TestPattern;

namespace {

// A resolution zone as the operator sees it: a rectangle of two cells with the
// high-contrast half, the stripe widths and the stripe direction set by flags.
struct ZoneLayout
{
    QRect rect;
    bool swapWidths;
    bool highContrastRight;
    bool horizontalOnTop;
};

QList<ZoneLayout> zoneLayouts(const PatternGrid &grid)
{
    const int width = qRound(2 * grid.cw) - 2;
    const int height = grid.chi - 2;
    const int right = grid.x(10) + 1;
    const int bottom = grid.y(11) + 1;
    return {
        {QRect(7, 7, width, height), false, false, false},
        {QRect(right, 7, width, height), true, true, false},
        {QRect(7, bottom, width, height), false, false, true},
        {QRect(right, bottom, width, height), true, true, false},
        {QRect(grid.x(5) + 1, grid.y(5) + 1, width, grid.y(5) - grid.y(4) - 2), false, false, false},
    };
}

// The colour a striped zone shows at (dx, dy) from its top-left corner.
QRgb zoneColour(const ZoneLayout &zone, int dx, int dy)
{
    const int halfWidth = qCeil(zone.rect.width() / 2.0);
    const int halfHeight = qCeil(zone.rect.height() / 2.0);
    const bool high = zone.highContrastRight ? dx >= halfWidth : dx < halfWidth;
    const int qx = dx < halfWidth ? dx : dx - halfWidth;
    const bool top = dy < halfHeight;
    const int qy = top ? dy : dy - halfHeight;
    const bool vertical = top != zone.horizontalOnTop;
    const int leftBand = qCeil(halfWidth / 2.0);
    const bool inLeftBand = qx < leftBand;
    const int stripe = inLeftBand != zone.swapWidths ? 1 : 2;
    const int offset = vertical ? (inLeftBand ? qx : qx - leftBand) : qy;
    const bool first = (offset / stripe) % 2 == 0;
    if (high)
        return first ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    return first ? qRgb(129, 129, 129) : qRgb(131, 131, 131);
}

QList<QLine> rectangleOutline(int left, int top, int right, int bottom)
{
    return {QLine(left, bottom, left, top), QLine(left, top, right, top), QLine(right, top, right, bottom),
            QLine(right, bottom, left, bottom)};
}

// Zone codes: 0 centre, 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right. Element 4 outlines the
// whole zone, 5 its high-contrast half (the right one of the right-hand zones), 6 its low-contrast half.
QList<QLine> zoneOutline(const PatternGrid &grid, int zone, int element)
{
    const bool rightHand = zone == 2 || zone == 4;
    const int width = element == 4 ? qRound(2 * grid.cw) : grid.cwi;
    const int shift = (element == 5 && rightHand) || (element == 6 && !rightHand) ? grid.cwi : 0;
    const int left = (rightHand ? grid.x(10) : zone == 0 ? grid.x(5) : 6) + shift;
    const int top = zone == 0 ? grid.y(5) : zone <= 2 ? 6 : grid.y(11);
    const int bottom = zone == 0 ? grid.y(6) : top + grid.chi;
    return rectangleOutline(left, top, left + width, bottom);
}

QList<QLine> allZoneOutlines(const PatternGrid &grid, int element)
{
    QList<QLine> lines;
    for (int zone = 0; zone <= 4; ++zone)
        lines << zoneOutline(grid, zone, element);
    return lines;
}

QList<QLine> gridLines(const PatternGrid &grid)
{
    QList<QLine> lines;
    for (int k = 0; k <= 12; ++k)
        lines << QLine(grid.x(k), 6, grid.x(k), grid.height - 6) << QLine(6, grid.y(k), grid.width - 6, grid.y(k));
    return lines;
}

// Where the green emphasis of each pattern type must be, as lines of 2-pixel pens.
QList<QLine> expectedGreen(const PatternGrid &grid, TestPattern::tTestPattern type)
{
    const auto box = [&grid](int left, int top, int right, int bottom) {
        return rectangleOutline(grid.x(left), grid.y(top), grid.x(right), grid.y(bottom));
    };
    // TL, TR, BL, BR, centre, all: the order of each zone family.
    const int zoneOrder[] = {1, 2, 3, 4, 0, -1};
    for (int first : {TestPattern::kTestPatternGridOnlyTL, TestPattern::kTestPatternGridAndSRTL,
                      TestPattern::kTestPatternSpatialResolutionTL}) {
        if (type >= first && type <= first + 5) {
            const int zone = zoneOrder[type - first];
            return zone < 0 ? allZoneOutlines(grid, 4) : zoneOutline(grid, zone, 4);
        }
    }
    QList<QLine> arch;
    const QPoint archCells[] = {{3, 9}, {3, 3}, {9, 3}, {9, 9}, {8, 9}, {8, 4}, {4, 4}, {4, 9}, {3, 9}};
    for (int i = 0; i + 1 < 9; ++i)
        arch << QLine(grid.x(archCells[i].x()), grid.y(archCells[i].y()), grid.x(archCells[i + 1].x()),
                      grid.y(archCells[i + 1].y()));
    const QList<QLine> blackPatch = box(4, 8, 5, 9);
    const QList<QLine> whitePatch = box(7, 8, 8, 9);
    const QList<QLine> darkBox = box(3, 9, 5, 10);
    const QList<QLine> middleBox = box(5, 9, 7, 10);
    const QList<QLine> lightBox = box(7, 9, 9, 10);
    const QMap<int, QList<QLine>> outlines = {
        {TestPattern::kTestPatternSpatialResolutionHigh, allZoneOutlines(grid, 5)},
        {TestPattern::kTestPatternSpatialResolutionLow, allZoneOutlines(grid, 6)},
        {TestPattern::kTestPatternGrayLevelAllLevels, arch},
        {TestPattern::kTestPatternGrayLevel05, blackPatch},
        {TestPattern::kTestPatternGrayLevel595, blackPatch + whitePatch},
        {TestPattern::kTestPatternGrayLevel10095, whitePatch},
        {TestPattern::kTestPatternAllLines, gridLines(grid)},
        {TestPattern::kTestPatternQualityWhite, lightBox},
        {TestPattern::kTestPatternQualityGrey, middleBox},
        {TestPattern::kTestPatternQualityBlack, darkBox},
        {TestPattern::kTestPatternQualityWhiteAndGrey, middleBox + lightBox},
        {TestPattern::kTestPatternQualityGreyAndBlack, darkBox + middleBox},
        {TestPattern::kTestPatternQualityWhiteAndBlack, darkBox + lightBox},
        {TestPattern::kTestPatternQualityAll, darkBox + middleBox + lightBox},
        {TestPattern::kTestPatternGradients, box(1, 3, 2, 9) + box(10, 3, 11, 9)},
        {TestPattern::kTestPatternBW, box(1, 0, 10, 2)},
    };
    return outlines.value(type);
}

// A 2-pixel pen on coordinate c covers the pixels c - 1 and c; allow for the
// square caps at the ends.
bool nearLine(const QLine &line, int x, int y)
{
    return QRect(line.p1(), line.p2()).normalized().adjusted(-2, -2, 1, 1).contains(x, y);
}

} // namespace

class TestCompositePattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void borderAndGridColours_data();
    void borderAndGridColours();
    void grayLevelRing_data();
    void grayLevelRing();
    void resolutionZones_data();
    void resolutionZones();
    void fullHdLandmarks();
    void blackAndWhiteBars_data() { addSizeRows(); }
    void blackAndWhiteBars();
    void halvingBars_data() { addSizeRows(); }
    void halvingBars();
    void gradientRamps_data() { addSizeRows(); }
    void gradientRamps();
    void qualityBoxes_data() { addSizeRows(); }
    void qualityBoxes();
    void greenOutlines_data();
    void greenOutlines();
};

void TestCompositePattern::borderAndGridColours_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("border");
    QTest::addColumn<QString>("lines");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault" << grey(255) << grey(192);
        QTest::newRow(sizeName(size) + " border") << size << "kTestPatternBorder" << green() << grey(192);
        QTest::newRow(sizeName(size) + " all lines") << size << "kTestPatternAllLines" << grey(255) << green();
    }
}

void TestCompositePattern::borderAndGridColours()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(QString, border);
    QFETCH(QString, lines);
    const QImage image = renderPattern(key, size);
    const PatternGrid grid(size);
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;
    const int midX = size.width() / 2;
    const int midY = size.height() / 2;
    // Each border band is two pixels thick; inside it the margin stays background.
    for (const QPoint &point : {QPoint(0, 0), QPoint(midX, 1), QPoint(right - 1, midY), QPoint(midX, bottom - 1),
                                QPoint(1, midY), QPoint(right, bottom)})
        QCOMPARE(pixelName(image, point.x(), point.y()), border);
    for (const QPoint &point : {QPoint(midX, 2), QPoint(right - 2, midY), QPoint(midX, bottom - 2), QPoint(2, midY)})
        QCOMPARE(pixelName(image, point.x(), point.y()), grey(129));

    // Row 10 and column 11 hold nothing but grid lines (the zones of column 11
    // may cover one pixel row of lines 1 and 12).
    const int rowTen = (grid.y(10) + grid.y(11)) / 2;
    const int columnEleven = (grid.x(11) + grid.x(12)) / 2;
    for (int k = 0; k <= 12; ++k) {
        QCOMPARE(pixelName(image, grid.x(k) - 1, rowTen), lines);
        QCOMPARE(pixelName(image, grid.x(k), rowTen), lines);
        QCOMPARE(pixelName(image, grid.x(k) + 1, rowTen), grey(129));
        QCOMPARE(pixelName(image, grid.x(k) - 2, rowTen), grey(129));
        QCOMPARE(pixelName(image, columnEleven, grid.y(k)), lines);
        if (k != 1 && k != 12)
            QCOMPARE(pixelName(image, columnEleven, grid.y(k) - 1), lines);
        // Below lines 0 and 11 the right-hand zones begin.
        if (k != 0 && k != 11)
            QCOMPARE(pixelName(image, columnEleven, grid.y(k) + 1), grey(129));
    }
    // The lines reach from 6 to the far margin, one pixel further for the square caps.
    QCOMPARE(pixelName(image, grid.x(11), size.height() - 6), lines);
    QCOMPARE(pixelName(image, grid.x(11), size.height() - 4), grey(129));
}

void TestCompositePattern::grayLevelRing_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("present");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault" << true;
        QTest::newRow(sizeName(size) + " grid only") << size << "kTestPatternGridOnlyCenter" << false;
        QTest::newRow(sizeName(size) + " grid and SR") << size << "kTestPatternGridAndSRBR" << false;
        QTest::newRow(sizeName(size) + " grid only, all zones") << size << "kTestPatternGridOnlyAll" << true;
        QTest::newRow(sizeName(size) + " grid and SR, all zones") << size << "kTestPatternGridAndSRAll" << true;
    }
}

void TestCompositePattern::grayLevelRing()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(bool, present);
    const QImage image = renderPattern(key, size);
    const PatternGrid grid(size);
    const int squareWidth = qRound(grid.cw / 8);
    const int squareHeight = qRound(grid.ch / 8);
    const auto expect = [&](int level, int x, int y) { QCOMPARE(pixelName(image, x, y), grey(present ? level : 129)); };

    for (int i = 0; i < 16; ++i) {
        const int level = 8 + 16 * i;
        const QPointF cell = i <= 5 ? QPointF(3, 8 - i) : i <= 9 ? QPointF(i - 2, 3) : QPointF(8, i - 7);
        const double x = cell.x() * grid.cw + 6;
        const double y = cell.y() * grid.ch + 6;
        const int left = qRound(x);
        const int top = qRound(y);
        const int squareLeft = qRound(x + grid.cwi - grid.cw / 8);
        const int squareTop = qRound(y + grid.chi - grid.ch / 8);
        // Probe the middle of each corner square; grid lines cover the patch's outer pixels.
        expect(level + 4, left + squareWidth / 2, top + squareHeight / 2);
        expect(level - 4, left + squareWidth / 2, squareTop + squareHeight / 2);
        expect(level - 4, squareLeft + squareWidth / 2, top + squareHeight / 2);
        expect(level + 4, squareLeft + squareWidth / 2, squareTop + squareHeight / 2);
        // Just beside a corner square the patch's own level shows.
        expect(level, left + squareWidth + 1, top + squareHeight / 2);
        expect(level, squareLeft - 2, squareTop + squareHeight / 2);
    }

    const int patchTop = qRound(8 * grid.ch + 6);
    const int innerTop = qRound(8.25 * grid.ch + 6);
    const int innerWidth = qRound(grid.cw / 2);
    const int innerHeight = qRound(grid.ch / 2);
    for (const QVector<int> &patch : {QVector<int>{4, 0, 12}, QVector<int>{7, 255, 242}}) {
        const int left = qRound(patch[0] * grid.cw + 6);
        const int innerLeft = qRound((patch[0] + 0.25) * grid.cw + 6);
        expect(patch[1], left + grid.cwi - 3, patchTop + grid.chi - 3);
        expect(patch[2], innerLeft, innerTop);
        expect(patch[2], innerLeft + innerWidth - 1, innerTop + innerHeight - 1);
        expect(patch[1], innerLeft - 1, innerTop);
        expect(patch[1], innerLeft + innerWidth, innerTop + innerHeight - 1);
    }
}

void TestCompositePattern::resolutionZones_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("flat");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault" << false;
        QTest::newRow(sizeName(size) + " grid and SR") << size << "kTestPatternGridAndSRCenter" << true;
    }
    QTest::newRow("grid only") << QSize(1366, 768) << "kTestPatternGridOnlyBL" << false;
    QTest::newRow("odd-sized zones") << QSize(1001, 777) << "kTestPatternDefault" << false;
}

// Every pixel of every zone: stripes, or flat grey 128 when the grid test asks for the zones alone.
void TestCompositePattern::resolutionZones()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(bool, flat);
    const QImage image = renderPattern(key, size);
    for (const ZoneLayout &zone : zoneLayouts(PatternGrid(size))) {
        QImage expected(zone.rect.size(), QImage::Format_RGB32);
        for (int dy = 0; dy < zone.rect.height(); ++dy)
            for (int dx = 0; dx < zone.rect.width(); ++dx)
                expected.setPixel(dx, dy, flat ? qRgb(128, 128, 128) : zoneColour(zone, dx, dy));
        QVERIFY2(image.copy(zone.rect) == expected,
                 qPrintable(QStringLiteral("zone at (%1, %2)").arg(zone.rect.x()).arg(zone.rect.y())));
    }
}

// Literal values for full HD (cells 159 x 89), so that the rules above cannot drift with the code.
void TestCompositePattern::fullHdLandmarks()
{
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), QSize(1920, 1080));
    // Top-left zone (7, 7, 316 x 87): vertical bars on top, 1 then (from column 7 + 79) 2 pixels wide,
    comparePixels(image, {{7, 7, 255}, {8, 7, 0}, {86, 7, 255}, {87, 7, 255}, {88, 7, 0}, {89, 7, 0}});
    // horizontal bars from row 7 + 44, the low-contrast half from column 7 + 158.
    comparePixels(image, {{7, 51, 255}, {7, 52, 0}, {86, 52, 255}, {86, 53, 0}, {165, 7, 129}, {166, 7, 131}});
    // Top-right zone (1597, 7): low contrast on the left, high contrast on the right, 2-pixel bars first.
    comparePixels(image, {{1597, 7, 129}, {1598, 7, 129}, {1599, 7, 131}, {1755, 7, 255}, {1757, 7, 0}});
    // Bottom-left zone (7, 986): horizontal bars on top, vertical below; centre zone (802, 452).
    comparePixels(image, {{7, 986, 255}, {7, 987, 0}, {7, 1030, 255}, {8, 1030, 0}, {802, 452, 255}, {803, 452, 0}});
    // Ring patch 0 at (483, 718), 159 x 89, grey 8 (the grid line at x 642 covers its last column),
    // and the black patch at (642, 718).
    comparePixels(image, {{513, 748, 8}, {640, 768, 8}, {641, 768, 192}, {644, 720, 0}});
    // QUALITY CONTROL boxes at y 807, x 483, 801 and 1119, each 318 x 89.
    comparePixels(image, {{483, 807, 0}, {800, 895, 0}, {801, 807, 129}, {1118, 895, 129}, {1119, 807, 255}});
    comparePixels(image, {{1436, 895, 255}});
}

void TestCompositePattern::blackAndWhiteBars()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int longLeft = int(1.5 * grid.cw + 6);
    const int longRight = longLeft + int(8 * grid.cw) - 1;
    const int blackTop = int(1.5 * grid.ch + 6);
    const int whiteBottom = int(1.75 * grid.ch + 6) + int(grid.ch / 4) - 1;
    const int shortLeft = int(3.5 * grid.cw + 6);
    const int shortRight = shortLeft + int(4 * grid.cw) - 1;
    const int shortWhiteTop = int(1.5 * grid.ch + 6 + grid.ch / 8);
    const int shortBlackTop = int(1.75 * grid.ch + 6);
    const int shortHeight = int(grid.ch / 8);

    // The long bars at both ends and beside the short bars, which reverse their colours.
    for (int x : {longLeft, shortLeft - 1, shortRight + 1, longRight}) {
        for (int y : {blackTop, shortWhiteTop, shortBlackTop, whiteBottom})
            QCOMPARE(pixelName(image, x, y), grey(y < shortBlackTop ? 0 : 255));
    }
    for (int x : {shortLeft, shortRight}) {
        for (int y : {shortWhiteTop, shortWhiteTop + shortHeight - 1, shortBlackTop, shortBlackTop + shortHeight - 1})
            QCOMPARE(pixelName(image, x, y), grey(y < shortBlackTop ? 255 : 0));
    }
    QVERIFY(pixelName(image, longLeft - 1, blackTop) != grey(0));
    QVERIFY(pixelName(image, longRight + 1, blackTop) != grey(0));
    QVERIFY(pixelName(image, longLeft - 1, whiteBottom) != grey(255));
    QVERIFY(pixelName(image, longRight + 1, whiteBottom) != grey(255));
}

void TestCompositePattern::halvingBars()
{
    QFETCH(QSize, size);
    // As many bars as 2·cw, truncated, has binary digits.
    const int barCount = QMap<int, int>{{1920, 9}, {1366, 8}, {3840, 10}, {990, 8}}.value(size.width());
    QVERIFY(barCount > 0);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int stripLeft = int(3 * grid.cw + 6);
    const int stripRight = stripLeft + int(6 * grid.cw) - 1;
    const int stripHeight = qRound(grid.chi / 2.0);
    const int blackStripTop = qRound(grid.ch / 2) + 6;
    QCOMPARE(pixelName(image, stripLeft, 6), grey(255));
    // The black strip, drawn second, may cover the white strip's last row.
    QCOMPARE(pixelName(image, stripRight, qMin(6 + stripHeight, blackStripTop) - 1), grey(255));
    QCOMPARE(pixelName(image, stripLeft, blackStripTop), grey(0));
    QCOMPARE(pixelName(image, stripRight, blackStripTop + stripHeight - 1), grey(0));
    QVERIFY(pixelName(image, stripRight + 1, 8) != grey(255));

    const double step = (grid.ch / 2 - 12) / barCount;
    const int barHeight = qRound(step);
    const int rightLeft = qRound(6.5 * grid.cw + 6);
    for (int j = 0; j < barCount; ++j) {
        const int width = qRound(2 * grid.cw / (1 << j));
        const int leftLeft = j == 0 ? qRound(3.5 * grid.cw + 6) : qRound(5.5 * grid.cw + 6 - width);
        // Neighbouring bars may share an edge row; the middle row is this bar's own.
        const int blackRow = int(12 + j * step) + barHeight / 2;
        const int whiteRow = int(grid.ch - 6 + step - j * step) + barHeight / 2;
        for (int left : {leftLeft, rightLeft}) {
            for (int row : {blackRow, whiteRow}) {
                const int bar = row == blackRow ? 0 : 255;
                QCOMPARE(pixelName(image, left, row), grey(bar));
                QCOMPARE(pixelName(image, left + width - 1, row), grey(bar));
                QCOMPARE(pixelName(image, left - 1, row), grey(255 - bar));
                QCOMPARE(pixelName(image, left + width, row), grey(255 - bar));
            }
        }
    }
    // Past the narrowest bar no further one follows.
    const int nextRow = int(12 + barCount * step) + barHeight / 2;
    if (nextRow < blackStripTop - 1)
        QCOMPARE(pixelName(image, rightLeft, nextRow), grey(255));
}

void TestCompositePattern::gradientRamps()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int top = int(3 * grid.ch + 6);
    const int bottom = top + int(6 * grid.ch) - 1;
    const int width = int(grid.cw);
    // The left ramp runs from white to black, the right one from black to white.
    for (const QPair<int, int> &ramp : {qMakePair(int(grid.cw + 6), 255), qMakePair(int(10 * grid.cw + 6), 0)}) {
        const int left = ramp.first;
        const int first = greyAt(image, left, top);
        const int middle = greyAt(image, left + width / 2, (top + bottom) / 2);
        const int last = greyAt(image, left + width - 1, bottom);
        QVERIFY2(qAbs(first - ramp.second) <= 1, qPrintable(QString::number(first)));
        QVERIFY2(qAbs(last - (255 - ramp.second)) <= 1, qPrintable(QString::number(last)));
        QVERIFY2(qAbs(middle - 128) <= 2, qPrintable(QString::number(middle)));
        QVERIFY(pixelName(image, left, top - 1) != pixelName(image, left, top));
        QVERIFY(pixelName(image, left + width, bottom) != pixelName(image, left + width - 1, bottom));
    }
}

void TestCompositePattern::qualityBoxes()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int top = int(9 * grid.ch + 6);
    const int bottom = top + grid.chi - 1;
    const int width = 2 * grid.cwi;
    for (const QPair<int, int> &box : {qMakePair(3, 0), qMakePair(5, 129), qMakePair(7, 255)}) {
        const int fill = box.second;
        const int left = int(box.first * grid.cw + 6);
        // Boxes are 2·round(cw) wide but start every 2·cw, so the next box may
        // cover the last column of one.
        const int right =
            box.first == 7 ? left + width - 1 : qMin(left + width, int((box.first + 2) * grid.cw + 6)) - 1;
        for (const QPoint &corner :
             {QPoint(left, top), QPoint(right, top), QPoint(left, bottom), QPoint(right, bottom)})
            QCOMPARE(pixelName(image, corner.x(), corner.y()), grey(fill));
        QVERIFY(pixelName(image, left, top - 2) != grey(fill));
        // The lettering differs from the fill by only a few levels, but it is there.
        int lettered = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x < left + width; ++x)
                lettered += image.pixel(x, y) != qRgb(fill, fill, fill);
        QVERIFY2(lettered > 100, qPrintable(QString::number(lettered)));
    }
}

void TestCompositePattern::greenOutlines_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("type");
    for (const QSize &size : patternTestSizes()) {
        for (int type = TestPattern::kTestPatternUnknown; type <= TestPattern::kTestPatternLN818; ++type) {
            if (type == TestPattern::kTestPatternExternalImage || type == TestPattern::kTestPatternBorder)
                continue;
            QTest::newRow(sizeName(size) + ' ' + TestPattern::typeToString(TestPattern::tTestPattern(type)).toLatin1())
                << size << type;
        }
    }
}

void TestCompositePattern::greenOutlines()
{
    QFETCH(QSize, size);
    QFETCH(int, type);
    TestPattern pattern(nullptr, TestPattern::tTestPattern(type));
    pattern.setType(TestPattern::tTestPattern(type));
    const QImage image = pattern.toImage(size);
    const QList<QLine> lines = expectedGreen(PatternGrid(size), TestPattern::tTestPattern(type));

    // Outlines come last, so the middle of every edge is green on both of its pixels.
    if (type != TestPattern::kTestPatternAllLines) {
        for (const QLine &line : lines) {
            const QPoint middle = line.center();
            const QPoint before = middle - (line.dx() == 0 ? QPoint(1, 0) : QPoint(0, 1));
            QCOMPARE(pixelName(image, middle.x(), middle.y()), green());
            QCOMPARE(pixelName(image, before.x(), before.y()), green());
        }
    }
    // No green anywhere else.
    int greenPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != qRgb(0, 255, 0))
                continue;
            ++greenPixels;
            if (std::none_of(lines.cbegin(), lines.cend(), [x, y](const QLine &l) { return nearLine(l, x, y); }))
                QFAIL(qPrintable(QStringLiteral("unexpected green at (%1, %2)").arg(x).arg(y)));
        }
    }
    QCOMPARE(greenPixels > 0, !lines.isEmpty());
}

QTEST_MAIN(TestCompositePattern)
#include "tst_compositepattern.moc"
