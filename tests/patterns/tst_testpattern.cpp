#include "patternprobe.h"
#include "testpattern.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using NSTESTPatter::TestPattern;
using NSTESTPatter::TestPatternHighlighter;

class TestTestPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyValues_data();
    void keyValues();
    void keyText_data();
    void keyText();
    void categoryAndHighlighter_data();
    void categoryAndHighlighter();
    void compositeForOtherKeys_data();
    void compositeForOtherKeys();
    void setTypeEmitsAndRepaints();
    void drawWithoutPainter();
    void setRectGeometry_data();
    void setRectGeometry();
    void tg18Ln_data();
    void tg18Ln();
    void luminanceFields_data();
    void luminanceFields();
    void uniformFields_data();
    void uniformFields();
    void demoPhotograph();
    void externalImage_data();
    void externalImage();
    void tinySizes_data();
    void tinySizes();
};

void TestTestPattern::keyValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::newRow("unknown") << "kTestPatternUnknown" << -1;
    QTest::newRow("empty") << "kTestPatternEmpty" << 0;
    QTest::newRow("default") << "kTestPatternDefault" << 1;
    QTest::newRow("grid only all") << "kTestPatternGridOnlyAll" << 7;
    QTest::newRow("grid and SR TL") << "kTestPatternGridAndSRTL" << 8;
    QTest::newRow("grid and SR all") << "kTestPatternGridAndSRAll" << 13;
    QTest::newRow("grey levels all") << "kTestPatternGrayLevelAllLevels" << 14;
    QTest::newRow("grey level 0 100") << "kTestPatternGrayLevel0100" << 20;
    QTest::newRow("circle") << "kTestPatternCircle" << 23;
    QTest::newRow("resolution low") << "kTestPatternSpatialResolutionLow" << 31;
    QTest::newRow("external image") << "kTestPatternExternalImage" << 32;
    QTest::newRow("quality all") << "kTestPatternQualityAll" << 39;
    QTest::newRow("TG18-MP") << "kTestPatternTG18MP" << 42;
    QTest::newRow("UN10") << "kTestPatternUN10" << 44;
    QTest::newRow("LN818") << "kTestPatternLN818" << 46;
    QTest::newRow("light TL") << "kTestPatternLuminanceLightTL" << 47;
    QTest::newRow("dark TL") << "kTestPatternLuminanceDarkTL" << 48;
    QTest::newRow("light TC") << "kTestPatternLuminanceLightTC" << 49;
    QTest::newRow("dark BR") << "kTestPatternLuminanceDarkBR" << 64;
    QTest::newRow("light all") << "kTestPatternLuminanceLightAll" << 65;
    QTest::newRow("dark all") << "kTestPatternLuminanceDarkAll" << 66;
    QTest::newRow("LN01") << "kTestPatternTG18LN01" << 67;
    QTest::newRow("LN18") << "kTestPatternTG18LN18" << 84;
    QTest::newRow("count") << "kTestPatternCount" << 85;
}

void TestTestPattern::keyValues()
{
    QFETCH(QString, key);
    QFETCH(int, value);
    QCOMPARE(int(TestPattern::typeFromString(key)), value);
    QCOMPARE(TestPattern::typeToString(TestPattern::tTestPattern(value)), key);
}

void TestTestPattern::keyText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("type");
    QTest::newRow("exact key") << "kTestPatternTG18LN07" << int(TestPattern::kTestPatternTG18LN07);
    QTest::newRow("empty text") << "" << -1;
    QTest::newRow("lower case") << "ktestpatternempty" << -1;
    QTest::newRow("leading space") << " kTestPatternEmpty" << -1;
    QTest::newRow("trailing space") << "kTestPatternEmpty " << -1;
    QTest::newRow("other text") << "TG18-LN07" << -1;
    QTest::newRow("non-Latin text") << QStringLiteral("kTestPattern\u00c9mpty") << -1;
}

void TestTestPattern::keyText()
{
    QFETCH(QString, key);
    QFETCH(int, type);
    TestPattern pattern(nullptr, TestPattern::kTestPatternTG18MP);
    pattern.setTypeString(key);
    QCOMPARE(int(pattern.type()), type);
}

void TestTestPattern::categoryAndHighlighter_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("element");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("grayLevelIndex");
    QTest::addColumn<int>("qualityIndex");
    QTest::newRow("unknown") << -1 << 3 << -1 << -1 << -1 << -1;
    QTest::newRow("empty") << 0 << 0 << -1 << -1 << -1 << -1;
    QTest::newRow("default") << 1 << 3 << -1 << -1 << -1 << -1;
    QTest::newRow("grid only TL") << 2 << 1 << 4 << 1 << -1 << -1;
    QTest::newRow("grid only TR") << 3 << 1 << 4 << 2 << -1 << -1;
    QTest::newRow("grid only BL") << 4 << 1 << 4 << 3 << -1 << -1;
    QTest::newRow("grid only BR") << 5 << 1 << 4 << 4 << -1 << -1;
    QTest::newRow("grid only centre") << 6 << 1 << 4 << 0 << -1 << -1;
    QTest::newRow("grid only all") << 7 << 3 << 4 << 5 << -1 << -1;
    QTest::newRow("grid and SR TL") << 8 << 2 << 4 << 1 << -1 << -1;
    QTest::newRow("grid and SR centre") << 12 << 2 << 4 << 0 << -1 << -1;
    QTest::newRow("grid and SR all") << 13 << 3 << 4 << 5 << -1 << -1;
    QTest::newRow("grey levels all") << 14 << 3 << 0 << -1 << 0 << -1;
    QTest::newRow("grey level 595") << 16 << 3 << 0 << -1 << 2 << -1;
    QTest::newRow("grey level 0 100") << 20 << 3 << 0 << -1 << 6 << -1;
    QTest::newRow("border") << 21 << 3 << 1 << -1 << -1 << -1;
    QTest::newRow("all lines") << 22 << 3 << 2 << -1 << -1 << -1;
    QTest::newRow("circle") << 23 << 3 << 3 << -1 << -1 << -1;
    QTest::newRow("resolution TL") << 24 << 3 << 4 << 1 << -1 << -1;
    QTest::newRow("resolution all") << 29 << 3 << 4 << 5 << -1 << -1;
    QTest::newRow("resolution high") << 30 << 3 << 5 << 5 << -1 << -1;
    QTest::newRow("resolution low") << 31 << 3 << 6 << 5 << -1 << -1;
    QTest::newRow("external image") << 32 << 0 << -1 << -1 << -1 << -1;
    QTest::newRow("quality white") << 33 << 3 << 7 << -1 << -1 << 0;
    QTest::newRow("quality all") << 39 << 3 << 7 << -1 << -1 << 6;
    QTest::newRow("gradients") << 40 << 3 << 8 << -1 << -1 << -1;
    QTest::newRow("black and white") << 41 << 3 << 9 << -1 << -1 << -1;
    QTest::newRow("TG18-MP") << 42 << 3 << -1 << -1 << -1 << -1;
    QTest::newRow("LN801") << 45 << 3 << -1 << -1 << -1 << -1;
    QTest::newRow("light TL") << 47 << 3 << -1 << -1 << -1 << -1;
    QTest::newRow("LN18") << 84 << 3 << -1 << -1 << -1 << -1;
}

void TestTestPattern::categoryAndHighlighter()
{
    QFETCH(int, type);
    QFETCH(int, category);
    QFETCH(int, element);
    QFETCH(int, position);
    QFETCH(int, grayLevelIndex);
    QFETCH(int, qualityIndex);

    // Start from a type that sets every highlighter value, so that stale ones show.
    TestPattern pattern(nullptr, TestPattern::kTestPatternEmpty);
    QCOMPARE(pattern.category(), 0);
    QCOMPARE(pattern.element(), -1);
    pattern.setType(TestPattern::kTestPatternQualityAll);
    pattern.setType(TestPattern::kTestPatternGrayLevel0100);
    pattern.setType(TestPattern::tTestPattern(type));
    QCOMPARE(pattern.category(), category);
    QCOMPARE(pattern.element(), element);
    QCOMPARE(pattern.position(), position);
    QCOMPARE(pattern.grayLevelIndex(), grayLevelIndex);
    QCOMPARE(pattern.qualityIndex(), qualityIndex);
}

void TestTestPattern::compositeForOtherKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("LN801") << "kTestPatternLN801";
    QTest::newRow("LN818") << "kTestPatternLN818";
    QTest::newRow("unknown key") << "kTestPatternUnknown";
    QTest::newRow("empty key in lower case") << "ktestpatternempty";
    QTest::newRow("not a key") << "TG18-LN01";
    QTest::newRow("count") << "kTestPatternCount";
}

// Keys without a pattern of their own show the composite pattern without emphasis.
void TestTestPattern::compositeForOtherKeys()
{
    QFETCH(QString, key);
    const QSize size(1366, 768);
    QVERIFY(renderPattern(key, size) == renderPattern(QStringLiteral("kTestPatternDefault"), size));
}

void TestTestPattern::setTypeEmitsAndRepaints()
{
    TestPattern pattern(nullptr, TestPattern::kTestPatternUN80);
    QSignalSpy spy(&pattern, &TestPattern::typeChanged);
    pattern.setType(TestPattern::kTestPatternUN80);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<TestPattern::tTestPattern>(), TestPattern::kTestPatternUN80);

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    pattern.setRect(image.rect());
    pattern.setPainter(&painter);
    pattern.setType(TestPattern::kTestPatternUN10);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(pixelName(image, 20, 15), grey(26));

    // The property system reaches the same setter and signal.
    QVERIFY(pattern.setProperty("type", QVariant::fromValue(TestPattern::kTestPatternUN80)));
    QCOMPARE(spy.count(), 3);
    QCOMPARE(pixelName(image, 0, 0), grey(204));
    pattern.setPainter(nullptr);
}

void TestTestPattern::drawWithoutPainter()
{
    TestPattern pattern(nullptr, TestPattern::kTestPatternDefault);
    pattern.draw();
    pattern.setRect(QRect(0, 0, 100, 100));
    pattern.setTypeString(QStringLiteral("kTestPatternUN10"));
    pattern.draw();
    QCOMPARE(pattern.type(), TestPattern::kTestPatternUN10);

    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter painter(&image);
        pattern.paint(&painter);
        pattern.setPainter(nullptr);
    }
    QCOMPARE(pixelName(image, 5, 5), grey(26));
    // Once the painter is gone, changing the type paints nothing.
    pattern.setType(TestPattern::kTestPatternUN80);
    QCOMPARE(pixelName(image, 5, 5), grey(26));
}

void TestTestPattern::setRectGeometry_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("cellWidth");
    QTest::addColumn<double>("cellHeight");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 159.0 << 89.0;
    QTest::newRow("1366x768") << QSize(1366, 768) << 1354 / 12.0 << 63.0;
    QTest::newRow("3840x2160") << QSize(3840, 2160) << 319.0 << 179.0;
    QTest::newRow("1x1") << QSize(1, 1) << -11 / 12.0 << -11 / 12.0;
}

void TestTestPattern::setRectGeometry()
{
    QFETCH(QSize, size);
    QFETCH(double, cellWidth);
    QFETCH(double, cellHeight);
    TestPattern pattern;
    QVERIFY(pattern.rect().isNull());
    QTest::ignoreMessage(
        QtDebugMsg,
        qPrintable(QStringLiteral("[SETRECT] width: %1 - Height: %2").arg(size.width()).arg(size.height())));
    pattern.setRect(QRect(QPoint(0, 0), size));
    QCOMPARE(pattern.rect(), QRect(QPoint(0, 0), size));
    QCOMPARE(pattern.cellWidth(), cellWidth);
    QCOMPARE(pattern.cellHeight(), cellHeight);
}

void TestTestPattern::tg18Ln_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("number");
    QTest::addColumn<QRect>("patch");
    QTest::newRow("1920x1080 LN01") << QSize(1920, 1080) << 1 << QRect(QPoint(636, 356), QPoint(1271, 711));
    QTest::newRow("1920x1080 LN18") << QSize(1920, 1080) << 18 << QRect(QPoint(636, 356), QPoint(1271, 711));
    QTest::newRow("1366x768 LN07") << QSize(1366, 768) << 7 << QRect(QPoint(451, 252), QPoint(901, 503));
    QTest::newRow("3840x2160 LN17") << QSize(3840, 2160) << 17 << QRect(QPoint(1276, 716), QPoint(2551, 1431));
}

void TestTestPattern::tg18Ln()
{
    QFETCH(QSize, size);
    QFETCH(int, number);
    QFETCH(QRect, patch);
    const QString key = QStringLiteral("kTestPatternTG18LN%1").arg(number, 2, 10, QLatin1Char('0'));
    const QImage image = renderPattern(key, size);
    const int level = number == 18 ? 255 : 15 * (number - 1);
    for (const QPoint &corner : {patch.topLeft(), patch.topRight(), patch.bottomLeft(), patch.bottomRight()})
        QCOMPARE(pixelName(image, corner.x(), corner.y()), grey(level));
    const QPoint outside[] = {patch.topLeft() - QPoint(1, 0),
                              patch.topLeft() - QPoint(0, 1),
                              patch.bottomRight() + QPoint(1, 0),
                              patch.bottomRight() + QPoint(0, 1),
                              QPoint(0, 0),
                              QPoint(size.width() - 1, size.height() - 1)};
    for (const QPoint &point : outside)
        QCOMPARE(pixelName(image, point.x(), point.y()), grey(153));
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
    QTest::newRow("1920x1080 light TL") << QSize(1920, 1080) << "kTestPatternLuminanceLightTL"
                                        << QList<QPoint>{hdCentres.at(0)} << hdCentres.mid(1) << 204 << 360;
    QTest::newRow("1920x1080 dark MC") << QSize(1920, 1080) << "kTestPatternLuminanceDarkMC"
                                       << QList<QPoint>{hdCentres.at(4)} << (hdCentres.mid(0, 4) + hdCentres.mid(5))
                                       << 0 << 360;
    QTest::newRow("1920x1080 light all") << QSize(1920, 1080) << "kTestPatternLuminanceLightAll" << hdCentres
                                         << QList<QPoint>{} << 204 << 360;
    // 1366 / 4 = 341 and 768 / 4 = 192; the diameter is 768 / 3.
    QTest::newRow("1366x768 dark BR") << QSize(1366, 768) << "kTestPatternLuminanceDarkBR"
                                      << QList<QPoint>{QPoint(1023, 576)} << QList<QPoint>{QPoint(341, 192)} << 0
                                      << 256;
    QTest::newRow("3840x2160 light TR") << QSize(3840, 2160) << "kTestPatternLuminanceLightTR"
                                        << QList<QPoint>{QPoint(2880, 540)} << QList<QPoint>{QPoint(960, 540)} << 204
                                        << 720;
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
        QCOMPARE(pixelName(image, centre.x(), centre.y()), grey(level));
        // Just inside the rim the fill shows, the rim itself is the black pen,
        // and beyond it the background.
        QCOMPARE(pixelName(image, centre.x() - radius + 4, centre.y()), grey(level));
        QVERIFY(greyAt(image, centre.x() - radius, centre.y()) < 64);
        QVERIFY(greyAt(image, centre.x() + radius - 1, centre.y()) < 64);
        QCOMPARE(pixelName(image, centre.x() - radius - 4, centre.y()), grey(129));
    }
    for (const QPoint &centre : empty)
        QCOMPARE(pixelName(image, centre.x(), centre.y()), grey(129));
    QCOMPARE(pixelName(image, 0, 0), grey(129));
    QCOMPARE(pixelName(image, size.width() - 1, size.height() - 1), grey(129));
}

void TestTestPattern::uniformFields_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("level");
    QTest::newRow("UN80") << "kTestPatternUN80" << 204;
    QTest::newRow("UN10") << "kTestPatternUN10" << 26;
    QTest::newRow("empty, no border") << "kTestPatternEmpty" << 129;
}

void TestTestPattern::uniformFields()
{
    QFETCH(QString, key);
    QFETCH(int, level);
    for (const QSize &size : patternTestSizes()) {
        const QImage image = renderPattern(key, size);
        QImage expected(size, QImage::Format_RGB32);
        expected.fill(qRgb(level, level, level));
        QVERIFY2(image == expected, sizeName(size).constData());
    }
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
    const auto lineIsBlack = [&image](const QRect &line) {
        for (int y = line.top(); y <= line.bottom(); ++y)
            for (int x = line.left(); x <= line.right(); ++x)
                if (image.pixel(x, y) != qRgb(0, 0, 0))
                    return false;
        return true;
    };
    const QRect all = image.rect();
    // Everything outside the picture is black; its outermost rows and columns are not.
    if (picture.top() > 0) {
        QVERIFY(lineIsBlack(QRect(QPoint(0, 0), QPoint(all.right(), picture.top() - 1))));
        QVERIFY(lineIsBlack(QRect(QPoint(0, picture.bottom() + 1), all.bottomRight())));
    } else {
        QVERIFY(lineIsBlack(QRect(QPoint(0, 0), QPoint(picture.left() - 1, all.bottom()))));
        QVERIFY(lineIsBlack(QRect(QPoint(picture.right() + 1, 0), all.bottomRight())));
    }
    QVERIFY(!lineIsBlack(QRect(picture.left(), picture.top(), picture.width(), 1)));
    QVERIFY(!lineIsBlack(QRect(picture.left(), picture.bottom(), picture.width(), 1)));
    QVERIFY(!lineIsBlack(QRect(picture.left(), picture.top(), 1, picture.height())));
    QVERIFY(!lineIsBlack(QRect(picture.right(), picture.top(), 1, picture.height())));
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
