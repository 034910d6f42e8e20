#include "patternprobe.h"
#include "tg18mppatternpainter.h"

#include <QPainter>
#include <QTest>

class TestTg18MpPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsAndTicks_data() { addSizeRows(); }
    void columnsAndTicks();
    void repaintsMatchTheFirstDrawing();
    void scaledPainterDrawsDirectly();
};

namespace {

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

void TestTg18MpPattern::columnsAndTicks()
{
    QFETCH(QSize, size);
    const QImage image = renderPattern(QStringLiteral("kTestPatternTG18MP"), size);
    const int step = qRound((size.width() - 12) / 16.0);
    const int height = 12 * qRound((size.height() - 12) / 12.0);
    if (size == QSize(1920, 1080)) {
        QCOMPARE(step, 119);
        QCOMPARE(height, 1068);
    }
    const QList<QPair<int, int>> tickLevels = {{48, 64},   {65, 80},   {81, 96},   {97, 112},  {113, 128},
                                               {129, 144}, {145, 160}, {112, 127}, {128, 143}, {144, 159},
                                               {160, 175}, {176, 191}, {192, 207}, {208, 223}, {224, 239}};
    for (int column = 0; column < 16; ++column) {
        const int left = 6 + column * step;
        const int right = left + step - 1;
        const int low = 16 * column;
        const auto inColumn = [&](int x, int y) { return inRange(greyAt(image, x, y), low, low + 15); };
        QCOMPARE(pixelName(image, left, 6), grey(low));
        QVERIFY2(inRange(greyAt(image, right, 5 + height), low + 14, low + 15),
                 qPrintable(pixelName(image, right, 5 + height)));
        // Between two tick rows only the ramp shows.
        QVERIFY(inColumn(left, 30) && inColumn(right, 30));
        if (column == 0)
            continue;
        // Ticks every 16 pixels from y 22 while y < the ramp height, every fourth one 10 pixels long.
        const auto isTick = [&](int x, int y) {
            return inRange(greyAt(image, x, y), tickLevels.at(column - 1).first, tickLevels.at(column - 1).second);
        };
        int count = 0;
        for (int y = 22; y < height; y += 16) {
            const int length = ++count % 4 == 0 ? 10 : 5;
            QVERIFY2(isTick(left, y) && isTick(left + length - 1, y),
                     qPrintable(QStringLiteral("column %1, tick %2").arg(column).arg(count)));
            QVERIFY(inColumn(left + length, y) && inColumn(left, y + 1) && inColumn(left, y - 1));
        }
        QCOMPARE(count, (height - 22 + 15) / 16);
        if (22 + 16 * count < 6 + height)
            QVERIFY(inColumn(left, 22 + 16 * count));
    }
    // Around the ramp area the background shows, with no border or grid. Rounded
    // column widths may run the last column to the right edge (1366: 6 + 16 * 85).
    const int end = 6 + 16 * step;
    if (end < size.width()) {
        QCOMPARE(pixelName(image, end, 100), grey(129));
        QCOMPARE(pixelName(image, size.width() - 1, 100), grey(129));
    }
    for (const QPoint &point : {QPoint(0, 0), QPoint(5, 100), QPoint(100, 5), QPoint(100, 6 + height)})
        QCOMPARE(pixelName(image, point.x(), point.y()), grey(129));
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
