#include "canvaswidget.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "dialogplacement.h"
#include "languageenvironment.h"
#include "savedsessionsmodel.h"
#include "support/cataloguesteps.h"
#include "support/dentaldisplay.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "support/translated.h"
#include "test.h"
#include "testcontent.h"
#include "testframe.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "testsmanager.h"
#include "textlengthlimit.h"
#include "translator.h"

#include <QClipboard>
#include <QDateEdit>
#include <QJsonDocument>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

using SessionDriver::Answers;
using SessionDriver::inputsOf;
using SessionDriver::readings;
using SessionDriver::runUntil;

namespace {

// A first step that is always hidden, a step without contents and a last step
// with a value that cannot be computed.
const char *const kHiddenFirstAndEmptySteps = R"json({"groups":{"0":{"subgroups":{"0":{"tests":[
        {"id":"hidden","content":[{"type":"info","hidefromtest":"(function(){return true;})"}]},
        {"id":"empty","content":[]},
        {"id":"last","content":[{"type":"info"},
            {"id":"content09000000","type":"text","join":"(function(){return Math.sqrt(-1);})"}]}]}}}}})json";

const QByteArray TwoReadings = R"({"content":[{"type":"text","validatortype":"number"},
                                              {"type":"text","validatortype":"number","resulttext":"35.25"}]})";

const QByteArray Judged = R"({"validatable":true,"content":[{"type":"boolean","resultboolean":true},{"type":"text"}]})";

} // namespace

// The operator's dialog, the test frame and the session that walks through the catalogue with them:
// keys, notes, required answers, the close confirmation, readings in the chosen language, and the
// dialog standing clear of what the operator judges or measures.
class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TR::Translator::instance()->setModel(TR::defaultDictionary());
        LanguageEnvironment::apply(QStringLiteral("en")); // as the program starts, and as each test leaves it
    }

    void init()
    {
        QFile::remove(m_dir.filePath("settings.ini"));
        m_store = std::make_unique<ConfigurationManager>(m_dir.filePath("settings.ini"));
        m_model = std::make_unique<SavedSessionsModel>(m_store.get());
        m_catalogue = std::make_unique<TestsManager>();
        m_session = std::make_unique<TestingSession>(nullptr, nullptr, m_model.get());
        ModalAnswers::rejectUnexpectedDialogs();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_session.reset();
        LanguageEnvironment::apply(QStringLiteral("en"));
        QCOMPARE(ModalAnswers::finish().unanswered, 0);
    }

    // A reading outside its plausible range is kept only when the operator says
    // so; an impossible one is refused; a comma is a decimal comma. A required
    // answer left empty says so in words.
    void answerChecked_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("answer"); // to the reading's prompt; none expected when empty
        const auto row = [](const char *name, const QByteArray &field, const char *typed, const char *pasted,
                            const char *stored, bool passes, const char *answer = "") {
            QTest::newRow(name) << R"({"content":[{)" + field + "}]}" << QString(typed) << QString(pasted)
                                << QString(stored) << passes << QString(answer);
        };
        const QByteArray number = R"("type":"text","validatortype":"number")";
        const QByteArray maxLuminance = number + R"(,"id":"content05031700")";
        row("required empty text", R"("type":"text")", "", "", "", false);
        row("read-only empty", R"("type":"text","readonly":true)", "", "", "", true);
        row("optional empty", R"("type":"textarea","required":false)", "", "", "", true);
        row("required empty textarea", R"("type":"textarea")", "", "", "", false);
        row("comma typed", number, "-1,5", "", "-1.5", true);
        row("exponents typed", number, "1e5e5", "", "155", true);
        row("letters typed", number, "abc", "", "", false);
        row("lone sign typed", number, "-", "", "", false);
        row("comma pasted", number, "", "1,5", "1.5", true);
        row("grouped number pasted", number, "", "1.000,5", "", false);
        row("script pasted", number, "", "(function(){})", "", false);
        row("stored comma answer", number + R"(,"resulttext":"2,5")", "", "", "2.5", true);
        row("stored script answer", number + ",\"resulttext\":\"x()\"", "", "", "x()", false);
        row("1.000 for L'max, corrected", maxLuminance, "1.000", "", "", false, "reading_correct");
        row("1.000 for L'max, kept", maxLuminance, "1.000", "", "1.000", true, "reading_keep");
        row("1.234,5 for L'max", maxLuminance, "1.234,5", "", "", false, "reading_correct");
        row("0 for a luminance", number + R"(,"id":"content05020000")", "0", "", "", false, "ok");
        row("-1 for L'max", maxLuminance, "-1", "", "", false, "ok");
        row("0,532 for L'min", number + R"(,"id":"content05030000")", "0,532", "", "0.532", true);
        // The catalogue's placeholder 0 of a luminance field is no reading: the field starts empty.
        row("placeholder 0 of a luminance", number + R"(,"id":"content05020000","resulttext":"0")", "", "", "", false);
    }

    void answerChecked()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        QFETCH(bool, passes);
        QFETCH(QString, answer);
        show(json);
        QString shown;
        if (!answer.isEmpty())
            ModalAnswers::clickButton(translated(answer), &shown);
        QTest::keyClicks(field(), typed);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
        QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
        QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
        QCOMPARE(content(0)->resultText(), stored);
        QCOMPARE(next.count(), int(passes));
        QCOMPARE(ModalPrompt::pendingAnswers(), 0);
        if (answer.isEmpty())
            QCOMPARE(field()->styleSheet(), passes ? QString() : QString("border: 1px solid red"));
        if (typed.isEmpty() && pasted.isEmpty())
            QCOMPARE(field()->property("placeholderText").toString(),
                     stored.isEmpty() && !passes ? translated("answerRequired") : QString());
        // The question names the range the reading left.
        if (answer.startsWith("reading_"))
            QVERIFY2(shown.contains("10 ") && shown.contains("10000"), qPrintable(shown));
    }

    void longTextsAreCut_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("field");
        QTest::newRow("line answer") << QByteArray(R"({"content":[{"type":"text"}]})") << QString();
        QTest::newRow("textarea answer") << QByteArray(R"({"content":[{"type":"textarea"}]})") << QString();
        QTest::newRow("note") << QByteArray(R"({"validatable":true,"content":[{"type":"text"}]})")
                              << QString("notePlainTextEdit");
    }

    // A pasted text past the limit keeps its first 10,000 characters, and the field says why.
    void longTextsAreCut()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, field);
        show(json);
        QWidget *input = field.isEmpty() ? this->field() : m_dialog->findChild<QWidget *>(field);
        if (!field.isEmpty())
            QTest::mouseClick(button("rejectPushButton"), Qt::LeftButton);
        QGuiApplication::clipboard()->setText(QString(TextLengthLimit::maximumLength - 2, 'a') + "bcd");
        input->setFocus();
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), "At most 10000 characters; the rest was not taken.", Patience);
        QTest::mouseClick(button("nextPushButton"), Qt::LeftButton);
        const QString kept = field.isEmpty() ? content(0)->resultText() : content(0)->note();
        QCOMPARE(kept, QString(TextLengthLimit::maximumLength - 2, 'a') + "bc");
    }

    // A short click on the title bar collapses the dialog; a drag moves it.
    void titleBarMouse()
    {
        for (const QPoint &moveBy : {QPoint(), QPoint(40, 25)}) {
            show(R"({"content":[{"type":"text"}]})");
            m_dialog->move(100, 100);
            QWidget *title = m_dialog->findChild<QWidget *>("titleWidget");
            QTest::mousePress(title, Qt::LeftButton, {}, QPoint(10, 10));
            const QPoint to = title->mapToGlobal(QPoint(10, 10)) + moveBy;
            QMouseEvent move(QEvent::MouseMove, title->mapFromGlobal(to), to, Qt::NoButton, Qt::LeftButton, {});
            if (!moveBy.isNull())
                QApplication::sendEvent(title, &move);
            QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(10, 10));
            QCOMPARE(m_dialog->isCollapsed(), moveBy.isNull());
            QCOMPARE(m_dialog->pos(), QPoint(100, 100) + moveBy);
        }
    }

    void wholeSessionTwice()
    {
        QSignalSpy succeeded(m_session.get(), &TestingSession::sessionSucceeded);
        ModalAnswers::clickButton(translated("ok"));
        QSignalSpy steps(m_session->frame(), &TestFrame::currentStepChanged);
        begin(m_catalogue->groups());
        // A 27 inch screen hides no position and computed tests are never shown: 66 steps, all passing, no warning box.
        QCOMPARE(runUntil(m_session.get(), DentalDisplay::readings()).size(), 66);
        QCOMPARE(ModalPrompt::pendingAnswers(), 1);
        // The progress counts the shown steps only: one up from each to the next, the last one "66 of 66".
        for (int i = 0; i < steps.size(); ++i)
            QCOMPARE(steps.at(i).value(0).toUInt(), uint(i));
        QCOMPARE(steps.size(), 66);
        QCOMPARE(m_session->frame()->totalSteps(), 66u);

        // Below 23 inches the TC, ML, MR and BC positions are skipped, forward and back.
        const QStringList dimLevels{"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",
                                    "10", "11", "12", "13", "14", "15", "16", "17", "50"};
        const Answers dim = readings("21", {"200", "", "190", "", "210", "", "180", "", "195"},
                                     {"0.4", "", "0.6", "", "0.5", "", "0.5", "", "0.5"}, dimLevels, "10");
        QString shownText;
        ModalPrompt::reset();
        ModalAnswers::clickButton(translated("ok"), &shownText);
        // The second run is a periodic test: of the visual acceptance group it asks the uniform field's checks
        // only, which the record then holds alone.
        m_catalogue = std::make_unique<TestsManager>();
        begin(m_catalogue->groups(), m_catalogue->testType("periodicConstancy")->onlySubgroups);
        // The second run starts from the first one's answers, but neither the operator's name nor computed values.
        QStringList prefilled;
        for (const char *id : {"content00000000", "content02010000", "content05050000", "content03030002"})
            prefilled << m_session->contentById(id)->resultText();
        QCOMPARE(prefilled, QStringList({"", "Eizo", "", "120"}));
        QStringList shown = runUntil(m_session.get(), dim, "test_06_03_00");
        QStringList backward;
        while (m_session->frame()->test()->id() != "test_06_01_02") {
            backward.prepend(m_session->frame()->test()->id());
            press("backPushButton");
        }
        QCOMPARE(backward, shown.mid(shown.indexOf("test_06_01_02") + 1) << "test_06_03_00");
        shown = shown.mid(0, shown.indexOf("test_06_01_02")) + runUntil(m_session.get(), dim);
        // 66 steps less the 8 of the skipped positions and the 12 other visual acceptance checks.
        QCOMPARE(shown.filter(QRegularExpression("^test_05_")), QStringList{"test_05_04_00"});
        QCOMPARE(shown.size(), 46);
        // L' = 50 + 10 below 200 cd/m2, r' = 60 / 11 below 100 and a dark uniformity of 200 * 0.2 / 1.0 above 30 %.
        QCOMPARE(shownText, QString("3 errors were encountered.\n"
                                    "\u2022 L'max = Lmax + L_amb: 60.0 cd/m², at least 200.0 cd/m²: failed\n"
                                    "\u2022 r' = L'max / L'min: 5.5, at least 100.0: failed\n"
                                    "\u2022 Luminance uniformity at driving level 26: 40.0 %, at most 30.0 %: failed"));
        QCOMPARE(succeeded, QList<QVariantList>({{true}, {false}}));

        const ConfigurationManager reopened(m_store->fileName());
        const QVariantMap record = reopened.sessionRecord(reopened.sessions().value(0).toMap());
        QStringList stored;
        for (const char *key : {"tester", "ntest", "nfailedtestcontents", "monitorselected", "monitorinfo"})
            stored << record.value(key).toString();
        const QVariantMap groups = record.value("test_session").toMap();
        QCOMPARE(groups.value("5").toMap().value("subgroups").toMap().keys(), QStringList{"4"});
        const QVariantMap group6 = groups.value("6").toMap().value("subgroups").toMap();
        for (const char *subgroup : {"5", "7"}) {
            for (const QVariant &test : group6.value(subgroup).toMap().value("tests").toList()) {
                for (const QVariant &content : test.toMap().value("content").toList())
                    stored << content.toMap().value("resulttext").toString();
            }
        }
        // Darkest and brightest fields, their uniformity 200 * 0.2 / 1.0 and 200 * 30 / 390, the levels and their
        // ratio.
        QCOMPARE(stored, QStringList({"Alice", "8", "3", "0", " (Eizo - CX)", "0.6", "0.4", "210", "180", "40",
                                      "15.3846", "50", "1", "50"}));
    }

    void screenIdentity_data()
    {
        QTest::addColumn<int>("monitor");
        QTest::addColumn<QStringList>("identity");
        QTest::addColumn<QString>("makerAnswer");
        QTest::addColumn<QStringList>("answers");
        const QStringList eizo{"Eizo", "CX271", "S123"};
        QTest::newRow("identity fills the device")
            << 0 << eizo << "" << QStringList{"Eizo", "CX271", "2560 x 1440", "S123"};
        QTest::newRow("given answer kept, no monitor chosen")
            << -1 << eizo << "Dell" << QStringList{"Dell", "CX271", "2560 x 1440", "S123"};
        QTest::newRow("virtual screen, unplugged since chosen")
            << 3 << QStringList{"", "", ""} << "" << QStringList{"", "", "", ""};
    }

    void screenIdentity()
    {
        QFETCH(int, monitor);
        QFETCH(QStringList, identity);
        QFETCH(QString, makerAnswer);
        QFETCH(QStringList, answers);
        m_session->setScreenIdentity(std::make_unique<DentalDisplay::Screen>(identity));
        m_session->setGroups(m_catalogue->groups());
        m_session->contentById("content02010000")->setResultText(makerAnswer);
        m_session->start(monitor);
        QStringList shown;
        for (const TestContent *content :
             *qobject_cast<Test *>(m_session->contentById("content02010000")->parent())->content())
            shown << content->resultText();
        QCOMPARE(shown, answers);
        // The diagonal of the screen under test (597 x 336 mm), not of the primary screen.
        QCOMPARE(m_session->contentById("content05010000")->resultText(), QString("27"));
        QCOMPARE(m_session->screen(), 0);
        QCOMPARE(m_session->frame()->geometry(), QGuiApplication::primaryScreen()->geometry());
    }

    void stepsWithoutContentsOrVisibleEarlierStep()
    {
        TestsManager catalogue(kHiddenFirstAndEmptySteps);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(R"(^\[TestingSession\] STEP: +1 +- Group: +0 )"));
        begin(catalogue.groups());
        QCOMPARE(press("nextPushButton"), QString("empty"));
        QCOMPARE(press("backPushButton"), QString("empty"));
        QCOMPARE(press("nextPushButton"), QString("last"));
        // Left empty, so the content is not valid and no "nan" reaches the record.
        QCOMPARE(m_session->contentById("content09000000")->resultText(), QString());
    }

    void noteTakenWhateverTheVerdict_data()
    {
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("notes"); // of each content, joined by "|"
        QTest::newRow("rejected") << Judged << QStringList{"rejectPushButton"} << QString("|checked");
        QTest::newRow("after an acceptance") << Judged << QStringList{"acceptPushButton"} << QString("|checked");
        QTest::newRow("rejected, then accepted")
            << Judged << QStringList{"rejectPushButton", "acceptPushButton"} << QString("|checked");
        QTest::newRow("answered step, with the answer printed")
            << QByteArray(R"({"content":[{"type":"text","resulttext":"a"},
            {"type":"text","resulttext":"b"},{"type":"text","resulttext":"c","hidefromreport":true}]})")
            << QStringList() << QString("|checked|");
    }

    // The note can be written at any time, before a verdict too, and is kept with the answer the report prints,
    // whatever the verdict, also when the step is shown again. A step judged as a whole waits for its verdict.
    void noteTakenWhateverTheVerdict()
    {
        QFETCH(QByteArray, step);
        QFETCH(QStringList, clicks);
        show(step);
        QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
        if (!clicks.isEmpty()) {
            QTest::keyClick(m_dialog.get(), Qt::Key_Return);
            QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
            QVERIFY(next.isEmpty() && m_dialog->isVisible());
        }
        QVERIFY(note()->isVisible() && note()->isEnabled());
        for (const QString &name : clicks)
            QTest::mouseClick(button(qPrintable(name)), Qt::LeftButton);
        QTest::keyClicks(note(), "checked");
        QTest::keyClick(m_dialog.get(), Qt::Key_Return);
        QCOMPARE(next.count(), 1);
        QStringList notes;
        for (const TestContent *answer : *m_test->content())
            notes << answer->note();
        QTEST(notes.join('|'), "notes");
        if (!clicks.isEmpty())
            QCOMPARE(content(0)->resultBoolean(), clicks.constLast() == "acceptPushButton");
        // Shown again, as when the operator goes back to it, the step keeps its note.
        m_dialog->setTest(m_test.get());
        QCOMPARE(note()->toPlainText(), QString("checked"));
    }

    // A yes/no answer starts open and holds the step until it is given; a line says that answers wait below. On a
    // low screen the rows scroll, and the buttons stay within the height given.
    void openChoiceHoldsTheStep()
    {
        QByteArray rows;
        for (int i = 0; i < 10; ++i)
            rows += QByteArray(i ? "," : "") + R"({"type":"boolean","caption":"Is the screen clean?"})";
        show(R"({"content":[)" + rows + "]}");
        const int tall = m_dialog->height();
        m_dialog->setAvailableHeight(300);
        QVERIFY2(m_dialog->height() <= 300 && tall > 300, qPrintable(QString::number(m_dialog->height())));
        const QList<QRadioButton *> choices = m_dialog->findChildren<QRadioButton *>();
        QCOMPARE(choices.size(), 20);
        auto *moreBelow = m_dialog->findChild<QLabel *>("moreBelowLabel");
        QTRY_VERIFY_WITH_TIMEOUT(moreBelow->isVisible(), Patience);

        QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
        for (int row = 0; row < 9; ++row)
            choices.at(2 * row + 1)->click(); // "No"
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
        QCOMPARE(content(0)->resultBoolean(), false);
        QCOMPARE(content(9)->resultBoolean(), true);
        // Shown again, the step shows the answers given.
        m_dialog->setTest(m_test.get());
        QVERIFY(m_dialog->findChildren<QRadioButton *>("noRadioButton").first()->isChecked());
    }

    void readingsInTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("storedShownAs");
        QTest::newRow("German") << QString("de") << QString("35,25");
        QTest::newRow("English") << QString("en") << QString("35.25");
    }

    // A reading is shown as the language writes it, with the decimals typed, and stored in the C locale; Return in
    // the first reading moves to the second, in the last it goes on. The date of the meter's last calibration is
    // chosen in the language's format and stored as yyyy-MM-dd.
    void readingsInTheLanguage()
    {
        QFETCH(QString, language);
        LanguageEnvironment::apply(language);
        show(TwoReadings);
        QTEST(line(1)->text(), "storedShownAs");
        QSignalSpy next(m_dialog.get(), &TestInputDialog::next);
        m_dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get(), Patience));
        line(0)->setFocus();
        QTest::keyClicks(line(0), "0,520");
        QTest::keyClick(line(0), Qt::Key_Return);
        QVERIFY(line(1)->hasFocus() && next.isEmpty());
        QTest::keyClick(line(1), Qt::Key_Return);
        QCOMPARE(next.count(), 1);
        QCOMPARE(content(0)->resultText(), QString("0.520"));
        QCOMPARE(content(1)->resultText(), QString("35.25"));

        show(R"({"validatable":true,"content":[{"validatortype":"date","resulttext":"2026-02-01"}]})");
        auto *date = m_dialog->findChild<QDateEdit *>("dateEdit");
        QCOMPARE(date->text(), QLocale(language).toString(QDate(2026, 2, 1), QLocale::ShortFormat));
        date->setDate(QDate(2026, 11, 30));
        QTest::mouseClick(button("acceptPushButton"), Qt::LeftButton);
        QTest::keyClick(m_dialog.get(), Qt::Key_Return);
        QCOMPARE(content(0)->resultText(), QString("2026-11-30"));
    }

    // A dragged position stays while it is clear and on the screen.
    void keptPosition_data()
    {
        QTest::addColumn<QPoint>("kept");
        QTest::addColumn<bool>("stays");
        QTest::newRow("clear") << QPoint(1300, 700) << true;
        QTest::newRow("covering the patch") << QPoint(600, 350) << false;
        QTest::newRow("within the clearance") << QPoint(190, 400) << false;
        QTest::newRow("partly off the screen") << QPoint(1700, 900) << false;
    }

    void keptPosition()
    {
        QFETCH(QPoint, kept);
        QFETCH(bool, stays);
        const QRect screen(0, 0, 1920, 1080), judged(700, 400, 200, 200);
        const QSize dialog(500, 300);
        DialogPlacement placement;
        placement.keep(kept);
        const QRect placed = placement.place(dialog, screen, {judged});
        QCOMPARE(placed.topLeft() == kept, stays);
        QVERIFY(screen.contains(placed));
        QCOMPARE(DialogPlacement::coveredArea(placed, {judged}), 0);
        placement.forget();
        QCOMPARE(placement.place(dialog, screen, {judged}).topLeft(), QPoint(710, 50));
    }

    void everyStepOfTheCatalogue_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1080);
        QTest::newRow("1366 x 768, second screen") << QRect(1920, 0, 1366, 768);
        QTest::newRow("2560 x 1440") << QRect(0, 0, 2560, 1440);
        QTest::newRow("1280 x 720") << QRect(0, 0, 1280, 720);
    }

    // The real dialog of every step, at its real size, stands clear of the step's pattern.
    void everyStepOfTheCatalogue()
    {
        QFETCH(QRect, screen);
        TestFrame frame;
        frame.setScreenRect(screen);
        int judgedSteps = 0;
        for (Test *test : catalogueSteps(*m_catalogue)) {
            frame.setTest(test);
            frame.show();
            const TestInputDialog *dialog = frame.inputDialog();
            QVERIFY(dialog->isVisible());
            const QRect placed = dialog->geometry();
            const QVector<QRect> judged = frame.findChild<CanvasWidget *>()->pattern()->judgedRegions(screen.size());
            judgedSteps += !judged.isEmpty();
            QVERIFY2(screen.contains(placed), qPrintable(test->id()));
            for (const QRect &region : judged)
                QVERIFY2(!placed.intersects(region.translated(screen.topLeft())),
                         qPrintable(test->id() + " " + test->patternString()));
            frame.close();
        }
        QVERIFY(judgedSteps > 30);
    }

    void frameCloseConfirmation_data()
    {
        QTest::addColumn<QString>("answer"); // none: Return takes the default
        QTest::addColumn<bool>("closed");
        QTest::newRow("no keeps the session") << translated("no") << false;
        QTest::newRow("yes closes dialog and frame") << translated("yes") << true;
        QTest::newRow("Return keeps the session") << QString() << false;
    }

    // Closing the frame asks first. The step counts from 1, its share is truncated, not rounded, and without a
    // total it is 0 %.
    void frameCloseConfirmation()
    {
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        TestFrame *frame = m_session->frame();
        frame->setScreenRect({1920, 0, 1920, 1080});
        frame->showFullScreen();
        TestInputDialog *dialog = frame->inputDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog, Patience));
        QCOMPARE(dialog->geometry().topLeft(), QPoint(2630, 50)); // centred: 1920 + 960 - 250
        QString shown;
        if (answer.isEmpty()) {
            ModalAnswers::handle([&shown](QDialog *box) {
                shown = qobject_cast<QMessageBox *>(box)->text();
                QTest::keyClick(box, Qt::Key_Return);
            });
        } else {
            ModalAnswers::clickButton(answer, &shown);
        }
        QTest::mouseClick(dialog->findChild<QPushButton *>("closePushButton"), Qt::LeftButton);
        QCOMPARE(shown, translated("testInputDialog_close"));
        QCOMPARE(dialog->isVisible(), !closed);
        QCOMPARE(frame->isVisible(), !closed);
        const QLabel *progress = dialog->findChild<QLabel *>("progressLabel");
        frame->setTotalSteps(8);
        frame->setCurrentStep(3);
        QCOMPARE(progress->text(), QStringLiteral("Step 4 of 8 \u00b7 37\u00a0%"));
        frame->setTotalSteps(0);
        frame->setCurrentStep(3);
        QCOMPARE(progress->text(), QStringLiteral("0\u00a0%"));
    }

private:
    // Shows a test of the catalogue written inline as JSON, e.g. {"content":[{"type":"text"}]}, in its own dialog.
    void show(const QByteArray &json)
    {
        m_test = std::make_unique<Test>(QJsonDocument::fromJson(json).toVariant().toMap());
        m_dialog = std::make_unique<TestInputDialog>();
        m_dialog->setTest(m_test.get());
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get(), Patience));
    }
    QWidget *field() const { return inputsOf(m_dialog.get()).value(0); }
    QLineEdit *line(int index) const { return qobject_cast<QLineEdit *>(inputsOf(m_dialog.get()).value(index)); }
    QPlainTextEdit *note() const { return m_dialog->findChild<QPlainTextEdit *>("notePlainTextEdit"); }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    TestContent *content(int index) const { return m_test->content()->at(index); }

    void begin(QList<TestGroup *> *groups, const QMap<unsigned, QList<unsigned>> &onlySubgroups = {})
    {
        // A dental display of 2560 x 1440 pixels in a room up to 500 lx: the first run passes every limit.
        TestingSession::Context context{"periodicConstancy", "dentalRk5", "RK3", {}, {}, {}};
        context.onlySubgroups = onlySubgroups;
        m_session->setContext(context);
        m_session->setScreenIdentity(std::make_unique<DentalDisplay::Screen>());
        m_session->setGroups(groups);
        m_session->applyStoredResults(m_store->latestSessionResults());
        m_session->setTestIndex(0);
        m_session->start(0);
    }

    // Clicks a button of the session's dialog; returns the test shown then.
    QString press(const char *button)
    {
        QTest::mouseClick(m_session->frame()->inputDialog()->findChild<QPushButton *>(button), Qt::LeftButton);
        return m_session->frame()->test()->id();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
    std::unique_ptr<TestsManager> m_catalogue;
    std::unique_ptr<TestingSession> m_session;
    std::unique_ptr<Test> m_test;
    std::unique_ptr<TestInputDialog> m_dialog;
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"
