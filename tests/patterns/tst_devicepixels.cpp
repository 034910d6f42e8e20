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
        QCOMPARE(canvas.deviceSize(), deviceSize);

        const QString path = m_dir.filePath(key + ".png");
        const QString size = QStringLiteral("%1x%2").arg(deviceSize.width()).arg(deviceSize.height());
        QCOMPARE(runPatternTool({"--pattern", key, "--size", size, "--out", path}).exitCode, 0);
        const QImage drawn = QImage(path).convertToFormat(QImage::Format_RGB32);

        QImage shown = canvas.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), deviceSize);
        shown.setDevicePixelRatio(1.0);
        QFETCH(bool, lettering);
        QVERIFY(lettering ? sameApartFromLettering(shown, drawn) : shown == drawn);
        // The grid's cells are square in device pixels too.
        if (key == "kTestPatternAllLines")
            QCOMPARE(squareGridFault(shown), QString());
    }

    // The ring that asks for the meter to be placed lies round the field in device pixels at any ratio, clear
    // of the round field it rings and within a few pixels of it, and goes when the field is read.
    void outlineRingsTheField()
    {
        CanvasWidget canvas;
        canvas.setPattern("kTestPatternUN80");
        canvas.resize(640, 360);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas, Patience));
        const QSize size = canvas.deviceSize();
        const QRect field(size.width() / 3, size.height() / 3, size.height() / 3, size.height() / 3);
        const QRect round = field.adjusted(-12, -12, 12, 12);
        canvas.setOutlined({field});
        const QImage ringed = canvas.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPointF centre = QRectF(field).center();
        int ring = 0;
        for (int y = 0; y < ringed.height(); ++y) {
            for (int x = 0; x < ringed.width(); ++x) {
                if (ringed.pixel(x, y) == qRgb(204, 204, 204))
                    continue;
                ++ring;
                const QPointF offset = (QPointF(x + 0.5, y + 0.5) - centre) / (field.width() / 2.0);
                QVERIFY2(round.contains(x, y) && QPointF::dotProduct(offset, offset) > 1,
                         qPrintable(QStringLiteral("ring at %1,%2").arg(x).arg(y)));
            }
        }
        QVERIFY(ring > 0);
        const QRect corners = field.adjusted(-8, -8, 8, 8);
        comparePixels(ringed, QStringLiteral("%1,%2=204 %3,%4=204")
                                  .arg(corners.left())
                                  .arg(corners.top())
                                  .arg(corners.right())
                                  .arg(corners.bottom()));
        canvas.setOutlined({});
        QVERIFY(canvas.grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                renderPattern("kTestPatternUN80", size).convertToFormat(QImage::Format_RGB32));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDevicePixels)
#include "tst_devicepixels.moc"
