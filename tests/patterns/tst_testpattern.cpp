#include "canvaswidget.h"
#include "patternprobe.h"
#include "support/patience.h"
#include "testpattern.h"

#include <QScreen>
#include <QTest>

using NSTESTPatter::TestPattern;

// The patterns other than the composite one, and the canvas that shows them.
class TestTestPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The catalogue names patterns by key text, so both the texts and their values are fixed. Keys
    // without a pattern of their own show the composite pattern without emphasis.
    void keyText_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("composite");
        QTest::newRow("unknown") << "kTestPatternUnknown" << -1 << true;
        QTest::newRow("external image") << "kTestPatternExternalImage" << 32 << false;
        QTest::newRow("LN801") << "kTestPatternLN801" << 45 << true;
        QTest::newRow("count") << "kTestPatternCount" << 85 << true;
        QTest::newRow("empty text") << "" << -1 << true;
        QTest::newRow("empty key in lower case") << "ktestpatternempty" << -1 << true;
        QTest::newRow("non-Latin text") << QStringLiteral("kTestPattern\u00c9mpty") << -1 << true;
    }

    void keyText()
    {
        QFETCH(QString, key);
        QFETCH(int, type);
        TestPattern pattern(nullptr, TestPattern::kTestPatternTG18MP);
        pattern.setTypeString(key);
        QCOMPARE(int(pattern.type()), type);
        QTEST(pattern.toImage(QSize(990, 767)) == renderPattern("kTestPatternDefault", QSize(990, 767)), "composite");
    }

    // Every highlighter value is rewritten, so none survives from an earlier type.
    void setTypeResetsTheHighlighter()
    {
        TestPattern pattern;
        pattern.setType(TestPattern::kTestPatternGrayLevel0100);
        pattern.setType(TestPattern::kTestPatternCircle);
        const QVector<int> highlight{pattern.element(), pattern.position(), pattern.grayLevelIndex(),
                                     pattern.qualityIndex()};
        QCOMPARE(highlight, (QVector<int>{3, -1, -1, -1}));
    }

    // Every pixel of a pattern as drawn, by its checksum: the emphasis of each test and nothing else changed.
    // 990 x 767 has fractional square cells (62.9), where truncating and rounding part, in a grid 111 pixels
    // from the left edge; at 613 x 347 the halves of a resolution zone are odd, at 1280 x 1024 twice a rounded
    // cell is not two cells rounded. lumivex-pattern draws the same images to look at.
    void checksums_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("checksum");
        const auto row = [](const char *key, const QSize &size, const char *checksum) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2x%3").arg(key).arg(size.width()).arg(size.height())))
                << QStringLiteral("kTestPattern%1").arg(key) << size << QByteArray(checksum);
        };
        row("Default", {990, 767}, "fe03ec224255d2aa44f7e8e124c664fa");
        row("Default", {613, 347}, "4d2414c50f5245eb69f771371653f7de");
        row("Default", {1280, 1024}, "a7bc747e9a41d7a79f36b57ac796712f");
        row("Border", {990, 767}, "dba92452e24248902e6d6b8762497546");
        row("AllLines", {990, 767}, "db8d588b49ed294b895bfa53524e2a25");
        row("GridOnlyCenter", {990, 767}, "e508502d9e3cd60322ade49e10583793");
        row("GridOnlyAll", {990, 767}, "9cebf46beb01087693947392e265a206");
        row("GridAndSRCenter", {990, 767}, "a58a256000fb6784ae8a59c932b81a19");
        row("GridOnlyTL", {990, 767}, "237d7ee1bfad139305803358dbd2d7c2");
        row("GridOnlyTR", {990, 767}, "18b6bbf4f981d3596aba457c6674b9c9");
        row("GridOnlyBL", {990, 767}, "d6755794a410a04227ffa921d0b7783c");
        row("GridOnlyBR", {990, 767}, "e0be2aa5cb1e88059621b2e25c39b41d");
        row("GridAndSRAll", {990, 767}, "9cebf46beb01087693947392e265a206");
        row("GrayLevelAllLevels", {990, 767}, "db20eed6e0148aa6b709c67be996c942");
        row("GrayLevel05", {990, 767}, "24c85e67e0e5edc2da8e9cb1d3dcea7c");
        row("GrayLevel595", {990, 767}, "71ab335708f8453281d9d8d9e39e0fa5");
        row("GrayLevel10095", {990, 767}, "0c9afb77a81c10b909265f5bfd3fd3c6");
        row("GrayLevel0100", {990, 767}, "fe03ec224255d2aa44f7e8e124c664fa");
        row("Circle", {990, 767}, "fe03ec224255d2aa44f7e8e124c664fa");
        row("SpatialResolutionCenter", {990, 767}, "73a9530be9205b2f8544e42442570735");
        row("SpatialResolutionAll", {990, 767}, "9cebf46beb01087693947392e265a206");
        row("SpatialResolutionHigh", {990, 767}, "5243516a2a780c1d7085297c7bbc1843");
        row("SpatialResolutionLow", {990, 767}, "e352fa62cf5e162df011c7539c4377aa");
        row("QualityWhite", {990, 767}, "7c1db304482032443e9b0a51b136edb4");
        row("QualityGrey", {990, 767}, "403d10547e09d46485bf472781cb7486");
        row("QualityBlack", {990, 767}, "4ce7900e7e30e6a1d3b426a47b2c1a23");
        row("QualityWhiteAndGrey", {990, 767}, "a3fa9cc20e4a307ad898ce0dee5e16e4");
        row("QualityGreyAndBlack", {990, 767}, "3d86bddad149de2c406c53d2b33691cd");
        row("QualityWhiteAndBlack", {990, 767}, "03f060364a203426a0e0e980a7707b57");
        row("QualityAll", {990, 767}, "71f746eb89e32e67598956b6571606c7");
        row("Gradients", {990, 767}, "1c88d240c082b90b19a888e107525f45");
        row("BW", {990, 767}, "d0c2b31ddc2c3096d89099825ea2feb2");
        // The photograph scaled to fit, keeping its shape, and centred on black.
        row("ExternalImage", {1920, 1080}, "880f859a68102520abbc80ff4b940441");
        row("ExternalImage", {2560, 1080}, "668b8e01f5e1c4c49dd9385a20b6d18d");
        row("TG18MP", {990, 767}, "935f467af68c9da1bde55282cc9c26fe");
        row("LuminanceLightAll", {1920, 1080}, "c2ce2209beda99badbd2bd327c0423aa");
        row("LuminanceDarkBR", {1366, 768}, "755eecaf00b6649e53a20cc6a5647eb1");
        row("UN80", {990, 767}, "e7c590ca13345396d67cf114d2213010");
        row("UN10", {990, 767}, "09bee4606cd60f5370e195d37e74a3b5");
        row("Empty", {990, 767}, "17e87c0d9bac6e0083bb4eac52cdce30");
        row("TG18LN07", {1366, 768}, "6f5b9d7a72177143faeedba31ad84807");
        row("TG18LN18", {990, 767}, "61b8c8ce1b7aea21cb790b7a9a80a72e");
    }

    void checksums()
    {
        QFETCH(QString, key);
        QFETCH(QSize, size);
        QTEST(checksum(renderPattern(key, size)), "checksum");
    }

    // Tiny canvases draw every pattern without a crash or a hang.
    void tinySizes()
    {
        for (const QSize &size : {QSize(1, 1), QSize(2, 3), QSize(11, 11), QSize(12, 12), QSize(13, 13), QSize(17, 40),
                                  QSize(1, 600), QSize(600, 1)}) {
            for (int value = TestPattern::kTestPatternUnknown; value < TestPattern::kTestPatternCount; ++value) {
                TestPattern pattern;
                pattern.setType(TestPattern::tTestPattern(value));
                QCOMPARE(pattern.toImage(size).size(), size);
            }
        }
    }

    // Later paints at the same size copy the first drawing, a new size draws anew,
    // and a scaled painter (a high-density screen) gets the ramps drawn directly.
    void tg18MpRepaintsAndScaledPainter()
    {
        TestPattern pattern(nullptr, TestPattern::kTestPatternTG18MP);
        for (const QSize &size : {QSize(1920, 1080), QSize(1366, 768), QSize(1366, 768), QSize(1920, 1080)})
            QVERIFY(pattern.toImage(size) == renderPattern("kTestPatternTG18MP", size));
        QImage image(2 * 972, 2 * 552, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.scale(2, 2);
        pattern.setRect(QRect(0, 0, 972, 552));
        pattern.paint(&painter);
        pattern.setPainter(nullptr);
        // (972 - 12) / 16 = 60: column 1 starts at 66, that is pixel 132 of the doubled image.
        comparePixels(image, "12,12=0 10,10=129 130,40=1 133,40=16");
    }

    // A new canvas shows the empty pattern; a new key repaints it: the screen shows it without another paint
    // asked for.
    void canvasDrawsAtItsOwnSize()
    {
        CanvasWidget canvas;
        canvas.resize(612, 312);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas, Patience));
        const auto onScreen = [&canvas] { return canvas.screen()->grabWindow(canvas.winId()).toImage(); };
        QTRY_COMPARE_WITH_TIMEOUT(colourName(onScreen().pixel(611, 311)), QString("129"), Patience);
        QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 612 - Height: 312");
        canvas.setPattern("kTestPatternTG18LN18");
        QCOMPARE(canvas.pattern()->type(), TestPattern::kTestPatternTG18LN18);
        // (612 - 12) / 3 = 200 and (312 - 12) / 3 = 100.
        QTRY_COMPARE_WITH_TIMEOUT(colourName(onScreen().pixel(200, 100)), QString("255"), Patience);
        comparePixels(onScreen(), "200,100=255 399,199=255 400,199=153 199,100=153");
    }

    void compositeCellsAreSquare_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize &size :
             {QSize(1920, 1080), QSize(1366, 768), QSize(2560, 1440), QSize(1080, 1920), QSize(990, 767)})
            QTest::newRow(qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()))) << size;
    }

    // A square stays square on every screen, and each element stands in the square grid as it does on a
    // square screen of the grid's size.
    void compositeCellsAreSquare()
    {
        QFETCH(QSize, size);
        QCOMPARE(squareGridFault(renderPattern("kTestPatternAllLines", size)), QString());
        const int side = qMin(size.width(), size.height());
        const QPoint corner((size.width() - side) / 2, (size.height() - side) / 2);
        const QImage wide = renderPattern("kTestPatternDefault", size);
        // The border follows the screen's edges, not the grid's.
        const QImage grid = wide.copy(QRect(corner, QSize(side, side))).copy(2, 2, side - 4, side - 4);
        const QImage square = renderPattern("kTestPatternDefault", QSize(side, side)).copy(2, 2, side - 4, side - 4);
        QVERIFY(sameApartFromLettering(grid, square));
    }
};

QTEST_MAIN(TestTestPattern)
#include "tst_testpattern.moc"
