#include "configurationmanager.h"
#include "savedsessionsmodel.h"
#include "screenidentity.h"
#include "sessiontesting.h"
#include "support/modalanswers.h"
#include "support/sessiondriver.h"
#include "testcontent.h"
#include "testframe.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "testsmanager.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace SessionTesting;
using SessionDriver::Answers;

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
    void prefillFromStoredSession();
    void screenIdentity_data();
    void screenIdentity();
    void stepsWithoutContentsOrVisibleEarlierStep();
    void frameProgress_data();
    void frameProgress();
    void frameCloseConfirmation_data();
    void frameCloseConfirmation();

private:
    void begin(QList<TestGroup *> *groups);
    QStringList runUntil(const Answers &answers, const QString &stopAt = QString())
    {
        return SessionDriver::runUntil(m_session.get(), answers, stopAt);
    }

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

void TestTestingSession::wholeSessionTwice()
{
    QSignalSpy succeeded(m_session.get(), &TestingSession::sessionSucceeded);
    ModalAnswers::clickButton(translated("ok"));
    begin(m_catalogue->groups());
    const QStringList levels{"0.8", "10",  "20",  "30",  "40",  "50",  "60",  "70",  "80",
                             "90",  "100", "120", "140", "160", "200", "250", "300", "400"};
    QStringList shown =
        runUntil(readings("27", {"250", "240", "245", "230", "260", "235", "240", "238", "242"},
                          {"0,5", "0.52", "0.48", "0.5", "0.55", "0.5", "0.5", "0.45", "0.5"}, levels, "2"));
    QCOMPARE(ModalPrompt::pendingAnswers(), 1);
    for (const char *computed : {"test_05_06_00", "test_06_05_00", "test_06_05_01", "test_06_07_00"})
        QVERIFY2(!shown.contains(computed), computed);
    QCOMPARE(shown.size(), 66);

    // Below 23 inches the TC, ML, MR and BC positions are skipped, forward and back.
    QStringList dimLevels;
    for (int level = 1; level < 18; ++level)
        dimLevels << QString::number(level);
    const Answers dim = readings("21", {"200", "", "190", "", "210", "", "180", "", "195"},
                                 {"0.4", "", "0.6", "", "0.5", "", "0.5", "", "0.5"}, dimLevels << "50", "100");
    QString shownText;
    ModalPrompt::reset();
    ModalAnswers::clickButton(translated("ok"), &shownText);
    begin(m_catalogue->groups());
    shown = runUntil(dim, "test_06_03_00");
    QStringList backward;
    while (m_session->frame()->test()->id() != "test_06_01_02") {
        backward.prepend(m_session->frame()->test()->id());
        QTest::mouseClick(m_session->frame()->inputDialog()->findChild<QPushButton *>("backPushButton"),
                          Qt::LeftButton);
    }
    QCOMPARE(backward, shown.mid(shown.indexOf("test_06_01_02") + 1) << "test_06_03_00");
    shown = shown.mid(0, shown.indexOf("test_06_01_02")) + runUntil(dim);
    QCOMPARE(shown.size(), 58);
    QCOMPARE(shownText, QString("3 errors were encountered."));
    QCOMPARE(succeeded, QList<QVariantList>({{true}, {false}}));

    const QVariantMap record = ConfigurationManager(m_store->fileName()).sessions().value(0).toMap();
    QStringList stored;
    for (const char *key : {"tester", "ntest", "nfailedtestcontents", "monitorselected", "monitorinfo"})
        stored << record.value(key).toString();
    QCOMPARE(stored, QStringList({"Alice", "8", "3", "0", " (Eizo - CX)"}));
    const QVariantMap group6 = record.value("test_session").toMap().value("6").toMap().value("subgroups").toMap();
    QStringList figures;
    for (const QPoint &testAndContent : {QPoint(0, 0), QPoint(0, 1), QPoint(0, 2), QPoint(0, 3), QPoint(1, 0),
                                         QPoint(1, 1), QPoint(10, 0), QPoint(10, 1), QPoint(11, 0)}) {
        const QString subgroup = testAndContent.x() < 10 ? "5" : "7";
        const QVariantList tests = group6.value(subgroup).toMap().value("tests").toList();
        const QVariantList contents = tests.value(testAndContent.x() % 10).toMap().value("content").toList();
        figures << contents.value(testAndContent.y()).toMap().value("resulttext").toString();
    }
    // Darkest and brightest fields, their uniformity 200 * 0.2 / 1.0 and 200 * 30 / 390, the levels and their ratio.
    QCOMPARE(figures, QStringList({"0.6", "0.4", "210", "180", "40", "15.3846", "50", "1", "50"}));
}

void TestTestingSession::prefillFromStoredSession()
{
    m_session->setGroups(m_catalogue->groups());
    for (const char *id : {"content00000000", "content02010000", "content02010001", "content05050000"})
        m_session->contentById(id)->setResultText("old");
    m_session->contentById("content03030003")->setResultMultiselect("300");
    QVariantMap stored;
    for (const TestGroup *group : *m_catalogue->groups())
        stored.insert(QString::number(group->number()), group->toVariantMap());

    TestsManager fresh;
    m_session->setGroups(fresh.groups());
    m_session->contentById("content02010001")->setResultText("given");
    m_session->applyStoredResults(stored);
    QStringList answers;
    for (const char *id : {"content00000000", "content02010000", "content02010001", "content05050000"})
        answers << m_session->contentById(id)->resultText();
    QCOMPARE(answers, QStringList({"", "old", "given", ""}));
    QCOMPARE(m_session->contentById("content03030003")->resultMultiselect(), QString("300"));
}

void TestTestingSession::screenIdentity_data()
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

void TestTestingSession::screenIdentity()
{
    QFETCH(int, monitor);
    QFETCH(QStringList, identity);
    QFETCH(QString, makerAnswer);
    QFETCH(QStringList, answers);
    m_session->setScreenIdentity(
        std::make_unique<FixedIdentity>(ScreenIdentity::Identity{identity[0], identity[1], identity[2], {2560, 1440}}));
    m_session->setGroups(m_catalogue->groups());
    m_session->contentById("content02010000")->setResultText(makerAnswer);
    m_session->setTestIndex(0);
    m_session->start(monitor);
    QStringList shown;
    for (const TestContent *content :
         *qobject_cast<Test *>(m_session->contentById("content02010000")->parent())->content())
        shown << content->resultText();
    QCOMPARE(shown, answers);
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
    const auto press = [this](const char *button) {
        QTest::mouseClick(m_session->frame()->inputDialog()->findChild<QPushButton *>(button), Qt::LeftButton);
        return m_session->frame()->test()->id();
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

void TestTestingSession::frameProgress_data()
{
    QTest::addColumn<uint>("total");
    QTest::addColumn<uint>("step");
    QTest::addColumn<QString>("text");
    QTest::newRow("quarter") << 4u << 1u << "25%";
    QTest::newRow("truncated, not rounded") << 8u << 3u << "37%";
    QTest::newRow("last step") << 8u << 8u << "100%";
    QTest::newRow("no total") << 0u << 3u << "0%";
}

void TestTestingSession::frameProgress()
{
    QFETCH(uint, total);
    QFETCH(uint, step);
    QFETCH(QString, text);
    TestFrame *frame = m_session->frame();
    frame->setCurrentStep(5);
    frame->setTotalSteps(total);
    QCOMPARE(frame->currentStep(), 0u);
    frame->setCurrentStep(step);
    QCOMPARE(frame->inputDialog()->findChild<QLabel *>("progressLabel")->text(), text);
}

void TestTestingSession::frameCloseConfirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no keeps the session") << translated("no") << false;
    QTest::newRow("yes closes dialog and frame") << translated("yes") << true;
}

void TestTestingSession::frameCloseConfirmation()
{
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    m_session->setGroups(m_catalogue->groups());
    m_session->setTestIndex(0);
    TestFrame *frame = m_session->frame();
    const QRect screen(1920, 0, 1920, 1080);
    frame->setScreenRect(screen);
    frame->showFullScreen();
    frame->setGeometry(screen);
    TestInputDialog *dialog = frame->inputDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->geometry().topLeft(), QPoint(2630, 50)); // centred: 1920 + 960 - 250
    QCOMPARE(dialog->width(), 500);
    dialog->move(2000, 300);
    frame->show();
    QCOMPARE(dialog->pos(), QPoint(2000, 300));
    QString shown;
    ModalAnswers::clickButton(answer, &shown);
    QTest::mouseClick(dialog->findChild<QPushButton *>("closePushButton"), Qt::LeftButton);
    QCOMPARE(shown, translated("testInputDialog_close"));
    QCOMPARE(dialog->isVisible(), !closed);
    QCOMPARE(frame->isVisible(), !closed);
}

QTEST_MAIN(TestTestingSession)
#include "tst_testingsession.moc"
