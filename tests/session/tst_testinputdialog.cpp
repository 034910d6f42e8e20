#include "sessiontesting.h"
#include "testcontent.h"
#include "testinputdialog.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace SessionTesting;

class TestTestInputDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useEnglish(); }
    void init();
    void cleanup() { m_dialog.reset(); }

    void inputShowsStoredAnswer_data();
    void inputShowsStoredAnswer();
    void verdictAndNote();
    void requiredText_data();
    void requiredText();
    void numberField_data();
    void numberField();
    void typingReachesJoinContent();
    void keys_data();
    void keys();
    void titleBarMouse_data();
    void titleBarMouse();

private:
    void show(const char *json);
    void show(Test *test);
    template <typename T> T *input() const { return m_dialog->findChild<T *>(); }
    // The answer's text field, never the note editor.
    QWidget *textField() const;
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    TestContent *content(int index) const { return m_test->content()->at(index); }

    std::unique_ptr<Test> m_test;
    std::unique_ptr<TestInputDialog> m_dialog;
};

void TestTestInputDialog::init()
{
    m_dialog = std::make_unique<TestInputDialog>();
}

void TestTestInputDialog::show(const char *json)
{
    m_test = makeTest(json);
    show(m_test.get());
}

void TestTestInputDialog::show(Test *test)
{
    m_dialog->setTest(test);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

QWidget *TestTestInputDialog::textField() const
{
    if (auto *line = input<QLineEdit>())
        return line;
    return m_dialog->findChild<QWidget *>("contentWidget")->findChild<QPlainTextEdit *>();
}

void TestTestInputDialog::inputShowsStoredAnswer_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("shown");
    QTest::newRow("text") << QByteArray(R"({"content":[{"type":"text","resulttext":"Dell"}]})") << "Dell";
    QTest::newRow("textarea") << QByteArray(R"({"content":[{"type":"textarea","resulttext":"a\nb"}]})") << "a\nb";
    QTest::newRow("multiselect, last item of the stored value")
        << QByteArray(R"({"content":[{"type":"multiselect","resultmultiselect":"300","content":{"items":[
               {"value":"200","text":"x"},{"value":"300","text":"y"},{"value":"300","text":"z"}]}}]})")
        << "z";
    QTest::newRow("multiselect, unknown value")
        << QByteArray(R"({"content":[{"type":"multiselect","resultmultiselect":"9","content":{"items":[
               {"value":"200","text":"x"},{"value":"300","text":"y"}]}}]})")
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
    show(json.constData());

    QString shownText;
    if (QWidget *field = textField())
        shownText = field->property(field->inherits("QLineEdit") ? "text" : "plainText").toString();
    else if (auto *combo = input<QComboBox>())
        shownText = combo->currentText();
    const QList<QRadioButton *> radios = m_dialog->findChildren<QRadioButton *>();
    for (QRadioButton *radio : radios) {
        if (radio->isChecked())
            shownText = radio->text();
    }
    QCOMPARE(shownText, shown);

    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
}

void TestTestInputDialog::verdictAndNote()
{
    show(R"({"validatable":true,"content":[{"type":"boolean","resultboolean":true},{"type":"text"}]})");
    QWidget *note = m_dialog->findChild<QWidget *>("noteWidget");
    QVERIFY(button("acceptPushButton")->isVisible());
    QVERIFY(button("rejectPushButton")->isVisible());
    QVERIFY(note->isVisible());
    QVERIFY(!note->isEnabled());
    QVERIFY(!button("nextPushButton")->isEnabled());
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(next.count(), 0);

    QTest::mouseClick(button("rejectPushButton"), Qt::LeftButton);
    QVERIFY(note->isEnabled());
    QVERIFY(button("nextPushButton")->isEnabled());
    QVERIFY(!content(0)->resultBoolean());
    QTest::keyClicks(m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit"), "smear");
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(content(0)->note(), QString());
    QCOMPARE(content(1)->note(), QString("smear"));
}

void TestTestInputDialog::requiredText_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("blocked");
    QTest::newRow("required empty text") << QByteArray(R"({"content":[{"type":"text"}]})") << true;
    QTest::newRow("required empty textarea") << QByteArray(R"({"content":[{"type":"textarea"}]})") << true;
    QTest::newRow("read-only empty") << QByteArray(R"({"content":[{"type":"text","readonly":true}]})") << false;
    QTest::newRow("optional empty") << QByteArray(R"({"content":[{"type":"textarea","required":false}]})") << false;
}

void TestTestInputDialog::requiredText()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, blocked);
    show(json.constData());
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QWidget *field = textField();

    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), blocked ? 0 : 1);
    QCOMPARE(field->styleSheet(), blocked ? QString("border: 1px solid red") : QString());
    if (!blocked)
        return;
    QTest::keyClicks(field, "ok");
    QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(field->styleSheet(), QString());
    QCOMPARE(content(0)->resultText(), QString("ok"));
}

void TestTestInputDialog::numberField_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("passes");
    QTest::newRow("comma typed") << ""
                                 << "1,5"
                                 << ""
                                 << "1.5" << true;
    QTest::newRow("point typed") << ""
                                 << "1.5"
                                 << ""
                                 << "1.5" << true;
    QTest::newRow("signed comma typed") << ""
                                        << "-2,25"
                                        << ""
                                        << "-2.25" << true;
    QTest::newRow("second separator typed") << ""
                                            << "1,5,0"
                                            << ""
                                            << "1.50" << true;
    QTest::newRow("exponents typed") << ""
                                     << "1e5e5"
                                     << ""
                                     << "155" << true;
    QTest::newRow("letters typed") << ""
                                   << "abc"
                                   << ""
                                   << "" << false;
    QTest::newRow("lone sign typed") << ""
                                     << "-"
                                     << ""
                                     << "" << false;
    QTest::newRow("comma pasted") << ""
                                  << ""
                                  << "1,5"
                                  << "1.5" << true;
    QTest::newRow("grouped number pasted") << ""
                                           << ""
                                           << "1.000,5"
                                           << "" << false;
    QTest::newRow("script pasted") << ""
                                   << ""
                                   << "(function(){})"
                                   << "" << false;
    QTest::newRow("spaces pasted") << ""
                                   << ""
                                   << "1 000"
                                   << "" << false;
    QTest::newRow("stored comma answer") << "2,5"
                                         << ""
                                         << ""
                                         << "2.5" << true;
    QTest::newRow("stored script answer kept back") << "(function(){})"
                                                    << ""
                                                    << ""
                                                    << "(function(){})" << false;
}

void TestTestInputDialog::numberField()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, answer);
    QFETCH(bool, passes);
    m_test = makeTest(R"({"content":[{"type":"text","validatortype":"number"}]})");
    content(0)->setResultText(stored);
    show(m_test.get());
    QLineEdit *field = input<QLineEdit>();
    QTest::keyClicks(field, typed);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);

    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(next.count(), int(passes));
    QCOMPARE(content(0)->resultText(), answer);
}

void TestTestInputDialog::typingReachesJoinContent()
{
    show(R"json({"content":[{"id":"a","type":"text"},{"id":"b","type":"textarea"},
             {"id":"sum","type":"text","join":"(function(){return #a# + #b#;})","validator":"#a#"}]})json");
    QTest::keyClicks(m_dialog->findChildren<QLineEdit *>().first(), "12");
    QTest::keyClicks(m_dialog->findChild<QWidget *>("contentWidget")->findChild<QPlainTextEdit *>(), "7");
    const TestContent::ValueMap own = content(2)->ownValues();
    QCOMPARE(own.value("a"), QString("12"));
    QCOMPARE(own.value("b"), QString("7"));
    QCOMPARE(content(2)->validatorValues(), TestContent::ValueMap({{"a", "12"}}));
}

void TestTestInputDialog::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("nexts");
    QTest::newRow("return goes on") << int(Qt::Key_Return) << 1;
    QTest::newRow("escape stays") << int(Qt::Key_Escape) << 0;
    QTest::newRow("keypad enter ignored") << int(Qt::Key_Enter) << 0;
}

void TestTestInputDialog::keys()
{
    QFETCH(int, key);
    QFETCH(int, nexts);
    show(R"({"content":[{"type":"info"},{"type":"text","resulttext":"x"}]})");
    QTRY_VERIFY(input<QLineEdit>()->hasFocus());
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(next.count(), nexts);
    QVERIFY(m_dialog->isVisible());
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
    auto *clickTimer = m_dialog->findChild<QTimer *>("clickTimer");
    QCOMPARE(clickTimer->interval(), 500);
    if (outlastClickWindow)
        QVERIFY(QSignalSpy(clickTimer, &QTimer::timeout).wait());
    if (!moveBy.isNull()) {
        const QPoint to = title->mapToGlobal(press) + moveBy;
        QMouseEvent move(QEvent::MouseMove, title->mapFromGlobal(to), to, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(title, &move);
    }
    QTest::mouseRelease(title, Qt::LeftButton, {}, press);
    QCOMPARE(m_dialog->isCollapsed(), collapsed);
    QCOMPARE(m_dialog->findChild<QPushButton *>("minimizePushButton")->isChecked(), collapsed);
    QCOMPARE(m_dialog->pos(), QPoint(100, 100) + moveBy);
}

QTEST_MAIN(TestTestInputDialog)
#include "tst_testinputdialog.moc"
