#include "sessiontesting.h"
#include "support/modalanswers.h"
#include "testframe.h"
#include "testinputdialog.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace SessionTesting;

class TestTestFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useEnglish(); }
    void init();
    void cleanup();

    void progress_data();
    void progress();
    void closeConfirmation_data();
    void closeConfirmation();

private:
    QLabel *progressLabel() const { return m_frame->inputDialog()->findChild<QLabel *>("progressLabel"); }

    std::unique_ptr<Test> m_test;
    std::unique_ptr<TestFrame> m_frame;
};

void TestTestFrame::init()
{
    m_test = makeTest(R"({"pattern":"kTestPatternUN80","content":[{"type":"text","required":false}]})");
    m_frame = std::make_unique<TestFrame>();
    m_frame->setTest(m_test.get());
}

void TestTestFrame::cleanup()
{
    m_frame.reset();
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    ModalPrompt::reset();
}

void TestTestFrame::progress_data()
{
    QTest::addColumn<uint>("total");
    QTest::addColumn<uint>("step");
    QTest::addColumn<QString>("text");
    QTest::newRow("quarter") << 4u << 1u << "25%";
    QTest::newRow("truncated, not rounded") << 8u << 3u << "37%";
    QTest::newRow("last step") << 8u << 8u << "100%";
    QTest::newRow("no total") << 0u << 3u << "0%";
}

void TestTestFrame::progress()
{
    QFETCH(uint, total);
    QFETCH(uint, step);
    QFETCH(QString, text);
    m_frame->setCurrentStep(5);
    m_frame->setTotalSteps(total);
    QCOMPARE(m_frame->currentStep(), 0u);
    m_frame->setCurrentStep(step);
    QCOMPARE(progressLabel()->text(), text);
}

void TestTestFrame::closeConfirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no keeps the session") << translated("no") << false;
    QTest::newRow("yes closes dialog and frame") << translated("yes") << true;
}

void TestTestFrame::closeConfirmation()
{
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    const QRect screen(1920, 0, 1920, 1080);
    m_frame->setScreenRect(screen);
    m_frame->showFullScreen();
    m_frame->setGeometry(screen);
    TestInputDialog *dialog = m_frame->inputDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->geometry().topLeft(), QPoint(2630, 50)); // centred: 1920 + 960 - 250
    QCOMPARE(dialog->width(), 500);
    dialog->move(2000, 300);
    m_frame->show();
    QCOMPARE(dialog->pos(), QPoint(2000, 300));
    QString shown;
    ModalAnswers::clickButton(answer, &shown);
    QTest::mouseClick(dialog->findChild<QPushButton *>("closePushButton"), Qt::LeftButton);
    QCOMPARE(shown, translated("testInputDialog_close"));
    QCOMPARE(dialog->isVisible(), !closed);
    QCOMPARE(m_frame->isVisible(), !closed);
}

QTEST_MAIN(TestTestFrame)
#include "tst_testframe.moc"
