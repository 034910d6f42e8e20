#include "canvaswidget.h"
#include "patternprobe.h"
#include "testpattern.h"

#include <QPaintEvent>
#include <QTest>

using NSTESTPatter::TestPattern;

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
    void startsEmpty();
    void setPatternRepaints();
    void drawsAtItsOwnSize();
    void unknownKeyShowsComposite();
};

void TestCanvasWidget::startsEmpty()
{
    CanvasWidget canvas;
    QVERIFY(canvas.pattern());
    QCOMPARE(canvas.pattern()->parent(), &canvas);
    QCOMPARE(canvas.pattern()->type(), TestPattern::kTestPatternEmpty);
    canvas.resize(64, 48);
    const QImage image = canvas.grab().toImage();
    QCOMPARE(pixelName(image, 0, 0), grey(129));
    QCOMPARE(pixelName(image, 63, 47), grey(129));
}

void TestCanvasWidget::setPatternRepaints()
{
    CanvasWidget canvas;
    canvas.resize(320, 200);
    PaintCounter counter;
    canvas.installEventFilter(&counter);
    canvas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    QTRY_VERIFY(counter.paints > 0);

    const int before = counter.paints;
    canvas.setPattern(QStringLiteral("kTestPatternUN10"));
    QCOMPARE(canvas.pattern()->type(), TestPattern::kTestPatternUN10);
    QTRY_VERIFY(counter.paints > before);
    QCOMPARE(pixelName(canvas.grab().toImage(), 160, 100), grey(26));
}

void TestCanvasWidget::drawsAtItsOwnSize()
{
    CanvasWidget canvas;
    canvas.setPattern(QStringLiteral("kTestPatternTG18LN18"));
    canvas.resize(612, 312);
    QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 612 - Height: 312");
    const QImage image = canvas.grab().toImage();
    // (612 - 12) / 3 = 200 and (312 - 12) / 3 = 100.
    QCOMPARE(pixelName(image, 200, 100), grey(255));
    QCOMPARE(pixelName(image, 399, 199), grey(255));
    QCOMPARE(pixelName(image, 400, 199), grey(153));
    QCOMPARE(pixelName(image, 199, 100), grey(153));

    canvas.resize(1212, 612);
    QTest::ignoreMessage(QtDebugMsg, "[SETRECT] width: 1212 - Height: 612");
    const QImage larger = canvas.grab().toImage();
    QCOMPARE(pixelName(larger, 400, 200), grey(255));
    QCOMPARE(pixelName(larger, 399, 200), grey(153));
}

void TestCanvasWidget::unknownKeyShowsComposite()
{
    CanvasWidget canvas;
    canvas.resize(1920, 1080);
    canvas.setPattern(QStringLiteral("kTestPatternTG18LN18"));
    canvas.setPattern(QStringLiteral("no such pattern"));
    QCOMPARE(canvas.pattern()->type(), TestPattern::kTestPatternUnknown);
    QVERIFY(sameApartFromLettering(canvas.grab().toImage(),
                                   renderPattern(QStringLiteral("kTestPatternDefault"), QSize(1920, 1080))));
}

QTEST_MAIN(TestCanvasWidget)
#include "tst_canvaswidget.moc"
