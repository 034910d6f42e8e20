#include "patternprobe.h"
#include "testpattern.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using NSTESTPatter::TestPattern;

class TestTestPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyText_data();
    void keyText();
    void setTypeEmitsAndPaintsOnlyWithPainter();
    void flatPatterns_data();
    void flatPatterns();
    void luminanceFields_data();
    void luminanceFields();
    void demoPhotograph();
    void externalImage_data();
    void externalImage();
    void tinySizes_data();
    void tinySizes();
};

// The catalogue names patterns by key text, so both the texts and their values are fixed. Keys
// without a pattern of their own show the composite pattern without emphasis.
void TestTestPattern::keyText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("composite");
    QTest::newRow("unknown") << "kTestPatternUnknown" << -1 << true;
    QTest::newRow("empty") << "kTestPatternEmpty" << 0 << false;
    QTest::newRow("grid and SR all") << "kTestPatternGridAndSRAll" << 13 << false;
    QTest::newRow("external image") << "kTestPatternExternalImage" << 32 << false;
    QTest::newRow("LN801") << "kTestPatternLN801" << 45 << true;
    QTest::newRow("LN818") << "kTestPatternLN818" << 46 << true;
    QTest::newRow("light TL") << "kTestPatternLuminanceLightTL" << 47 << false;
    QTest::newRow("dark all") << "kTestPatternLuminanceDarkAll" << 66 << false;
    QTest::newRow("LN01") << "kTestPatternTG18LN01" << 67 << false;
    QTest::newRow("LN18") << "kTestPatternTG18LN18" << 84 << false;
    QTest::newRow("count") << "kTestPatternCount" << 85 << true;
    QTest::newRow("empty text") << "" << -1 << true;
    QTest::newRow("empty key in lower case") << "ktestpatternempty" << -1 << true;
    QTest::newRow("non-Latin text") << QStringLiteral("kTestPattern\u00c9mpty") << -1 << false;
}

void TestTestPattern::keyText()
{
    QFETCH(QString, key);
    QFETCH(int, type);
    QFETCH(bool, composite);
    TestPattern pattern(nullptr, TestPattern::kTestPatternTG18MP);
    pattern.setTypeString(key);
    QCOMPARE(int(pattern.type()), type);
    if (type != -1 || key == QLatin1String("kTestPatternUnknown"))
        QCOMPARE(TestPattern::typeToString(pattern.type()), key);
    const QSize size(1366, 768);
    if (composite)
        QVERIFY(pattern.toImage(size) == renderPattern(QStringLiteral("kTestPatternDefault"), size));
}

void TestTestPattern::setTypeEmitsAndPaintsOnlyWithPainter()
{
    TestPattern pattern(nullptr, TestPattern::kTestPatternUN80);
    QSignalSpy spy(&pattern, &TestPattern::typeChanged);
    pattern.draw();
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter painter(&image);
        pattern.setRect(image.rect());
        pattern.setPainter(&painter);
        // The same type again still emits and repaints.
        pattern.setType(TestPattern::kTestPatternUN80);
        QCOMPARE(pixelName(image, 20, 15), grey(204));
        QVERIFY(pattern.setProperty("type", QVariant::fromValue(TestPattern::kTestPatternUN10)));
        QCOMPARE(pixelName(image, 0, 0), grey(26));
        pattern.setPainter(nullptr);
    }
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).value<TestPattern::tTestPattern>(), TestPattern::kTestPatternUN10);
    // Once the painter is gone, changing the type paints nothing.
    pattern.setType(TestPattern::kTestPatternQualityAll);
    QCOMPARE(pixelName(image, 5, 5), grey(26));
    // Every highlighter value is rewritten, so none survives from an earlier type.
    pattern.setType(TestPattern::kTestPatternGrayLevel0100);
    pattern.setType(TestPattern::kTestPatternCircle);
    const QVector<int> highlight{pattern.element(), pattern.position(), pattern.grayLevelIndex(),
                                 pattern.qualityIndex()};
    QCOMPARE(highlight, (QVector<int>{3, -1, -1, -1}));
}

void TestTestPattern::flatPatterns_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("surround");
    QTest::addColumn<QRect>("patch");
    QTest::addColumn<int>("level");
    for (const QSize &size : patternTestSizes()) {
        QTest::newRow(sizeName(size) + " UN80") << size << "kTestPatternUN80" << 204 << QRect() << 0;
        QTest::newRow(sizeName(size) + " UN10") << size << "kTestPatternUN10" << 26 << QRect() << 0;
        QTest::newRow(sizeName(size) + " empty, no border") << size << "kTestPatternEmpty" << 129 << QRect() << 0;
    }
    // The TG18-LN patch is a third of the size less the margins, and starts a third in.
    const QRect hdPatch(QPoint(636, 356), QPoint(1271, 711));
    QTest::newRow("1920x1080 LN01") << QSize(1920, 1080) << "kTestPatternTG18LN01" << 153 << hdPatch << 0;
    QTest::newRow("1920x1080 LN18") << QSize(1920, 1080) << "kTestPatternTG18LN18" << 153 << hdPatch << 255;
    QTest::newRow("1366x768 LN07") << QSize(1366, 768) << "kTestPatternTG18LN07" << 153
                                   << QRect(QPoint(451, 252), QPoint(901, 503)) << 90;
    QTest::newRow("3840x2160 LN17") << QSize(3840, 2160) << "kTestPatternTG18LN17" << 153
                                    << QRect(QPoint(1276, 716), QPoint(2551, 1431)) << 240;
}

void TestTestPattern::flatPatterns()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(int, surround);
    QFETCH(QRect, patch);
    QFETCH(int, level);
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(qRgb(surround, surround, surround));
    QPainter(&expected).fillRect(patch, QColor(level, level, level));
    QVERIFY(renderPattern(key, size) == expected);
}

void TestTestPattern::luminanceFields_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<QPoint>>("filled");
    QTest::addColumn<QList<QPoint>>("empty");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("diameter");
    QList<QPoint> hdCentres;
    for (int y : {270, 540, 810})
        for (int x : {480, 960, 1440})
            hdCentres << QPoint(x, y);
    const QSize hd(1920, 1080);
    QTest::newRow("1920x1080 dark MC") << hd << "kTestPatternLuminanceDarkMC" << hdCentres.mid(4, 1)
                                       << hdCentres.mid(0, 4) + hdCentres.mid(5) << 0 << 360;
    QTest::newRow("1920x1080 light all") << hd << "kTestPatternLuminanceLightAll" << hdCentres << QList<QPoint>{} << 204
                                         << 360;
    // 1366 / 4 = 341 and 768 / 4 = 192; the diameter is 768 / 3.
    QTest::newRow("1366x768 dark BR") << QSize(1366, 768) << "kTestPatternLuminanceDarkBR" << QList<QPoint>{{1023, 576}}
                                      << QList<QPoint>{{341, 192}} << 0 << 256;
    QTest::newRow("3840x2160 light TR") << QSize(3840, 2160) << "kTestPatternLuminanceLightTR"
                                        << QList<QPoint>{{2880, 540}} << QList<QPoint>{{960, 540}} << 204 << 720;
}

void TestTestPattern::luminanceFields()
{
    QFETCH(QSize, size);
    QFETCH(QString, key);
    QFETCH(QList<QPoint>, filled);
    QFETCH(QList<QPoint>, empty);
    QFETCH(int, level);
    QFETCH(int, diameter);
    const QImage image = renderPattern(key, size);
    const int radius = diameter / 2;
    for (const QPoint &centre : filled) {
        // The fill reaches to just inside the rim, the rim is the black pen, and beyond it the background.
        QCOMPARE(pixelName(image, centre.x(), centre.y()), grey(level));
        QCOMPARE(pixelName(image, centre.x() - radius + 4, centre.y()), grey(level));
        QVERIFY(greyAt(image, centre.x() - radius, centre.y()) < 64);
        QVERIFY(greyAt(image, centre.x() + radius - 1, centre.y()) < 64);
        QCOMPARE(pixelName(image, centre.x() - radius - 4, centre.y()), grey(129));
    }
    empty << QPoint(0, 0) << QPoint(size.width() - 1, size.height() - 1);
    for (const QPoint &point : empty)
        QCOMPARE(pixelName(image, point.x(), point.y()), grey(129));
}

void TestTestPattern::demoPhotograph()
{
    const QImage photograph(QStringLiteral(":/assets/demo"));
    QCOMPARE(photograph.size(), QSize(2609, 1456));
    QVERIFY(!photograph.hasAlphaChannel());
    QVERIFY(!photograph.allGray());
}

void TestTestPattern::externalImage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("picture");
    // 2609 x 1456 scaled to fit, keeping its shape, and centred.
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QRect(0, 4, 1920, 1071);
    QTest::newRow("1366x768") << QSize(1366, 768) << QRect(0, 3, 1366, 762);
    QTest::newRow("3840x2160") << QSize(3840, 2160) << QRect(0, 9, 3840, 2142);
    QTest::newRow("2560x1080 side bars") << QSize(2560, 1080) << QRect(312, 0, 1935, 1080);
}

void TestTestPattern::externalImage()
{
    QFETCH(QSize, size);
    QFETCH(QRect, picture);
    const QImage image = renderPattern(QStringLiteral("kTestPatternExternalImage"), size);
    const auto isBlack = [&image](const QRect &area) {
        QImage black(area.size(), QImage::Format_RGB32);
        black.fill(Qt::black);
        return image.copy(area) == black;
    };
    // Everything outside the picture is black; its outermost rows and columns are not.
    const QRect all = image.rect();
    QVERIFY(isBlack(QRect(all.topLeft(), picture.left() > 0 ? picture.bottomLeft() - QPoint(1, 0)
                                                            : picture.topRight() - QPoint(0, 1))));
    QVERIFY(isBlack(QRect(picture.left() > 0 ? picture.topRight() + QPoint(1, 0) : picture.bottomLeft() + QPoint(0, 1),
                          all.bottomRight())));
    QVERIFY(!isBlack(QRect(picture.left(), picture.top(), picture.width(), 1)));
    QVERIFY(!isBlack(QRect(picture.left(), picture.bottom(), picture.width(), 1)));
    QVERIFY(!isBlack(QRect(picture.left(), picture.top(), 1, picture.height())));
    QVERIFY(!isBlack(QRect(picture.right(), picture.top(), 1, picture.height())));
}

void TestTestPattern::tinySizes_data()
{
    QTest::addColumn<QSize>("size");
    for (const QSize &size : {QSize(1, 1), QSize(2, 3), QSize(11, 11), QSize(12, 12), QSize(13, 13), QSize(17, 40),
                              QSize(1, 600), QSize(600, 1)})
        QTest::newRow(sizeName(size).constData()) << size;
}

void TestTestPattern::tinySizes()
{
    QFETCH(QSize, size);
    for (int value = TestPattern::kTestPatternUnknown; value < TestPattern::kTestPatternCount; ++value) {
        TestPattern pattern(nullptr, TestPattern::tTestPattern(value));
        pattern.setType(TestPattern::tTestPattern(value));
        const QImage image = pattern.toImage(size);
        QCOMPARE(image.size(), size);
    }
}

QTEST_MAIN(TestTestPattern)
#include "tst_testpattern.moc"
