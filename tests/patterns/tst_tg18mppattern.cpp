#include "patternprobe.h"
#include "tg18mppatternpainter.h"

#include <QPainter>

#include <QTest>

class TestTg18MpPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columns_data();
    void columns();
    void ticks_data();
    void ticks();
    void nothingOfTheCompositePattern();
    void repaintsMatchTheFirstDrawing();
    void scaledPainterDrawsDirectly();
};

namespace {

struct RampGeometry
{
    explicit RampGeometry(const QSize &size)
        : step(qRound((size.width() - 12) / 16.0)), height(12 * qRound((size.height() - 12) / 12.0))
    {
    }
    int columnLeft(int column) const { return 6 + column * step; }

    int step;
    int height;
};

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

void TestTg18MpPattern::columns_data()
{
    addSizeRows();
}

void TestTg18MpPattern::columns()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternTG18MP"), size);
    const RampGeometry ramp(size);
    // Between two tick rows, so that only the ramps show.
    const int row = 30;
    for (int column = 0; column < 16; ++column) {
        const int left = ramp.columnLeft(column);
        const int right = left + ramp.step - 1;
        const int low = 16 * column;
        QCOMPARE(pixelName(image, left, 6), grey(low));
        QVERIFY2(inRange(greyAt(image, right, 6 + ramp.height - 1), low + 14, low + 15),
                 qPrintable(pixelName(image, right, 6 + ramp.height - 1)));
        QVERIFY(inRange(greyAt(image, left, row), low, low + 15));
        QVERIFY(inRange(greyAt(image, right, row), low, low + 15));
    }
    // Around the ramp area the background shows, with no border.
    // Rounded column widths may run the last column to the right edge (1366: 6 + 16 * 85).
    const int end = ramp.columnLeft(16);
    if (end < size.width()) {
        QCOMPARE(pixelName(image, end, 100), grey(129));
        QCOMPARE(pixelName(image, size.width() - 1, 100), grey(129));
    }
    QCOMPARE(pixelName(image, 5, 100), grey(129));
    QCOMPARE(pixelName(image, 100, 5), grey(129));
    QCOMPARE(pixelName(image, 100, 6 + ramp.height), grey(129));
    QCOMPARE(pixelName(image, 0, 0), grey(129));
    QVERIFY(greyAt(image, 100, 5 + ramp.height) != 129);
}

void TestTg18MpPattern::ticks_data()
{
    addSizeRows();
}

void TestTg18MpPattern::ticks()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternTG18MP"), size);
    const RampGeometry ramp(size);
    const QList<QPair<int, int>> levels = {{48, 64},   {65, 80},   {81, 96},   {97, 112},  {113, 128},
                                           {129, 144}, {145, 160}, {112, 127}, {128, 143}, {144, 159},
                                           {160, 175}, {176, 191}, {192, 207}, {208, 223}, {224, 239}};
    for (int boundary = 1; boundary <= 15; ++boundary) {
        const int x = ramp.columnLeft(boundary);
        const int columnLow = 16 * boundary;
        const auto isTick = [&](int px, int py) {
            return inRange(greyAt(image, px, py), levels.at(boundary - 1).first, levels.at(boundary - 1).second);
        };
        const auto isColumn = [&](int px, int py) { return inRange(greyAt(image, px, py), columnLow, columnLow + 15); };
        int count = 0;
        for (int y = 22; y < ramp.height; y += 16) {
            ++count;
            const int length = count % 4 == 0 ? 10 : 5;
            QVERIFY2(isTick(x, y) && isTick(x + length - 1, y),
                     qPrintable(QStringLiteral("boundary %1, tick %2").arg(boundary).arg(count)));
            QVERIFY2(isColumn(x + length, y), qPrintable(QStringLiteral("after tick %1").arg(count)));
            QVERIFY(isColumn(x, y + 1));
            QVERIFY(isColumn(x, y - 1));
        }
        QCOMPARE(count, (ramp.height - 22 + 15) / 16);
        // No tick at or past the ramp height.
        const int next = 22 + 16 * count;
        if (next < 6 + ramp.height)
            QVERIFY(isColumn(x, next));
    }
    if (size == QSize(1920, 1080)) {
        QCOMPARE(ramp.step, 119);
        QCOMPARE(ramp.height, 1068);
        QCOMPARE((ramp.height - 22 + 15) / 16, 66);
    }
}

void TestTg18MpPattern::nothingOfTheCompositePattern()
{
    const QImage image = renderPattern(QStringLiteral("kTestPatternTG18MP"), QSize(1920, 1080));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(qRed(image.pixel(x, y)) == qGreen(image.pixel(x, y)));
    // Column 15 ends at 1909, the strip up to 1919 is background.
    QVERIFY(greyAt(image, 1909, 500) > 240);
    QCOMPARE(pixelName(image, 1910, 500), grey(129));
    QCOMPARE(pixelName(image, 1919, 500), grey(129));
}

// Later paints at the same size copy the first drawing; a new size draws anew.
void TestTg18MpPattern::repaintsMatchTheFirstDrawing()
{
    NSTESTPatter::TestPattern pattern(nullptr, NSTESTPatter::TestPattern::kTestPatternTG18MP);
    for (const QSize &size : {QSize(1920, 1080), QSize(1366, 768), QSize(1366, 768), QSize(1920, 1080)}) {
        QImage direct(size, QImage::Format_RGB32);
        direct.fill(qRgb(129, 129, 129));
        QPainter painter(&direct);
        NSTESTPatter::Tg18MpPatternPainter(&painter, size.width() - 12.0, (size.height() - 12) / 12.0).paint();
        QVERIFY2(pattern.toImage(size) == direct, sizeName(size).constData());
    }
}

void TestTg18MpPattern::scaledPainterDrawsDirectly()
{
    NSTESTPatter::TestPattern pattern(nullptr, NSTESTPatter::TestPattern::kTestPatternTG18MP);
    QImage image(2 * 972, 2 * 552, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(2, 2);
    pattern.setRect(QRect(0, 0, 972, 552));
    pattern.paint(&painter);
    pattern.setPainter(nullptr);
    // (972 - 12) / 16 = 60: column 1 starts at 66, that is pixel 132 of the doubled image.
    QCOMPARE(pixelName(image, 12, 12), grey(0));
    QCOMPARE(pixelName(image, 10, 10), grey(129));
    QVERIFY(inRange(greyAt(image, 133, 40), 16, 31));
    QVERIFY(inRange(greyAt(image, 130, 40), 0, 15));
}

QTEST_MAIN(TestTg18MpPattern)
#include "tst_tg18mppattern.moc"
