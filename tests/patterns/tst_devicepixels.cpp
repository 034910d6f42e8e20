#include "canvaswidget.h"
#include "patternprobe.h"
#include "patterntool.h"
#include "support/patience.h"

#include <QTemporaryDir>
#include <QTest>

// The canvas on a screen of any device pixel ratio (set by QT_SCALE_FACTOR for
// each run of this test) shows, pixel for pixel, what lumivex-pattern draws at
// the canvas's size in device pixels.
class TestDevicePixels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void canvasEqualsToolImage_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QSize>("logicalSize");
        // The composite pattern's lettering follows the fonts of the process drawing it.
        QTest::addColumn<bool>("lettering");
        QTest::newRow("line pairs of the centre zone")
            << "kTestPatternSpatialResolutionCenter" << QSize(640, 360) << true;
        QTest::newRow("all resolution zones, odd size")
            << "kTestPatternSpatialResolutionAll" << QSize(613, 347) << true;
        QTest::newRow("TG18-LN patch") << "kTestPatternTG18LN07" << QSize(640, 360) << false;
        QTest::newRow("TG18-MP ramps") << "kTestPatternTG18MP" << QSize(800, 452) << false;
        QTest::newRow("luminance circles") << "kTestPatternLuminanceDarkAll" << QSize(640, 360) << false;
        QTest::newRow("grid lines") << "kTestPatternAllLines" << QSize(683, 384) << true;
    }

    void canvasEqualsToolImage()
    {
        QFETCH(QString, key);
        QFETCH(QSize, logicalSize);
        CanvasWidget canvas;
        canvas.setPattern(key);
        canvas.resize(logicalSize);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas, Patience));
        const qreal ratio = canvas.devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
        const QSize deviceSize(qRound(logicalSize.width() * ratio), qRound(logicalSize.height() * ratio));

        const QString path = m_dir.filePath(key + ".png");
        const QString size = QStringLiteral("%1x%2").arg(deviceSize.width()).arg(deviceSize.height());
        QCOMPARE(runPatternTool({"--pattern", key, "--size", size, "--out", path}).exitCode, 0);
        const QImage drawn = QImage(path).convertToFormat(QImage::Format_RGB32);

        QImage shown = canvas.grab().toImage().convertToFormat(QImage::Format_RGB32);
        shown.setDevicePixelRatio(1.0);
        QFETCH(bool, lettering);
        QVERIFY(lettering ? sameApartFromLettering(shown, drawn) : shown == drawn);
        // The grid's cells are square in device pixels too.
        if (key == "kTestPatternAllLines")
            QCOMPARE(squareGridFault(shown), QString());
    }

    // The ring that asks for the meter to be placed lies round the field in device pixels at any ratio, clear
    // of the round field it rings and within a few pixels of it, as drawn at each ratio; it goes when the field
    // is read.
    void outlineRingsTheField()
    {
        CanvasWidget canvas;
        canvas.setPattern("kTestPatternUN80");
        canvas.resize(640, 360);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas, Patience));
        const QSize size = canvas.deviceSize();
        canvas.setOutlined({QRect(size.width() / 3, size.height() / 3, size.height() / 3, size.height() / 3)});
        const QMap<QString, QByteArray> ringed{{"1", "776ec17948a6dceeff154f9900289d21"},
                                               {"2", "dfb7cc7faa05e66dfc47b4c0ab7f46b9"},
                                               {"1.5", "56217c4d2cf8c6ad0da550329f991669"},
                                               {"1.25", "6f29a14207151a7b28ff784803c0062f"}};
        QCOMPARE(checksum(canvas.grab().toImage()), ringed.value(qEnvironmentVariable("QT_SCALE_FACTOR", "1")));
        canvas.setOutlined({});
        QCOMPARE(checksum(canvas.grab().toImage()), checksum(renderPattern("kTestPatternUN80", size)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDevicePixels)
#include "tst_devicepixels.moc"
