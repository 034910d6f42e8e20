#include "canvaswidget.h"
#include "patternprobe.h"
#include "support/patience.h"
#include "testpattern.h"
#include "tg18mppatternpainter.h"

#include <QSignalSpy>
#include <QTest>

using NSTESTPatter::TestPattern;

namespace {

void addProbeRow(const char *name, const char *key, const QSize &size, const char *probes)
{
    QTest::newRow(name) << QString(key) << size << QString(probes);
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

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

    void setTypeRepaintsOnlyWithPainter()
    {
        TestPattern pattern(nullptr, TestPattern::kTestPatternUN80);
        QSignalSpy spy(&pattern, &TestPattern::typeChanged);
        pattern.draw();
        QImage image(40, 30, QImage::Format_RGB32);
        QPainter painter(&image);
        pattern.setRect(image.rect());
        pattern.setPainter(&painter);
        // The same type again still emits and repaints.
        pattern.setType(TestPattern::kTestPatternUN80);
        comparePixels(image, "20,15=204");
        pattern.setType(TestPattern::kTestPatternUN10);
        comparePixels(image, "0,0=26");
        pattern.setPainter(nullptr);
        pattern.setType(TestPattern::kTestPatternQualityAll);
        comparePixels(image, "5,5=26");
        QCOMPARE(spy.count(), 3);
        // Every highlighter value is rewritten, so none survives from an earlier type.
        pattern.setType(TestPattern::kTestPatternGrayLevel0100);
        pattern.setType(TestPattern::kTestPatternCircle);
        const QVector<int> highlight{pattern.element(), pattern.position(), pattern.grayLevelIndex(),
                                     pattern.qualityIndex()};
        QCOMPARE(highlight, (QVector<int>{3, -1, -1, -1}));
    }

    // Pixels by value: 990 x 767 has fractional square cells (62.9), where truncating
    // and rounding part, in a grid 111 pixels from the left edge.
    void probes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("probes");
        addProbeRow(
            "composite 990x767", "kTestPatternDefault", QSize(990, 767),
            "0,0=255 495,1=255 495,2=129 988,383=255 987,383=129 1,383=255 2,383=129 495,765=255 495,764=129 "
            "989,766=255 412,666=129 413,666=129 414,666=129 415,666=129 943,319=129 943,320=129 943,321=129 "
            "943,322=129 903,760=129 903,761=129 903,762=129 903,763=129 983,698=129 984,698=129 985,698=129 "
            "986,698=129 256,513=129 260,516=129 261,513=129 256,517=129 322,513=8 321,513=8 313,516=12 "
            "327,564=8 327,563=8 256,568=129 411,569=0 352,525=8 351,525=8 392,555=12 393,555=12 352,524=8 "
            "352,556=8 656,569=248 597,525=242 596,525=242 637,555=248 638,555=248 597,524=255 597,556=255 "
            "127,100=129 128,100=129 779,100=129 780,100=129 127,130=129 128,130=129 779,130=129 780,130=129 "
            "291,108=0 616,108=0 291,114=0 291,115=129 291,123=255 250,6=192 249,8=129 738,8=129 739,8=129 "
            "250,37=129 250,36=129 738,68=192 738,69=192 535,13=0 536,13=0 698,13=129 699,13=129 536,12=0 "
            "536,11=255 350,59=255 536,58=255 536,59=255 698,60=129 536,61=255 535,30=255 536,30=255 537,30=255 "
            "536,29=255 87,193=129 87,194=129 127,382=129 167,570=129 168,570=129 86,194=129 250,572=192 "
            "250,570=129 249,574=129 413,572=0 413,634=0 414,634=0 250,634=192 250,636=129 576,572=255 "
            "576,570=255 575,574=255 739,572=192 739,634=192 740,634=192 576,634=255 576,636=129 7,7=129 8,7=129 "
            "9,7=129 47,7=129 48,7=129 49,7=129 50,7=129 87,7=129 88,7=129 89,7=129 167,7=0 7,37=129 7,38=129 "
            "7,39=129 7,40=129 88,38=129 88,39=129 167,67=255 6,7=129 168,10=0 822,7=255 823,7=0 824,7=0 "
            "902,7=129 903,7=129 904,7=129 822,37=255 822,40=0 903,39=129 982,67=129 7,699=129 8,699=129 "
            "87,699=129 88,699=129 167,699=255 7,729=129 7,730=129 7,731=129 415,322=129 416,322=129 455,322=255 "
            "456,322=0 497,322=129");
        // Sizes where the halves of a resolution zone are odd and twice a rounded cell is not two cells rounded.
        addProbeRow("composite 613x347", "kTestPatternDefault", QSize(613, 347), "153,7=0 155,7=255");
        addProbeRow("composite 1280x1024", "kTestPatternDefault", QSize(1280, 1024), "892,765=192");
        addProbeRow("emphasised border", "kTestPatternBorder", QSize(990, 767), "0,0=G 495,1=G 495,2=129 988,383=G");
        addProbeRow("emphasised lines", "kTestPatternAllLines", QSize(990, 767),
                    "115,398=129 116,398=G 117,398=G 118,398=129 871,398=G 872,398=G 873,398=129 400,4=129 400,5=G");
        addProbeRow("grid only: no ring", "kTestPatternGridOnlyCenter", QSize(990, 767),
                    "256,513=129 260,516=129 411,569=129 352,525=129");
        addProbeRow("grid only, all zones: ring", "kTestPatternGridOnlyAll", QSize(990, 767),
                    "256,513=129 260,516=129 411,569=0 352,525=8");
        addProbeRow("grid and resolution: flat zones", "kTestPatternGridAndSRCenter", QSize(990, 767),
                    "110,7=129 117,7=192 118,7=128 119,7=128 434,330=128");
        addProbeRow(
            "TG18-MP 990x767", "kTestPatternTG18MP", QSize(990, 767),
            "0,0=129 5,100=129 100,5=129 100,762=129 6,6=0 66,761=15 67,6=16 127,761=31 67,22=49 71,22=49 72,22=16 "
            "67,23=16 76,70=50 77,70=17 71,86=50 72,86=18 67,742=63 494,6=128 554,761=143 494,22=114 498,22=114 "
            "499,22=128 494,23=128 503,70=115 504,70=129 498,86=115 499,86=130 494,742=127 921,6=240 981,761=255 "
            "921,22=227 925,22=227 926,22=240 921,23=240 930,70=228 931,70=241 925,86=228 926,86=242 921,742=239");
        addProbeRow("LuminanceLightAll 1920x1080", "kTestPatternLuminanceLightAll", QSize(1920, 1080),
                    "480,270=204 304,270=204 300,270=0 659,270=0 296,270=129 480,454=204 1440,810=204 1264,810=204 "
                    "1260,810=0 1619,810=0 1256,810=129 1440,994=129 960,540=204 0,0=129 1919,1079=129");
        addProbeRow(
            "LuminanceDarkBR 1366x768", "kTestPatternLuminanceDarkBR", QSize(1366, 768),
            "1023,576=26 899,576=26 895,576=0 1150,576=0 891,576=129 1023,708=129 341,192=129 0,0=129 1365,767=129");
        addProbeRow("UN80", "kTestPatternUN80", QSize(990, 767), "0,0=204 495,383=204 989,766=204");
        addProbeRow("UN10", "kTestPatternUN10", QSize(990, 767), "0,0=26 495,383=26 989,766=26");
        addProbeRow("empty, no border", "kTestPatternEmpty", QSize(990, 767),
                    "0,0=129 495,383=129 989,766=129 6,6=129");
        addProbeRow("TG18LN07 1366x768", "kTestPatternTG18LN07", QSize(1366, 768),
                    "451,252=90 450,252=153 451,251=153 901,503=90 902,503=153 901,504=153 0,0=153 1365,767=153");
        addProbeRow("TG18LN18 990x767", "kTestPatternTG18LN18", QSize(990, 767),
                    "326,251=255 325,251=153 326,250=153 651,501=255 652,501=153 651,502=153 0,0=153 989,766=153");
    }

    void probes()
    {
        QFETCH(QString, key);
        QFETCH(QSize, size);
        QFETCH(QString, probes);
        comparePixels(renderPattern(key, size), probes);
    }

    void greenOutlines_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("count");
        QTest::addColumn<QRect>("box");
        // Pattern, green pixels at 990 x 767, and the rectangle round them.
        const QString table =
            "Default 0 0,0,0,0; GridOnlyTL 755 116,5,128,65; GridOnlyTR 755 745,5,128,65; GridOnlyBL 755 "
            "116,697,128,65; GridOnlyBR 755 745,697,128,65; GridOnlyCenter 755 431,320,128,65; GridOnlyAll 3775 "
            "116,5,757,757; GridAndSRAll 3775 116,5,757,757; GrayLevelAllLevels 4269 305,194,379,379; "
            "GrayLevel05 503 368,508,65,65; GrayLevel595 1006 368,508,253,65; GrayLevel10095 503 556,508,65,65; "
            "GrayLevel0100 0 0,0,0,0; AllLines 31299 116,5,757,757; Circle 0 0,0,0,0; SpatialResolutionCenter "
            "755 431,320,128,65; SpatialResolutionAll 3775 116,5,757,757; SpatialResolutionHigh 2515 "
            "116,5,757,757; SpatialResolutionLow 2515 179,5,631,757; QualityWhite 755 556,571,128,65; "
            "QualityGrey 751 431,571,127,65; QualityBlack 755 305,571,128,65; QualityWhiteAndGrey 1377 "
            "431,571,253,65; QualityGreyAndBlack 1377 305,571,253,65; QualityWhiteAndBlack 1510 305,571,379,65; "
            "QualityAll 2003 305,571,379,65; Gradients 3518 179,194,631,379; BW 2767 179,5,568,128; LN801 0 "
            "0,0,0,0";
        for (const QString &row : table.split("; ")) {
            const QStringList parts = row.split(QRegularExpression("[ ,]"));
            QTest::newRow(qPrintable(parts.at(0)))
                << "kTestPattern" + parts.at(0) << parts.at(1).toInt()
                << QRect(parts.at(2).toInt(), parts.at(3).toInt(), parts.at(4).toInt(), parts.at(5).toInt());
        }
    }

    // The emphasis of each test, and no green anywhere else.
    void greenOutlines()
    {
        QFETCH(QString, key);
        const QImage image = renderPattern(key, QSize(990, 767));
        QPolygon green;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(0, 255, 0))
                    green << QPoint(x, y);
            }
        }
        QTEST(int(green.size()), "count");
        QTEST(green.boundingRect(), "box");
    }

    // The 2609 x 1456 photograph scaled to fit, keeping its shape, and centred: everything
    // outside the picture is black; its outermost rows and columns are not.
    void externalImage()
    {
        for (const auto &[size, picture] : {std::make_pair(QSize(1920, 1080), QRect(0, 4, 1920, 1071)),
                                            std::make_pair(QSize(2560, 1080), QRect(312, 0, 1935, 1080))}) {
            const QImage image = renderPattern("kTestPatternExternalImage", size);
            QImage black(size, QImage::Format_RGB32);
            black.fill(Qt::black);
            const auto blackApartFrom = [&](const QRect &area) {
                QImage covered = image;
                QPainter(&covered).fillRect(area, Qt::black);
                return covered == black;
            };
            QVERIFY(blackApartFrom(picture));
            for (const QMargins &edge :
                 {QMargins(1, 0, 0, 0), QMargins(0, 1, 0, 0), QMargins(0, 0, 1, 0), QMargins(0, 0, 0, 1)})
                QVERIFY(!blackApartFrom(picture.marginsRemoved(edge)));
        }
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
        for (const QSize &size : {QSize(1920, 1080), QSize(1366, 768), QSize(1366, 768), QSize(1920, 1080)}) {
            QImage direct(size, QImage::Format_RGB32);
            direct.fill(qRgb(129, 129, 129));
            QPainter painter(&direct);
            NSTESTPatter::Tg18MpPatternPainter(&painter, size.width() - 12.0, (size.height() - 12) / 12.0).paint();
            QVERIFY(pattern.toImage(size) == direct);
        }
        QImage image(2 * 972, 2 * 552, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.scale(2, 2);
        pattern.setRect(QRect(0, 0, 972, 552));
        pattern.paint(&painter);
        pattern.setPainter(nullptr);
        // (972 - 12) / 16 = 60: column 1 starts at 66, that is pixel 132 of the doubled image.
        comparePixels(image, "12,12=0 10,10=129 130,40=1 133,40=16");
    }

    // A new canvas shows the empty pattern; a new key repaints it.
    void canvasDrawsAtItsOwnSize()
    {
        CanvasWidget canvas;
        PaintCounter counter;
        canvas.installEventFilter(&counter);
        canvas.resize(612, 312);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas, Patience));
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints > 0, Patience);
        comparePixels(canvas.grab().toImage(), "611,311=129");
        const int before = counter.paints;
        canvas.setPattern("kTestPatternTG18LN18");
        QCOMPARE(canvas.pattern()->type(), TestPattern::kTestPatternTG18LN18);
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints > before, Patience);
        // (612 - 12) / 3 = 200 and (312 - 12) / 3 = 100.
        QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 612 - Height: 312");
        comparePixels(canvas.grab().toImage(), "200,100=255 399,199=255 400,199=153 199,100=153");
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
