#include "patternprobe.h"
#include "testpattern.h"

#include <QTest>

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
    const int height = qRound(grid.ch) - 2;
    const int right = qRound(10 * grid.cw) + 7;
    const int bottom = qRound(11 * grid.ch) + 7;
    return {
        {QRect(7, 7, width, height), false, false, false},
        {QRect(right, 7, width, height), true, true, false},
        {QRect(7, bottom, width, height), false, false, true},
        {QRect(right, bottom, width, height), true, true, false},
        {QRect(qRound(5 * grid.cw) + 7, qRound(5 * grid.ch) + 7, width, qRound(5 * grid.ch) - qRound(4 * grid.ch) - 2),
         false, false, false},
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

// Zone codes: 0 centre, 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right.
QList<QLine> zoneOutline(const PatternGrid &grid, int zone, int element)
{
    const int cell = qRound(grid.cw);
    const int width = element == 4 ? qRound(2 * grid.cw) : cell;
    const int lowShift = element == 6 ? cell : 0;
    const int highShift = element == 5 ? cell : 0;
    const int rowHeight = qRound(grid.ch);
    switch (zone) {
    case 1:
        return rectangleOutline(6 + lowShift, 6, 6 + lowShift + width, rowHeight + 6);
    case 2:
        return rectangleOutline(grid.x(10) + highShift, 6, grid.x(10) + highShift + width, rowHeight + 6);
    case 3:
        return rectangleOutline(6 + lowShift, grid.y(11), 6 + lowShift + width, grid.y(11) + rowHeight);
    case 4:
        return rectangleOutline(grid.x(10) + highShift, grid.y(11), grid.x(10) + highShift + width,
                                grid.y(11) + rowHeight);
    default:
        return rectangleOutline(grid.x(5) + lowShift, grid.y(5), grid.x(5) + lowShift + width, grid.y(6));
    }
}

QList<QLine> gridLines(const PatternGrid &grid)
{
    QList<QLine> lines;
    for (int k = 0; k <= 12; ++k) {
        lines << QLine(grid.x(k), 6, grid.x(k), grid.height - 6);
        lines << QLine(6, grid.y(k), grid.width - 6, grid.y(k));
    }
    return lines;
}

// Where the green emphasis of each pattern type must be, as lines of 2-pixel pens.
QList<QLine> expectedGreen(const PatternGrid &grid, TestPattern::tTestPattern type)
{
    const auto box = [&grid](int left, int top, int right, int bottom) {
        return rectangleOutline(grid.x(left), grid.y(top), grid.x(right), grid.y(bottom));
    };
    const QList<QLine> blackPatch = box(4, 8, 5, 9);
    const QList<QLine> whitePatch = box(7, 8, 8, 9);
    const QList<QLine> darkBox = box(3, 9, 5, 10);
    const QList<QLine> middleBox = box(5, 9, 7, 10);
    const QList<QLine> lightBox = box(7, 9, 9, 10);
    const auto allZones = [&grid](int element) {
        QList<QLine> lines;
        for (int zone = 0; zone <= 4; ++zone)
            lines << zoneOutline(grid, zone, element);
        return lines;
    };
    // TL, TR, BL, BR, centre, all: the order of each zone family.
    const int zoneOrder[] = {1, 2, 3, 4, 0, -1};
    for (TestPattern::tTestPattern first : {TestPattern::kTestPatternGridOnlyTL, TestPattern::kTestPatternGridAndSRTL,
                                            TestPattern::kTestPatternSpatialResolutionTL}) {
        if (type >= first && type <= first + 5) {
            const int zone = zoneOrder[type - first];
            return zone < 0 ? allZones(4) : zoneOutline(grid, zone, 4);
        }
    }

    switch (type) {
    case TestPattern::kTestPatternSpatialResolutionHigh:
        return allZones(5);
    case TestPattern::kTestPatternSpatialResolutionLow:
        return allZones(6);
    case TestPattern::kTestPatternGrayLevelAllLevels: {
        const QPoint arch[] = {{3, 9}, {3, 3}, {9, 3}, {9, 9}, {8, 9}, {8, 4}, {4, 4}, {4, 9}, {3, 9}};
        QList<QLine> lines;
        for (int i = 0; i + 1 < 9; ++i)
            lines << QLine(grid.x(arch[i].x()), grid.y(arch[i].y()), grid.x(arch[i + 1].x()), grid.y(arch[i + 1].y()));
        return lines;
    }
    case TestPattern::kTestPatternGrayLevel05:
        return blackPatch;
    case TestPattern::kTestPatternGrayLevel595:
        return blackPatch + whitePatch;
    case TestPattern::kTestPatternGrayLevel10095:
        return whitePatch;
    case TestPattern::kTestPatternAllLines:
        return gridLines(grid);
    case TestPattern::kTestPatternQualityWhite:
        return lightBox;
    case TestPattern::kTestPatternQualityGrey:
        return middleBox;
    case TestPattern::kTestPatternQualityBlack:
        return darkBox;
    case TestPattern::kTestPatternQualityWhiteAndGrey:
        return middleBox + lightBox;
    case TestPattern::kTestPatternQualityGreyAndBlack:
        return darkBox + middleBox;
    case TestPattern::kTestPatternQualityWhiteAndBlack:
        return darkBox + lightBox;
    case TestPattern::kTestPatternQualityAll:
        return darkBox + middleBox + lightBox;
    case TestPattern::kTestPatternGradients:
        return box(1, 3, 2, 9) + box(10, 3, 11, 9);
    case TestPattern::kTestPatternBW:
        return box(1, 0, 10, 2);
    default:
        return {};
    }
}

// A 2-pixel pen on coordinate c covers the pixels c - 1 and c; allow for the
// square caps at the ends.
bool nearLine(const QLine &line, int x, int y)
{
    const QRect band = QRect(line.p1(), line.p2()).normalized().adjusted(-2, -2, 1, 1);
    return band.contains(x, y);
}

} // namespace

class TestCompositePattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void border_data();
    void border();
    void gridLineColour_data();
    void gridLineColour();
    void grayLevelRing_data();
    void grayLevelRing();
    void stripedZones_data();
    void stripedZones();
    void stripedZoneCorners();
    void flatZones();
    void blackAndWhiteBars_data();
    void blackAndWhiteBars();
    void halvingBars_data();
    void halvingBars();
    void gradientRamps_data();
    void gradientRamps();
    void qualityBoxes_data();
    void qualityBoxes();
    void documentedHdPositions();
    void greenOutlines_data();
    void greenOutlines();
};

void TestCompositePattern::border_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("colour");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault" << grey(255);
        QTest::newRow(sizeName(size) + " border") << size << "kTestPatternBorder" << green();
    }
}

void TestCompositePattern::border()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(QString, colour);
    const QImage image = renderPattern(key, size);
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;
    const int midX = size.width() / 2;
    const int midY = size.height() / 2;
    for (const QPoint &point :
         {QPoint(0, 0), QPoint(1, 1), QPoint(midX, 0), QPoint(midX, 1), QPoint(right, midY), QPoint(right - 1, midY),
          QPoint(midX, bottom), QPoint(midX, bottom - 1), QPoint(0, midY), QPoint(1, midY), QPoint(right, bottom)})
        QCOMPARE(pixelName(image, point.x(), point.y()), colour);
    // The margin between the border and the outermost grid line stays background.
    for (const QPoint &point : {QPoint(2, midY), QPoint(3, 3), QPoint(right - 2, midY), QPoint(midX, bottom - 2)})
        QCOMPARE(pixelName(image, point.x(), point.y()), grey(129));
}

void TestCompositePattern::gridLineColour_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("colour");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault" << grey(192);
        QTest::newRow(sizeName(size) + " all lines") << size << "kTestPatternAllLines" << green();
        QTest::newRow(sizeName(size) + " grid only") << size << "kTestPatternGridOnlyTL" << grey(192);
    }
}

void TestCompositePattern::gridLineColour()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(QString, colour);
    const QImage image = renderPattern(key, size);
    const PatternGrid grid(size);
    // Row 10 and column 11 hold nothing but grid lines (the zones of column 11
    // may cover one pixel row of lines 1 and 12).
    const int rowTen = (grid.y(10) + grid.y(11)) / 2;
    const int columnEleven = (grid.x(11) + grid.x(12)) / 2;
    for (int k = 0; k <= 12; ++k) {
        QCOMPARE(pixelName(image, grid.x(k) - 1, rowTen), colour);
        QCOMPARE(pixelName(image, grid.x(k), rowTen), colour);
        QCOMPARE(pixelName(image, grid.x(k) + 1, rowTen), grey(129));
        QCOMPARE(pixelName(image, grid.x(k) - 2, rowTen), grey(129));
        QCOMPARE(pixelName(image, columnEleven, grid.y(k)), colour);
        if (k != 1 && k != 12)
            QCOMPARE(pixelName(image, columnEleven, grid.y(k) - 1), colour);
        // Below lines 0 and 11 the right-hand zones begin.
        if (k != 0 && k != 11)
            QCOMPARE(pixelName(image, columnEleven, grid.y(k) + 1), grey(129));
    }
    // The lines reach from 6 to the far margin, one pixel further for the square caps.
    QCOMPARE(pixelName(image, grid.x(11), size.height() - 6), colour);
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
        expect(level, left + grid.cwi / 2, top + grid.chi / 2);
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
    struct Patch
    {
        double column;
        int level;
        int innerLevel;
    };
    for (const Patch &patch : {Patch{4, 0, 12}, Patch{7, 255, 242}}) {
        const int left = qRound(patch.column * grid.cw + 6);
        const int innerLeft = qRound((patch.column + 0.25) * grid.cw + 6);
        expect(patch.level, left + 2, patchTop + 2);
        expect(patch.level, left + grid.cwi - 3, patchTop + grid.chi - 3);
        expect(patch.innerLevel, innerLeft, innerTop);
        expect(patch.innerLevel, innerLeft + innerWidth - 1, innerTop + innerHeight - 1);
        expect(patch.level, innerLeft - 1, innerTop);
        expect(patch.level, innerLeft + innerWidth, innerTop + innerHeight - 1);
    }
}

void TestCompositePattern::stripedZones_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " default") << size << "kTestPatternDefault";
        QTest::newRow(sizeName(size) + " grid only") << size << "kTestPatternGridOnlyBL";
    }
    QTest::newRow("odd-sized zones") << QSize(1001, 777) << "kTestPatternDefault";
}

void TestCompositePattern::stripedZones()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    const QImage image = renderPattern(key, size);
    const PatternGrid grid(size);
    const QList<ZoneLayout> zones = zoneLayouts(grid);
    for (const ZoneLayout &zone : zones) {
        for (int dy = 0; dy < zone.rect.height(); ++dy) {
            for (int dx = 0; dx < zone.rect.width(); ++dx) {
                const QRgb actual = image.pixel(zone.rect.x() + dx, zone.rect.y() + dy);
                if (actual != zoneColour(zone, dx, dy))
                    QFAIL(qPrintable(QStringLiteral("zone at (%1, %2), pixel (%3, %4): %5 instead of %6")
                                         .arg(zone.rect.x())
                                         .arg(zone.rect.y())
                                         .arg(dx)
                                         .arg(dy)
                                         .arg(colourName(actual), colourName(zoneColour(zone, dx, dy)))));
            }
        }
    }
}

// Literal values for full HD, so that the zone rule above cannot drift with the code.
void TestCompositePattern::stripedZoneCorners()
{
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), QSize(1920, 1080));
    struct Probe
    {
        int x;
        int y;
        int level;
    };
    const Probe probes[] = {
        // Top-left zone (7, 7, 316 x 87): vertical bars on top, 1 then 2 pixels wide.
        {7, 7, 255},
        {8, 7, 0},
        {9, 7, 255},
        {86, 7, 255},
        {87, 7, 255},
        {88, 7, 0},
        {89, 7, 0},
        {90, 7, 255},
        // ... horizontal bars below, from row 7 + 44.
        {7, 51, 255},
        {7, 52, 0},
        {86, 51, 255},
        {86, 52, 255},
        {86, 53, 0},
        // ... the low-contrast half from column 7 + 158.
        {165, 7, 129},
        {166, 7, 131},
        {165, 52, 131},
        // Top-right zone (1597, 7): low contrast on the left, high contrast on
        // the right with 2-pixel bars first.
        {1597, 7, 129},
        {1598, 7, 129},
        {1599, 7, 131},
        {1755, 7, 255},
        {1756, 7, 255},
        {1757, 7, 0},
        // Bottom-left zone (7, 986): horizontal bars on top, vertical below.
        {7, 986, 255},
        {7, 987, 0},
        {8, 986, 255},
        {7, 1030, 255},
        {8, 1030, 0},
        // Centre zone (802, 452).
        {802, 452, 255},
        {803, 452, 0},
    };
    for (const Probe &probe : probes)
        QCOMPARE(pixelName(image, probe.x, probe.y), grey(probe.level));
}

void TestCompositePattern::flatZones()
{
    for (const QSize &size : patternTestSizes()) {
        const QImage image = renderPattern(QStringLiteral("kTestPatternGridAndSRCenter"), size);
        const QList<ZoneLayout> zones = zoneLayouts(PatternGrid(size));
        for (const ZoneLayout &zone : zones) {
            QImage expected(zone.rect.size(), QImage::Format_RGB32);
            expected.fill(qRgb(128, 128, 128));
            QVERIFY2(image.copy(zone.rect) == expected, sizeName(size).constData());
        }
    }
}

void TestCompositePattern::blackAndWhiteBars_data()
{
    addSizeRows();
}

void TestCompositePattern::blackAndWhiteBars()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int longLeft = int(1.5 * grid.cw + 6);
    const int longRight = longLeft + int(8 * grid.cw) - 1;
    const int longHeight = int(grid.ch / 4);
    const int blackTop = int(1.5 * grid.ch + 6);
    const int whiteTop = int(1.75 * grid.ch + 6);
    const int shortLeft = int(3.5 * grid.cw + 6);
    const int shortRight = shortLeft + int(4 * grid.cw) - 1;
    const int shortHeight = int(grid.ch / 8);
    const int shortWhiteTop = int(1.5 * grid.ch + 6 + grid.ch / 8);

    // The long bars, each end of each.
    for (int x : {longLeft, longLeft + 1, shortLeft - 1, shortRight + 1, longRight}) {
        QCOMPARE(pixelName(image, x, blackTop), grey(0));
        QCOMPARE(pixelName(image, x, whiteTop + longHeight - 1), grey(255));
    }
    QVERIFY(pixelName(image, longLeft - 1, blackTop) != grey(0));
    QVERIFY(pixelName(image, longRight + 1, blackTop) != grey(0));
    QVERIFY(pixelName(image, longLeft - 1, whiteTop) != grey(255));
    QVERIFY(pixelName(image, longRight + 1, whiteTop) != grey(255));
    // The short bars reverse the colours inside the long ones.
    for (int x : {shortLeft, shortRight}) {
        QCOMPARE(pixelName(image, x, shortWhiteTop), grey(255));
        QCOMPARE(pixelName(image, x, shortWhiteTop + shortHeight - 1), grey(255));
        QCOMPARE(pixelName(image, x, whiteTop), grey(0));
        QCOMPARE(pixelName(image, x, whiteTop + shortHeight - 1), grey(0));
    }
    QCOMPARE(pixelName(image, shortLeft - 1, shortWhiteTop), grey(0));
    QCOMPARE(pixelName(image, shortRight + 1, whiteTop), grey(255));
}

void TestCompositePattern::halvingBars_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("barCount");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 9;
    QTest::newRow("1366x768") << QSize(1366, 768) << 8;
    QTest::newRow("3840x2160") << QSize(3840, 2160) << 10;
}

void TestCompositePattern::halvingBars()
{
    QFETCH(QSize, size);
    QFETCH(int, barCount);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int stripLeft = int(3 * grid.cw + 6);
    const int stripRight = stripLeft + int(6 * grid.cw) - 1;
    const int stripHeight = qRound(grid.chi / 2.0);
    const int blackStripTop = qRound(grid.ch / 2) + 6;
    QCOMPARE(pixelName(image, stripLeft, 6), grey(255));
    QCOMPARE(pixelName(image, stripRight, 6 + stripHeight - 1), grey(255));
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
            QCOMPARE(pixelName(image, left, blackRow), grey(0));
            QCOMPARE(pixelName(image, left + width - 1, blackRow), grey(0));
            QCOMPARE(pixelName(image, left - 1, blackRow), grey(255));
            QCOMPARE(pixelName(image, left + width, blackRow), grey(255));
            QCOMPARE(pixelName(image, left, whiteRow), grey(255));
            QCOMPARE(pixelName(image, left + width - 1, whiteRow), grey(255));
            QCOMPARE(pixelName(image, left - 1, whiteRow), grey(0));
            QCOMPARE(pixelName(image, left + width, whiteRow), grey(0));
        }
    }
    // Past the narrowest bar no further one follows: width 2·cw / 2^n rounds to 0 or the count ends.
    const int nextRow = int(12 + barCount * step) + barHeight / 2;
    if (nextRow < blackStripTop - 1)
        QCOMPARE(pixelName(image, rightLeft, nextRow), grey(255));
}

void TestCompositePattern::gradientRamps_data()
{
    addSizeRows();
}

void TestCompositePattern::gradientRamps()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int top = int(3 * grid.ch + 6);
    const int bottom = top + int(6 * grid.ch) - 1;
    const int width = int(grid.cw);
    struct Ramp
    {
        int left;
        int startLevel;
    };
    for (const Ramp &ramp : {Ramp{int(grid.cw + 6), 255}, Ramp{int(10 * grid.cw + 6), 0}}) {
        const int first = greyAt(image, ramp.left, top);
        const int middle = greyAt(image, ramp.left + width / 2, (top + bottom) / 2);
        const int last = greyAt(image, ramp.left + width - 1, bottom);
        QVERIFY2(qAbs(first - ramp.startLevel) <= 1, qPrintable(QString::number(first)));
        QVERIFY2(qAbs(last - (255 - ramp.startLevel)) <= 1, qPrintable(QString::number(last)));
        QVERIFY2(qAbs(middle - 128) <= 2, qPrintable(QString::number(middle)));
        QVERIFY(pixelName(image, ramp.left, top - 1) != pixelName(image, ramp.left, top));
        QVERIFY(pixelName(image, ramp.left + width, bottom) != pixelName(image, ramp.left + width - 1, bottom));
    }
}

void TestCompositePattern::qualityBoxes_data()
{
    addSizeRows();
}

void TestCompositePattern::qualityBoxes()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), size);
    const PatternGrid grid(size);
    const int top = int(9 * grid.ch + 6);
    const int width = 2 * grid.cwi;
    struct Box
    {
        int column;
        int fill;
    };
    for (const Box &box : {Box{3, 0}, Box{5, 129}, Box{7, 255}}) {
        const int left = int(box.column * grid.cw + 6);
        // Boxes are 2·round(cw) wide but start every 2·cw, so the next box may
        // cover the last column of one.
        const int right =
            box.column == 7 ? left + width - 1 : qMin(left + width, int((box.column + 2) * grid.cw + 6)) - 1;
        QCOMPARE(pixelName(image, left, top), grey(box.fill));
        QCOMPARE(pixelName(image, right, top), grey(box.fill));
        QCOMPARE(pixelName(image, left, top + grid.chi - 1), grey(box.fill));
        QCOMPARE(pixelName(image, right, top + grid.chi - 1), grey(box.fill));
        QVERIFY(pixelName(image, left, top - 2) != grey(box.fill));
        // The lettering differs from the fill by only a few levels, but it is there.
        int lettered = 0;
        for (int y = top; y < top + grid.chi; ++y)
            for (int x = left; x < left + width; ++x)
                lettered += image.pixel(x, y) != qRgb(box.fill, box.fill, box.fill);
        QVERIFY2(lettered > 100, qPrintable(QString::number(lettered)));
    }
}

void TestCompositePattern::documentedHdPositions()
{
    const QImage image = renderPattern(QStringLiteral("kTestPatternDefault"), QSize(1920, 1080));
    // Ring patch 0 at (483, 718), 159 x 89, grey 8 (the grid line at x 642 covers
    // its last column); the black patch at (642, 718).
    QCOMPARE(pixelName(image, 483 + 30, 718 + 30), grey(8));
    QCOMPARE(pixelName(image, 483 + 157, 718 + 50), grey(8));
    QCOMPARE(pixelName(image, 483 + 158, 718 + 50), grey(192));
    QCOMPARE(pixelName(image, 642 + 2, 718 + 2), grey(0));
    // QUALITY CONTROL boxes at y 807, x 483, 801 and 1119, each 318 x 89.
    QCOMPARE(pixelName(image, 483, 807), grey(0));
    QCOMPARE(pixelName(image, 800, 895), grey(0));
    QCOMPARE(pixelName(image, 801, 807), grey(129));
    QCOMPARE(pixelName(image, 1118, 895), grey(129));
    QCOMPARE(pixelName(image, 1119, 807), grey(255));
    QCOMPARE(pixelName(image, 1436, 895), grey(255));
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
    const PatternGrid grid(size);
    const QList<QLine> lines = expectedGreen(grid, TestPattern::tTestPattern(type));

    // Outlines come last, so the middle of every edge is green on both of its pixels.
    const bool ownLayer = type == TestPattern::kTestPatternAllLines;
    if (!ownLayer) {
        for (const QLine &line : lines) {
            const QPoint middle = line.center();
            const QPoint before = line.dx() == 0 ? middle - QPoint(1, 0) : middle - QPoint(0, 1);
            QCOMPARE(pixelName(image, middle.x(), middle.y()), green());
            QCOMPARE(pixelName(image, before.x(), before.y()), green());
        }
    }
    // No green anywhere else.
    const QRgb greenRgb = qRgb(0, 255, 0);
    int greenPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != (greenRgb & 0xffffff))
                continue;
            ++greenPixels;
            const bool expected =
                std::any_of(lines.cbegin(), lines.cend(), [x, y](const QLine &l) { return nearLine(l, x, y); });
            if (!expected)
                QFAIL(qPrintable(QStringLiteral("unexpected green at (%1, %2)").arg(x).arg(y)));
        }
    }
    QCOMPARE(greenPixels > 0, !lines.isEmpty());
}

QTEST_MAIN(TestCompositePattern)
#include "tst_compositepattern.moc"
