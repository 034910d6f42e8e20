#include "sessiontesting.h"
#include "testcontent.h"
#include "testinputdialog.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace SessionTesting;

namespace {
const QByteArray NumberField = R"({"content":[{"type":"text","validatortype":"number"}]})";
}

class TestTestInputDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useEnglish(); }
    void cleanup() { m_dialog.reset(); }

    void inputShowsStoredAnswer_data();
    void inputShowsStoredAnswer();
    void verdictAndNote();
    void answerChecked_data();
    void answerChecked();
    void typingReachesJoinContent();
    void titleBarMouse_data();
    void titleBarMouse();

private:
    void show(const QByteArray &json);
    // The answer's text field, never the note editor.
    QWidget *field() const;
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    TestContent *content(int index) const { return m_test->content()->at(index); }

    std::unique_ptr<Test> m_test;
    std::unique_ptr<TestInputDialog> m_dialog;
};

void TestTestInputDialog::show(const QByteArray &json)
{
    m_test = makeTest(json);
    m_dialog = std::make_unique<TestInputDialog>();
    m_dialog->setTest(m_test.get());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

QWidget *TestTestInputDialog::field() const
{
    if (auto *line = m_dialog->findChild<QLineEdit *>())
        return line;
    return m_dialog->findChild<QWidget *>("contentWidget")->findChild<QPlainTextEdit *>();
}

void TestTestInputDialog::inputShowsStoredAnswer_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("shown");
    const QByteArray items = R"("content":{"items":[{"value":"2","text":"x"},{"value":"3","text":"y"},
                                                   {"value":"3","text":"z"}]})";
    QTest::newRow("text") << QByteArray(R"({"content":[{"type":"text","resulttext":"Dell"}]})") << "Dell";
    QTest::newRow("textarea") << QByteArray(R"({"content":[{"type":"textarea","resulttext":"a\nb"}]})") << "a\nb";
    QTest::newRow("multiselect, last item of the value")
        << R"({"content":[{"type":"multiselect","resultmultiselect":"3",)" + items + "}]}"
        << "z";
    QTest::newRow("multiselect, unknown value")
        << R"({"content":[{"type":"multiselect","resultmultiselect":"9",)" + items + "}]}"
        << "x";
    QTest::newRow("boolean true") << QByteArray(R"({"content":[{"type":"boolean","resultboolean":true}]})")
                                  << translated("yes");
    QTest::newRow("boolean false") << QByteArray(R"({"content":[{"type":"boolean"}]})") << translated("no");
    QTest::newRow("info only") << QByteArray(R"({"content":[{"type":"info","caption":"c"},{"type":"info"}]})")
                               << QString();
    QTest::newRow("no contents") << QByteArray(R"({"content":[]})") << QString();
}

void TestTestInputDialog::inputShowsStoredAnswer()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, shown);
    show(json);
    QString shownText;
    if (QWidget *text = field())
        shownText = text->property(text->inherits("QLineEdit") ? "text" : "plainText").toString();
    if (auto *combo = m_dialog->findChild<QComboBox *>())
        shownText = combo->currentText();
    for (QRadioButton *radio : m_dialog->findChildren<QRadioButton *>())
        shownText += radio->isChecked() ? radio->text() : QString();
    QCOMPARE(shownText, shown);

    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
}

void TestTestInputDialog::verdictAndNote()
{
    show(R"({"validatable":true,"content":[{"type":"boolean","resultboolean":true},{"type":"text"}]})");
    QWidget *note = m_dialog->findChild<QWidget *>("noteWidget");
    QVERIFY(button("acceptPushButton")->isVisible() && button("rejectPushButton")->isVisible());
    QVERIFY(note->isVisible() && !note->isEnabled());
    QVERIFY(!button("nextPushButton")->isEnabled());
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    QCOMPARE(next.count(), 0);
    QVERIFY(m_dialog->isVisible());

    QTest::mouseClick(button("rejectPushButton"), Qt::LeftButton);
    QVERIFY(note->isEnabled() && button("nextPushButton")->isEnabled());
    QVERIFY(!content(0)->resultBoolean());
    QTest::keyClicks(m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit"), "smear");
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(content(0)->note() + "|" + content(1)->note(), QString("|smear"));
}

void TestTestInputDialog::answerChecked_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("passes");
    const QByteArray storedNumber = R"({"content":[{"type":"text","validatortype":"number","resulttext":"%1"}]})";
    QTest::newRow("required empty text") << QByteArray(R"({"content":[{"type":"text"}]})") << ""
                                         << ""
                                         << "" << false;
    QTest::newRow("required empty area") << QByteArray(R"({"content":[{"type":"textarea"}]})") << ""
                                         << ""
                                         << "" << false;
    QTest::newRow("read-only empty") << QByteArray(R"({"content":[{"type":"text","readonly":true}]})") << ""
                                     << ""
                                     << "" << true;
    QTest::newRow("optional empty") << QByteArray(R"({"content":[{"type":"textarea","required":false}]})") << ""
                                    << ""
                                    << "" << true;
    QTest::newRow("comma typed") << NumberField << "1,5"
                                 << ""
                                 << "1.5" << true;
    QTest::newRow("signed comma typed") << NumberField << "-2,25"
                                        << ""
                                        << "-2.25" << true;
    QTest::newRow("exponents typed") << NumberField << "1e5e5"
                                     << ""
                                     << "155" << true;
    QTest::newRow("letters typed") << NumberField << "abc"
                                   << ""
                                   << "" << false;
    QTest::newRow("lone sign typed") << NumberField << "-"
                                     << ""
                                     << "" << false;
    QTest::newRow("comma pasted") << NumberField << ""
                                  << "1,5"
                                  << "1.5" << true;
    QTest::newRow("grouped number pasted") << NumberField << ""
                                           << "1.000,5"
                                           << "" << false;
    QTest::newRow("script pasted") << NumberField << ""
                                   << "(function(){})"
                                   << "" << false;
    QTest::newRow("stored comma answer") << QByteArray(storedNumber).replace("%1", "2,5") << ""
                                         << ""
                                         << "2.5" << true;
    QTest::newRow("stored script answer") << QByteArray(storedNumber).replace("%1", "x()") << ""
                                          << ""
                                          << "x()" << false;
}

void TestTestInputDialog::answerChecked()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, stored);
    QFETCH(bool, passes);
    show(json);
    QTest::keyClicks(field(), typed);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(content(0)->resultText(), stored);
    QCOMPARE(next.count(), int(passes));
    QCOMPARE(field()->styleSheet(), passes ? QString() : QString("border: 1px solid red"));
    if (passes)
        return;
    QTest::keyClick(field(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field(), "5");
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(field()->styleSheet(), QString());
    QCOMPARE(content(0)->resultText(), QString("5"));
}

void TestTestInputDialog::typingReachesJoinContent()
{
    show(R"json({"content":[{"id":"a","type":"text"},{"id":"b","type":"textarea"},
             {"id":"sum","type":"text","readonly":true,"join":"(function(){return #a# + #b#;})","validator":"#a#"}]})json");
    QTRY_VERIFY(m_dialog->findChild<QLineEdit *>()->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "12");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "7");
    QCOMPARE(content(2)->ownValues(), TestContent::ValueMap({{"a", "12"}, {"b", "7"}, {"sum", ""}}));
    QCOMPARE(content(2)->validatorValues(), TestContent::ValueMap({{"a", "12"}}));
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(m_dialog->findChild<QLineEdit *>(), Qt::Key_Return);
    QCOMPARE(next.count(), 1);
}

void TestTestInputDialog::titleBarMouse_data()
{
    QTest::addColumn<bool>("outlastClickWindow");
    QTest::addColumn<QPoint>("moveBy");
    QTest::addColumn<bool>("collapsed");
    QTest::newRow("short click collapses") << false << QPoint() << true;
    QTest::newRow("press held past 500 ms") << true << QPoint() << false;
    QTest::newRow("drag moves") << false << QPoint(40, 25) << false;
}

void TestTestInputDialog::titleBarMouse()
{
    QFETCH(bool, outlastClickWindow);
    QFETCH(QPoint, moveBy);
    QFETCH(bool, collapsed);
    show(R"({"content":[{"type":"text"}]})");
    m_dialog->move(100, 100);
    QWidget *title = m_dialog->findChild<QWidget *>("titleWidget");
    const QPoint press(10, 10);
    QTest::mousePress(title, Qt::LeftButton, {}, press);
    if (outlastClickWindow)
        QVERIFY(QSignalSpy(m_dialog->findChild<QTimer *>("clickTimer"), &QTimer::timeout).wait());
    if (!moveBy.isNull()) {
        const QPoint to = title->mapToGlobal(press) + moveBy;
        QMouseEvent move(QEvent::MouseMove, title->mapFromGlobal(to), to, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(title, &move);
    }
    QTest::mouseRelease(title, Qt::LeftButton, {}, press);
    QCOMPARE(m_dialog->isCollapsed(), collapsed);
    QCOMPARE(button("minimizePushButton")->isChecked(), collapsed);
    QCOMPARE(m_dialog->pos(), QPoint(100, 100) + moveBy);
}

QTEST_MAIN(TestTestInputDialog)
#include "tst_testinputdialog.moc"
