#include "canvaswidget.h"
#include "patternprobe.h"
#include "testpattern.h"

#include <QTest>

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestCanvasWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setPatternRepaints();
    void drawsAtItsOwnSize();
};

void TestCanvasWidget::setPatternRepaints()
{
    CanvasWidget canvas;
    canvas.resize(320, 200);
    PaintCounter counter;
    canvas.installEventFilter(&counter);
    canvas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    QTRY_VERIFY(counter.paints > 0);
    // A new canvas shows the empty pattern.
    QCOMPARE(pixelName(canvas.grab().toImage(), 319, 199), grey(129));

    const int before = counter.paints;
    canvas.setPattern(QStringLiteral("kTestPatternUN10"));
    QCOMPARE(canvas.pattern()->type(), NSTESTPatter::TestPattern::kTestPatternUN10);
    QTRY_VERIFY(counter.paints > before);
    QCOMPARE(pixelName(canvas.grab().toImage(), 160, 100), grey(26));
}

void TestCanvasWidget::drawsAtItsOwnSize()
{
    CanvasWidget canvas;
    canvas.setPattern(QStringLiteral("kTestPatternTG18LN18"));
    canvas.resize(612, 312);
    QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 612 - Height: 312");
    // (612 - 12) / 3 = 200 and (312 - 12) / 3 = 100.
    comparePixels(canvas.grab().toImage(), {{200, 100, 255}, {399, 199, 255}, {400, 199, 153}, {199, 100, 153}});

    canvas.resize(1212, 612);
    QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 1212 - Height: 612");
    comparePixels(canvas.grab().toImage(), {{400, 200, 255}, {399, 200, 153}});
}

QTEST_MAIN(TestCanvasWidget)
#include "tst_canvaswidget.moc"
