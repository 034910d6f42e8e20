#include "canvaswidget.h"
#include "defaultdictionary.h"
#include "dialogplacement.h"
#include "support/cataloguesteps.h"
#include "test.h"
#include "testframe.h"
#include "testgroup.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QtTest>

// The questions dialog stands clear of what the operator judges or measures.
class TestDialogPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }
    void keptPosition_data();
    void keptPosition();
    void everyStepOfTheCatalogue_data();
    void everyStepOfTheCatalogue();
};

// A dragged position stays while it is clear and on the screen.
void TestDialogPlacement::keptPosition_data()
{
    QTest::addColumn<QPoint>("kept");
    QTest::addColumn<QRect>("judged");
    QTest::addColumn<bool>("stays");
    QTest::newRow("clear") << QPoint(1300, 700) << QRect(700, 400, 200, 200) << true;
    QTest::newRow("covering the patch") << QPoint(600, 350) << QRect(700, 400, 200, 200) << false;
    QTest::newRow("within the clearance") << QPoint(190, 400) << QRect(700, 400, 200, 200) << false;
    QTest::newRow("partly off the screen") << QPoint(1700, 900) << QRect(700, 400, 200, 200) << false;
}

void TestDialogPlacement::keptPosition()
{
    QFETCH(QPoint, kept);
    QFETCH(QRect, judged);
    QFETCH(bool, stays);
    const QRect screen(0, 0, 1920, 1080);
    const QSize dialog(500, 300);
    DialogPlacement placement;
    QCOMPARE(placement.place(dialog, screen, {judged}), QRect(QPoint(710, 50), dialog));
    placement.keep(kept);
    const QRect placed = placement.place(dialog, screen, {judged});
    QCOMPARE(placed.topLeft() == kept, stays);
    QVERIFY(screen.contains(placed));
    QCOMPARE(DialogPlacement::coveredArea(placed, {judged}), 0);
    placement.forget();
    QCOMPARE(placement.place(dialog, screen, {judged}).topLeft(), QPoint(710, 50));
}

void TestDialogPlacement::everyStepOfTheCatalogue_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1080);
    QTest::newRow("1366 x 768, second screen") << QRect(1920, 0, 1366, 768);
    QTest::newRow("2560 x 1440") << QRect(0, 0, 2560, 1440);
    QTest::newRow("1280 x 720") << QRect(0, 0, 1280, 720);
}

// The real dialog of every step, at its real size, on the step's pattern.
void TestDialogPlacement::everyStepOfTheCatalogue()
{
    QFETCH(QRect, screen);
    TestsManager catalogue;
    TestFrame frame;
    frame.setScreenRect(screen);
    const QList<Test *> tests = catalogueSteps(catalogue);
    QVERIFY(tests.size() > 60);
    int judgedSteps = 0;
    for (Test *test : tests) {
        frame.setTest(test);
        frame.show();
        const TestInputDialog *dialog = frame.inputDialog();
        QVERIFY(dialog->isVisible());
        const QRect placed = dialog->geometry();
        QVector<QRect> judged = frame.findChild<CanvasWidget *>()->pattern()->judgedRegions(screen.size());
        for (QRect &region : judged)
            region.translate(screen.topLeft());
        judgedSteps += !judged.isEmpty();
        QVERIFY2(screen.contains(placed), qPrintable(test->id()));
        for (const QRect &region : qAsConst(judged))
            QVERIFY2(!placed.intersects(region),
                     qPrintable(QStringLiteral("%1 %2: dialog %3,%4 %5x%6 over %7,%8 %9x%10")
                                    .arg(test->id(), test->patternString())
                                    .arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())
                                    .arg(region.x()).arg(region.y()).arg(region.width()).arg(region.height())));
        frame.close();
    }
    QVERIFY(judgedSteps > 30);
}

QTEST_MAIN(TestDialogPlacement)
#include "tst_dialogplacement.moc"
