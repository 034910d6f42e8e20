#include "configurationmanager.h"
#include "savedsessionsmodel.h"
#include "screenidentity.h"
#include "sessiontesting.h"
#include "support/modalanswers.h"
#include "testcontent.h"
#include "testframe.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace SessionTesting;
using Answers = QMap<QString, QString>;

namespace {

// Readings at the positions TL, TC, TR, ML, MC, MR, BL, BC, BR; a hidden position is never asked.
Answers readings(const QString &diagonal, const QStringList &light, const QStringList &dark, const QStringList &levels,
                 const QString &ambient)
{
    Answers answers{{"content00000000", "Alice"}, {"content02010000", "Eizo"},   {"content02010001", "CX"},
                    {"content03030003", "300"},   {"content05010000", diagonal}, {"content05060000", ambient}};
    for (int i = 0; i < 9; ++i) {
        answers.insert(QString("content0502%1").arg(2 * i, 2, 10, QChar('0')) + "00", light.value(i));
        answers.insert(QString("content0502%1").arg(2 * i + 1, 2, 10, QChar('0')) + "00", dark.value(i));
    }
    for (int i = 0; i < 18; ++i)
        answers.insert(QString("content0503%1").arg(i, 2, 10, QChar('0')) + "00", levels.value(i));
    return answers;
}

class FixedIdentity : public ScreenIdentity
{
public:
    explicit FixedIdentity(const Identity &identity) : m_identity(identity) {}
    Identity identity(int) const override { return m_identity; }

private:
    Identity m_identity;
};

} // namespace

class TestTestingSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wholeSessionTwice();
    void hiddenPositions_data();
    void hiddenPositions();
    void prefillFromStoredSession();
    void screenIdentity_data();
    void screenIdentity();
    void missingMonitorUsesPrimaryScreen_data();
    void missingMonitorUsesPrimaryScreen();
    void stepsWithoutContentsOrVisibleEarlierStep();

private:
    void begin(QList<TestGroup *> *groups);
    // Answers the shown test through its dialog as the operator would, then presses Return.
    void answerShownTest(const Answers &answers);
    QStringList runToEnd(const Answers &answers);
    QVariantMap latestRecord() const;

    QTemporaryDir m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
    std::unique_ptr<TestsManager> m_catalogue;
    std::unique_ptr<TestingSession> m_session;
};

void TestTestingSession::initTestCase()
{
    useEnglish();
    QVERIFY(m_dir.isValid());
}

void TestTestingSession::init()
{
    QFile::remove(m_dir.filePath("settings.ini"));
    m_store = std::make_unique<ConfigurationManager>(m_dir.filePath("settings.ini"));
    m_model = std::make_unique<SavedSessionsModel>(m_store.get());
    m_catalogue = std::make_unique<TestsManager>();
    m_session = std::make_unique<TestingSession>(nullptr, nullptr, m_model.get());
}

void TestTestingSession::cleanup()
{
    m_session.reset();
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    ModalPrompt::reset();
}

void TestTestingSession::begin(QList<TestGroup *> *groups)
{
    m_session->setGroups(groups);
    m_session->applyStoredResults(m_store->latestSessionResults());
    m_session->setTestIndex(0);
    m_session->start(0);
}

void TestTestingSession::answerShownTest(const Answers &answers)
{
    TestInputDialog *dialog = m_session->frame()->inputDialog();
    const Test *test = m_session->frame()->test();
    if (test->validatable())
        QTest::mouseClick(dialog->findChild<QPushButton *>("acceptPushButton"), Qt::LeftButton);
    QList<QWidget *> inputs;
    const QObjectList rows = dialog->findChild<QWidget *>("contentWidget")->children();
    for (QObject *row : rows) {
        if (row->isWidgetType() && !row->inherits("QLabel"))
            inputs << static_cast<QWidget *>(row);
    }
    for (const TestContent *content : *test->content()) {
        if (test->validatable() || content->type() == TestContent::kTestContentTypeInfo)
            continue;
        QWidget *input = inputs.takeFirst();
        const QString answer = answers.value(content->id(), "0");
        if (auto *combo = qobject_cast<QComboBox *>(input)) {
            combo->setCurrentIndex(combo->findData(answer));
        } else if (auto *yes = input->findChild<QRadioButton *>()) {
            QTest::mouseClick(yes, Qt::LeftButton);
        } else {
            QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(input, answer);
        }
    }
    QTest::keyClick(dialog, Qt::Key_Return);
}

QStringList TestTestingSession::runToEnd(const Answers &answers)
{
    QSignalSpy completed(m_session.get(), &TestingSession::sessionCompleted);
    QStringList shown;
    while (completed.isEmpty() && shown.size() < 200) {
        shown << m_session->frame()->test()->id();
        answerShownTest(answers);
    }
    return shown;
}

QVariantMap TestTestingSession::latestRecord() const
{
    return ConfigurationManager(m_store->fileName()).sessions().value(0).toMap();
}

void TestTestingSession::wholeSessionTwice()
{
    QSignalSpy succeeded(m_session.get(), &TestingSession::sessionSucceeded);
    ModalAnswers::clickButton(translated("ok"));
    begin(m_catalogue->groups());
    const QStringList levels{"0.8", "10",  "20",  "30",  "40",  "50",  "60",  "70",  "80",
                             "90",  "100", "120", "140", "160", "200", "250", "300", "400"};
    QStringList shown =
        runToEnd(readings("27", {"250", "240", "245", "230", "260", "235", "240", "238", "242"},
                          {"0,5", "0.52", "0.48", "0.5", "0.55", "0.5", "0.5", "0.45", "0.5"}, levels, "2"));
    QCOMPARE(ModalPrompt::pendingAnswers(), 1);
    for (const char *computed : {"test_05_06_00", "test_06_05_00", "test_06_05_01", "test_06_07_00"})
        QVERIFY2(!shown.contains(computed), computed);
    QCOMPARE(shown.size(), 66);

    QStringList dimLevels;
    for (int level = 1; level < 18; ++level)
        dimLevels << QString::number(level);
    dimLevels << "50";
    QString shownText;
    ModalPrompt::reset();
    ModalAnswers::clickButton(translated("ok"), &shownText);
    begin(m_catalogue->groups());
    shown = runToEnd(readings("21", {"200", "", "190", "", "210", "", "180", "", "195"},
                              {"0.4", "", "0.6", "", "0.5", "", "0.5", "", "0.5"}, dimLevels, "100"));
    QCOMPARE(shown.size(), 58);
    QCOMPARE(shownText, QString("3 errors were encountered."));
    QCOMPARE(succeeded, QList<QVariantList>({{true}, {false}}));

    const QVariantMap record = latestRecord();
    QCOMPARE(record.value("tester").toString(), QString("Alice"));
    QCOMPARE(record.value("ntest").toUInt(), 8u);
    QCOMPARE(record.value("nfailedtestcontents").toUInt(), 3u);
    QCOMPARE(record.value("monitorselected").toInt(), 0);
    QCOMPARE(record.value("monitorinfo").toString(), QString(" (Eizo - CX)"));
    const QVariantMap group6 = record.value("test_session").toMap().value("6").toMap().value("subgroups").toMap();
    const auto computed = [&group6](const char *subgroup, int test, int content) {
        const QVariantList tests = group6.value(subgroup).toMap().value("tests").toList();
        return tests.value(test).toMap().value("content").toList().value(content).toMap().value("resulttext");
    };
    QCOMPARE(computed("5", 0, 0).toString(), QString("0.6")); // darkest field, maximum
    QCOMPARE(computed("5", 0, 1).toString(), QString("0.4"));
    QCOMPARE(computed("5", 0, 2).toString(), QString("210")); // brightest field, maximum
    QCOMPARE(computed("5", 0, 3).toString(), QString("180"));
    QCOMPARE(computed("5", 1, 0).toString(), QString("40"));      // 200 * 0.2 / 1.0
    QCOMPARE(computed("5", 1, 1).toString(), QString("15.3846")); // 200 * 30 / 390
    QCOMPARE(computed("7", 0, 0).toString(), QString("50"));
    QCOMPARE(computed("7", 0, 1).toString(), QString("1"));
    QCOMPARE(computed("7", 1, 0).toString(), QString("50"));
}

void TestTestingSession::hiddenPositions_data()
{
    QTest::addColumn<QString>("diagonal");
    QTest::addColumn<int>("positions");
    QTest::newRow("below 23 inches: TC, ML, MR, BC skipped") << "22" << 5;
    QTest::newRow("23 inches: all nine") << "23" << 9;
}

void TestTestingSession::hiddenPositions()
{
    QFETCH(QString, diagonal);
    QFETCH(int, positions);
    QList<TestGroup *> group6{m_catalogue->groups()->at(6)};
    begin(&group6);
    const auto shownId = [this] { return m_session->frame()->test()->id(); };
    QStringList forward;
    while (!shownId().startsWith("test_06_03")) {
        if (shownId().startsWith("test_06_02"))
            forward << shownId();
        answerShownTest({{"content05010000", diagonal}});
    }
    QStringList backward;
    while (shownId() != "test_06_01_02") {
        QTest::mouseClick(m_session->frame()->inputDialog()->findChild<QPushButton *>("backPushButton"),
                          Qt::LeftButton);
        if (shownId().startsWith("test_06_02"))
            backward.prepend(shownId());
    }
    QCOMPARE(forward.size(), 2 * positions);
    QCOMPARE(forward.contains("test_06_02_02"), positions == 9);
    QCOMPARE(backward, forward);
}

void TestTestingSession::prefillFromStoredSession()
{
    TestsManager earlier;
    const auto answer = [&earlier](const char *id, const QString &text) {
        for (TestGroup *group : *earlier.groups()) {
            if (TestContent *content = group->contentById(id))
                content->setResultText(text);
        }
    };
    answer("content00000000", "Bob");
    answer("content02010000", "Eizo");
    answer("content02010001", "CX");
    answer("content05050000", "99");
    earlier.groups()->at(3)->contentById("content03030003")->setResultMultiselect("300");
    QVariantMap stored;
    for (const TestGroup *group : *earlier.groups())
        stored.insert(QString::number(group->number()), group->toVariantMap());
    m_model->addSession(stored, "Bob", 8, 0, 0, QString());

    m_session->setGroups(m_catalogue->groups());
    m_session->contentById("content02010001")->setResultText("given");
    begin(m_catalogue->groups());
    QCOMPARE(m_session->contentById("content00000000")->resultText(), QString());
    QCOMPARE(m_session->contentById("content02010000")->resultText(), QString("Eizo"));
    QCOMPARE(m_session->contentById("content02010001")->resultText(), QString("given"));
    QCOMPARE(m_session->contentById("content05050000")->resultText(), QString());
    QCOMPARE(m_session->contentById("content03030003")->resultMultiselect(), QString("300"));
}

void TestTestingSession::screenIdentity_data()
{
    QTest::addColumn<QStringList>("identity");
    QTest::addColumn<QString>("makerAnswer");
    QTest::addColumn<QStringList>("answers");
    const QStringList eizo{"Eizo", "CX271", "S123"};
    QTest::newRow("identity fills the device") << eizo << "" << QStringList{"Eizo", "CX271", "2560 x 1440", "S123"};
    QTest::newRow("given answer kept") << eizo << "Dell" << QStringList{"Dell", "CX271", "2560 x 1440", "S123"};
    QTest::newRow("virtual screen fills nothing") << QStringList{"", "", ""} << "" << QStringList{"", "", "", ""};
}

void TestTestingSession::screenIdentity()
{
    QFETCH(QStringList, identity);
    QFETCH(QString, makerAnswer);
    QFETCH(QStringList, answers);
    m_session->setScreenIdentity(
        std::make_unique<FixedIdentity>(ScreenIdentity::Identity{identity[0], identity[1], identity[2], {2560, 1440}}));
    m_session->setGroups(m_catalogue->groups());
    m_session->contentById("content02010000")->setResultText(makerAnswer);
    begin(m_catalogue->groups());
    QStringList shown;
    const auto *deviceTest = qobject_cast<Test *>(m_session->contentById("content02010000")->parent());
    for (const TestContent *content : *deviceTest->content())
        shown << content->resultText();
    QCOMPARE(shown, answers);
}

void TestTestingSession::missingMonitorUsesPrimaryScreen_data()
{
    QTest::addColumn<int>("monitor");
    QTest::newRow("no choice") << -1;
    QTest::newRow("unplugged since chosen") << 3;
}

void TestTestingSession::missingMonitorUsesPrimaryScreen()
{
    QFETCH(int, monitor);
    m_session->setGroups(m_catalogue->groups());
    m_session->setTestIndex(0);
    m_session->start(monitor);
    QCOMPARE(m_session->screen(), 0);
    QCOMPARE(m_session->frame()->geometry(), QGuiApplication::primaryScreen()->geometry());
}

void TestTestingSession::stepsWithoutContentsOrVisibleEarlierStep()
{
    TestsManager catalogue(R"json({"groups":{"0":{"subgroups":{"0":{"tests":[
        {"id":"hidden","content":[{"type":"info","hidefromtest":"(function(){return true;})"}]},
        {"id":"empty","content":[]},
        {"id":"last","content":[{"type":"info"}]}]}}}}})json");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(R"(^\[TestingSession\] STEP: +1 +- Group: +0 )"));
    begin(catalogue.groups());
    QCOMPARE(m_session->totalSteps(), 3);
    const auto press = [this](const char *button) {
        QTest::mouseClick(m_session->frame()->inputDialog()->findChild<QPushButton *>(button), Qt::LeftButton);
        return m_session->frame()->test() ? m_session->frame()->test()->id() : QString();
    };
    QCOMPARE(press("nextPushButton"), QString("empty"));
    QCOMPARE(press("backPushButton"), QString("empty"));
    QCOMPARE(press("nextPushButton"), QString("last"));
    QSignalSpy completed(m_session.get(), &TestingSession::sessionCompleted);
    press("nextPushButton");
    QCOMPARE(completed.count(), 1);
    QCOMPARE(m_session->setTestIndex(3), nullptr);
    QCOMPARE(m_session->currentIndex(), 2);
}

QTEST_MAIN(TestTestingSession)
#include "tst_testingsession.moc"
