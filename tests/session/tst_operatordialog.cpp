#include "defaultdictionary.h"
#include "languageenvironment.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "test.h"
#include "testcontent.h"
#include "testinputdialog.h"
#include "translator.h"

#include <QDateEdit>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using SessionDriver::inputsOf;

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

const QByteArray TwoReadings = R"({"content":[{"type":"text","validatortype":"number"},
                                              {"type":"text","validatortype":"number","resulttext":"35.25"}]})";

} // namespace

// What the operator meets in the questions dialog: keys, notes, required answers,
// the close confirmation and readings in the chosen language.
class TestOperatorDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }
    void cleanup();
    void returnMovesToTheNextAnswer();
    void requiredAnswerSaysSo();
    void noteKeptWhenTheStepIsShownAgain();
    void closeConfirmationDefaultsToNo();
    void rowsScrollWithinTheScreen();
    void noteTakenWhateverTheVerdict_data();
    void noteTakenWhateverTheVerdict();
    void openChoiceHoldsTheStep();
    void calibrationDateInTheLanguage();
    void readingsInTheLanguage_data();
    void readingsInTheLanguage();

private:
    void show(const QByteArray &json);
    QLineEdit *line(int index) const { return qobject_cast<QLineEdit *>(inputsOf(m_dialog.get()).value(index)); }

    std::unique_ptr<Test> m_test;
    std::unique_ptr<TestInputDialog> m_dialog;
};

void TestOperatorDialog::show(const QByteArray &json)
{
    m_test = std::make_unique<Test>(QJsonDocument::fromJson(json).toVariant().toMap());
    m_dialog = std::make_unique<TestInputDialog>();
    m_dialog->setTest(m_test.get());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get(), Patience));
}

void TestOperatorDialog::cleanup()
{
    m_dialog.reset();
    LanguageEnvironment::apply(QStringLiteral("en"));
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    ModalPrompt::reset();
}

// Return in the first reading moves to the second; in the last it goes on.
void TestOperatorDialog::returnMovesToTheNextAnswer()
{
    show(TwoReadings);
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get(), Patience));
    line(0)->setFocus();
    QTest::keyClicks(line(0), "12.5");
    QTest::keyClick(line(0), Qt::Key_Return);
    QVERIFY(line(1)->hasFocus());
    QVERIFY(next.isEmpty());
    QTest::keyClick(line(1), Qt::Key_Return);
    QCOMPARE(next.count(), 1);
    QCOMPARE(m_test->content()->at(0)->resultText(), QString("12.5"));
}

void TestOperatorDialog::requiredAnswerSaysSo()
{
    show(R"({"content":[{"type":"text"},{"type":"textarea"}]})");
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("nextPushButton"), Qt::LeftButton);
    QCOMPARE(line(0)->placeholderText(), translated("answerRequired"));
    auto *area = qobject_cast<QPlainTextEdit *>(inputsOf(m_dialog.get()).value(1));
    QCOMPARE(area->placeholderText(), translated("answerRequired"));
    QVERIFY(!translated("answerRequired").isEmpty());
    QTest::keyClicks(line(0), "x");
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("nextPushButton"), Qt::LeftButton);
    QCOMPARE(line(0)->placeholderText(), QString());
}

// Going back to a failed step and on again keeps the note written the first time.
void TestOperatorDialog::noteKeptWhenTheStepIsShownAgain()
{
    show(R"({"validatable":true,"content":[{"type":"boolean"},{"type":"text"}]})");
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("rejectPushButton"), Qt::LeftButton);
    QTest::keyClicks(m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit"), "smear at the left edge");
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    m_dialog->setTest(m_test.get());
    QCOMPARE(m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit")->toPlainText(),
             QString("smear at the left edge"));
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("rejectPushButton"), Qt::LeftButton);
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(m_test->content()->at(1)->note(), QString("smear at the left edge"));
}

void TestOperatorDialog::closeConfirmationDefaultsToNo()
{
    show(TwoReadings);
    QString defaultText;
    ModalAnswers::handle([&defaultText](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        defaultText = box && box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("closePushButton"), Qt::LeftButton);
    QCOMPARE(defaultText, translated("no"));
    QVERIFY(m_dialog->isVisible());
}

// On a low screen the rows scroll, and the buttons stay within the height given.
void TestOperatorDialog::rowsScrollWithinTheScreen()
{
    QByteArray rows;
    for (int i = 0; i < 12; ++i)
        rows += QByteArray(i ? "," : "") + R"({"type":"text","caption":"Reading"})";
    show(R"({"content":[)" + rows + "]}");
    const int tall = m_dialog->height();
    m_dialog->setAvailableHeight(300);
    QVERIFY2(m_dialog->height() <= 300 && tall > 300, qPrintable(QString::number(m_dialog->height())));
}

void TestOperatorDialog::noteTakenWhateverTheVerdict_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("noted");
    const QByteArray judged = R"({"validatable":true,"content":[{"type":"boolean"},{"type":"text"}]})";
    QTest::newRow("after an acceptance") << judged << QStringList{"acceptPushButton"} << 1;
    QTest::newRow("rejected, then accepted") << judged << QStringList{"rejectPushButton", "acceptPushButton"} << 1;
    QTest::newRow("answered step, with the answer printed")
        << QByteArray(R"({"content":[{"type":"text","resulttext":"a"},
        {"type":"text","resulttext":"b"},{"type":"text","resulttext":"c","hidefromreport":true}]})")
        << QStringList() << 1;
}

// The note can be written at any time and is kept with the answer the report prints, whatever the verdict.
void TestOperatorDialog::noteTakenWhateverTheVerdict()
{
    QFETCH(QByteArray, step);
    QFETCH(QStringList, clicks);
    QFETCH(int, noted);
    show(step);
    auto *note = m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit");
    QVERIFY(note->isVisible() && note->isEnabled());
    for (const QString &button : clicks)
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(note->isEnabled());
    QTest::keyClicks(note, "checked with the second meter");
    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(next.count(), 1);
    QCOMPARE(m_test->content()->at(noted)->note(), QString("checked with the second meter"));
}

// A yes/no answer starts open and holds the step until it is given; a line says that answers wait below.
void TestOperatorDialog::openChoiceHoldsTheStep()
{
    QByteArray rows;
    for (int i = 0; i < 10; ++i)
        rows += QByteArray(i ? "," : "") + R"({"type":"boolean","caption":"Is the screen clean?"})";
    show(R"({"content":[)" + rows + "]}");
    m_dialog->setAvailableHeight(300);
    const QList<QRadioButton *> choices = m_dialog->findChildren<QRadioButton *>();
    QCOMPARE(choices.size(), 20);
    for (const QRadioButton *choice : choices)
        QVERIFY(!choice->isChecked());
    auto *moreBelow = m_dialog->findChild<QLabel *>("moreBelowLabel");
    QTRY_VERIFY_WITH_TIMEOUT(moreBelow->isVisible(), Patience);

    QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
    for (QRadioButton *choice : choices.mid(0, 18)) {
        if (choice->objectName() == "noRadioButton")
            choice->click();
    }
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QVERIFY(next.isEmpty());
    // The open answer was scrolled into view, the last of the rows.
    QScrollBar *bar = m_dialog->findChild<QScrollArea *>("scrollArea")->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(!moreBelow->isVisible());
    QCOMPARE(choices.at(18)->parentWidget()->toolTip(), translated("answerRequired"));
    choices.at(18)->click();
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(next.count(), 1);
    QCOMPARE(m_test->content()->at(0)->resultBoolean(), false);
    QCOMPARE(m_test->content()->at(9)->resultBoolean(), true);
    // Shown again, the step shows the answers given.
    m_dialog->setTest(m_test.get());
    QVERIFY(m_dialog->findChildren<QRadioButton *>("noRadioButton").first()->isChecked());
}

// The date of the meter's last calibration is chosen in the language's format and stored as yyyy-MM-dd.
void TestOperatorDialog::calibrationDateInTheLanguage()
{
    LanguageEnvironment::apply("de");
    show(R"({"validatable":true,"content":[{"validatortype":"date","resulttext":"2026-02-01"}]})");
    auto *date = m_dialog->findChild<QDateEdit *>("dateEdit");
    QCOMPARE(date->text(), QLocale("de").toString(QDate(2026, 2, 1), QLocale::ShortFormat));
    date->setDate(QDate(2026, 11, 30));
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("acceptPushButton"), Qt::LeftButton);
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(m_test->content()->at(0)->resultText(), QString("2026-11-30"));
}

void TestOperatorDialog::readingsInTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("storedShownAs");
    QTest::newRow("German") << "de" << "35,25";
    QTest::newRow("Italian") << "it" << "35,25";
    QTest::newRow("English") << "en" << "35.25";
}

// A reading is shown as the language writes it, with the decimals typed, and
// stored in the C locale.
void TestOperatorDialog::readingsInTheLanguage()
{
    QFETCH(QString, language);
    LanguageEnvironment::apply(language);
    show(TwoReadings);
    QTEST(line(1)->text(), "storedShownAs");
    QTest::keyClicks(line(0), "0,520");
    QCOMPARE(line(0)->text(), QString("0,520"));
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    QCOMPARE(m_test->content()->at(0)->resultText(), QString("0.520"));
    QCOMPARE(m_test->content()->at(1)->resultText(), QString("35.25"));
}

QTEST_MAIN(TestOperatorDialog)
#include "tst_operatordialog.moc"
