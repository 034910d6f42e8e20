#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using ValueMap = TestContent::ValueMap;

namespace {

QVariantMap fullContent()
{
    return {
        {"id", "content05070000"},
        {"caption", "content_test_06_07_00_00"},
        {"report", "report_test_06_07_00_00"},
        {"type", "text"},
        {"validatortype", "number"},
        {"defaultvalue", "5"},
        {"content", QVariantMap{{"items", QVariantList{QVariantMap{{"value", "200"}, {"text", "radio"}}}}}},
        {"join", "(function(){return Math.max(#a#, #b#);})"},
        {"hidefromtest", "(function(){return true;})"},
        {"jointext", "joined"},
        {"description", "description"},
        {"reportdescription", "reportdescription_content_06_07_00_00"},
        {"joindescription", "join description"},
        {"joinonlyreport", true},
        {"readonly", true},
        {"required", false},
        {"ignorevalidation", true},
        {"validator", "(function(){return ((#content05070000#) >= (#content03030003#));})"},
        {"hidefromreport", true},
        {"note", "checked twice"},
        {"resultjoin", "402"},
        {"unknownkey", "ignored"},
    };
}

// A stored content answered by an operator.
QVariantMap storedAnswer(const QString &type)
{
    return {{"id", "stored"},        {"type", type},          {"resulttext", "12"}, {"resultmultiselect", "300"},
            {"resultboolean", true}, {"note", "stored note"}, {"resultjoin", "4"}};
}

QVariantMap answer(int n)
{
    return {{"type", "text"}, {"resulttext", QStringLiteral("answer %1").arg(n)}};
}

QVariantMap testWith(const QVariantList &contents)
{
    return {{"content", contents}};
}

QVariantMap subgroupOneWith(const QVariantList &tests)
{
    return {{"1", QVariantMap{{"tests", tests}}}};
}

} // namespace

class TestTestContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWritesEveryKey();
    void contentWithoutKeys();
    void serialisedTreeRebuildsTheSameTree();
    void rebuiltContentIsJudgedByItsOwnExpressions();
    void setResults_data();
    void setResults();
    void storedResultsOfAnotherShape_data();
    void storedResultsOfAnotherShape();
    void clearResults();
    void screenSizePreset();
};

void TestTestContent::readsAndWritesEveryKey()
{
    const TestContent content(fullContent());
    QCOMPARE(content.hideFromTest(), QStringLiteral("(function(){return true;})"));
    QCOMPARE(content.validatorIds(), (QStringList{"content05070000", "content03030003"}));
    QVariantMap expected = fullContent();
    expected.remove("hidefromtest");
    expected.remove("unknownkey");
    expected.insert("items", expected.value("content").toMap().value("items"));
    expected.insert("pattern", QString());
    expected.insert("resulttext", "5"); // the default value of a text content
    expected.insert("resultboolean", false);
    expected.insert("resultmultiselect", QString());
    QCOMPARE(content.toVariantMap(), expected);
}

void TestTestContent::contentWithoutKeys()
{
    const TestContent content(QVariantMap{});
    QVERIFY(content.required());
    QVERIFY(content.ownValues().isEmpty());
    const QVariantMap map = content.toVariantMap();
    QCOMPARE(map.value("type"), QVariant(QString()));
    QCOMPARE(map.value("validatortype"), QVariant(QString()));
    QCOMPARE(map.value("content"), QVariant(QVariantMap{{"items", QVariantList{}}}));
    for (const char *unknownType : {"slider", "Text"}) {
        const TestContent unknown({{"type", unknownType}});
        QCOMPARE(unknown.type(), TestContent::kTestContentTypeNone);
        QCOMPARE(unknown.toVariantMap().value("type"), QVariant(QString()));
    }

    // Only text answers take the default value.
    const TestContent textarea({{"id", "x"}, {"type", "textarea"}, {"defaultvalue", "0"}});
    QCOMPARE(textarea.resultText(), QStringLiteral("0"));
    QCOMPARE(textarea.ownValues(), (ValueMap{{"x", "0"}}));
    const TestContent boolean({{"id", "x"}, {"type", "boolean"}, {"defaultvalue", "1"}});
    QVERIFY(boolean.resultText().isEmpty() && boolean.ownValues().isEmpty());
}

void TestTestContent::serialisedTreeRebuildsTheSameTree()
{
    TestsManager manager;
    for (const TestGroup *group : qAsConst(*manager.groups())) {
        const QVariantMap stored = group->toVariantMap();
        const TestGroup rebuilt(stored, group->number());
        QCOMPARE(rebuilt.toVariantMap(), stored);
    }
    const QVariantMap group = manager.groups()->at(6)->toVariantMap();
    QCOMPARE(group.keys(), (QStringList{"report", "required", "selected", "subgroups", "title"}));
    const QVariantMap subgroup = group.value("subgroups").toMap().value("2").toMap();
    QCOMPARE(subgroup.keys(), (QStringList{"hidetitle", "report", "tests", "title"}));
    const QVariantMap test = subgroup.value("tests").toList().first().toMap();
    QCOMPARE(test.keys(), (QStringList{"content", "id", "pattern", "report", "title", "validatable"}));
}

// A stored content is never skipped and keeps the rule it was judged by,
// even where the catalogue has changed since (here an old upper bound).
void TestTestContent::rebuiltContentIsJudgedByItsOwnExpressions()
{
    TestsManager manager;
    TestContent *computed = manager.groups()->at(6)->contentById("content05070000");
    QVERIFY(computed->isHiddenFromTest({}));
    QVariantMap stored = computed->toVariantMap();
    stored.insert("validator", "(function(){return ((#content05070000#) <= (#content03030003#));})");
    TestContent rebuilt(stored);
    QVERIFY(!rebuilt.isHiddenFromTest({}));
    rebuilt.setValidatorValues({{"content05070000", "402"}, {"content03030003", "300"}});
    QVERIFY(!rebuilt.isValid());
    QVERIFY(!manager.groups()->at(6)->contentById("content05010000")->toVariantMap().contains("screensize"));
}

void TestTestContent::setResults_data()
{
    QTest::addColumn<QVariantMap>("source");
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<ValueMap>("ownValues");
    const QVariantMap text{{"id", "own"}, {"type", "text"}};
    QTest::newRow("same type") << text << storedAnswer("text") << true << ValueMap{{"stored", "12"}};
    QTest::newRow("other type") << text << storedAnswer("boolean") << false << ValueMap{};
    QTest::newRow("no stored type") << QVariantMap{} << QVariantMap{{"resulttext", "12"}, {"note", "n"}} << false
                                    << ValueMap{};
    QVariantMap joined = text;
    joined.insert("join", "(function(){return 1;})");
    QTest::newRow("computed content") << joined << storedAnswer("text") << false << ValueMap{};
    QVariantMap answered = text;
    answered.insert("resulttext", "mine");
    QTest::newRow("already answered") << answered << storedAnswer("text") << false << ValueMap{};
    QVariantMap withoutId = storedAnswer("text");
    withoutId.remove("id");
    QTest::newRow("stored without id") << text << withoutId << true << ValueMap{};
    QVariantMap emptyAnswer = storedAnswer("multiselect");
    emptyAnswer.insert("resultmultiselect", "");
    emptyAnswer.insert("resulttext", "");
    QTest::newRow("empty answers not recorded")
        << QVariantMap{{"type", "multiselect"}} << emptyAnswer << true << ValueMap{};
}

void TestTestContent::setResults()
{
    QFETCH(QVariantMap, source);
    QFETCH(QVariantMap, stored);
    QFETCH(bool, taken);
    QFETCH(ValueMap, ownValues);
    TestContent content(source);
    const QString before = content.resultText();
    content.setResults(stored);
    QCOMPARE(content.note() == stored.value("note").toString(), taken);
    QCOMPARE(content.resultText(), taken ? stored.value("resulttext").toString() : before);
    QCOMPARE(content.ownValues(), ownValues);
}

void TestTestContent::storedResultsOfAnotherShape_data()
{
    QTest::addColumn<QVariant>("subgroups");
    QTest::addColumn<int>("answersTaken");
    const QVariantMap both = testWith({answer(0), answer(1)});
    QTest::newRow("same shape") << QVariant(subgroupOneWith({both})) << 2;
    QTest::newRow("surplus tests") << QVariant(subgroupOneWith({both, both})) << 2;
    QTest::newRow("missing tests") << QVariant(subgroupOneWith({})) << 0;
    QTest::newRow("surplus contents") << QVariant(subgroupOneWith({testWith({answer(0), answer(1), answer(2)})})) << 2;
    QTest::newRow("missing contents") << QVariant(subgroupOneWith({testWith({answer(0)})})) << 1;
    QTest::newRow("subgroups a list") << QVariant(QVariantList{subgroupOneWith({both}).value("1")}) << 0;
    QTest::newRow("tests a map") << QVariant(QVariantMap{{"1", QVariantMap{{"tests", both}}}}) << 0;
    QTest::newRow("content a text") << QVariant(subgroupOneWith({QVariantMap{{"content", "answers"}}})) << 0;
    QTest::newRow("unknown subgroup") << QVariant(QVariantMap{{"9", subgroupOneWith({both}).value("1")}}) << 0;
    QTest::newRow("test not a map") << QVariant(subgroupOneWith({5})) << 0;
}

void TestTestContent::storedResultsOfAnotherShape()
{
    QFETCH(QVariant, subgroups);
    QFETCH(int, answersTaken);
    const QVariantMap asked{{"type", "text"}};
    TestGroup group({{"subgroups", subgroupOneWith({testWith({asked, asked})})}}, 1);
    group.setResults({{"subgroups", subgroups}});
    const QList<TestContent *> contents = *group.subgroups()->first()->tests()->first()->content();
    for (int i = 0; i < contents.size(); ++i)
        QCOMPARE(contents.at(i)->resultText(), i < answersTaken ? QStringLiteral("answer %1").arg(i) : QString());
}

void TestTestContent::clearResults()
{
    TestContent content({{"id", "a"}, {"type", "text"}, {"defaultvalue", "0"}, {"validator", "(#a#)"}});
    content.setResultBoolean(true);
    content.setResultMultiselect("200");
    content.setResultJoin("1");
    content.setNote("kept");
    content.setValidatorValues({{"a", "1"}});
    content.clearResults();
    QVERIFY(!content.resultBoolean() && content.resultText().isEmpty());
    QVERIFY(content.resultMultiselect().isEmpty() && content.resultJoin().isEmpty());
    QVERIFY(content.ownValues().isEmpty() && content.validatorValues().isEmpty());
    QCOMPARE(content.note(), QStringLiteral("kept"));
}

void TestTestContent::screenSizePreset()
{
    QCOMPARE(TestContent::diagonalInches({1920, 1080}, 96, 96), QStringLiteral("23"));   // 20 x 11 inches
    QCOMPARE(TestContent::diagonalInches({1000, 1000}, 100, 101), QStringLiteral("13")); // 10 x 9, fractions dropped
    // A screen that reports no physical resolution gets no preset rather than a division by zero.
    QCOMPARE(TestContent::diagonalInches({1920, 1080}, 0, 0), QString());
    QCOMPARE(TestContent::diagonalInches({1920, 1080}, -96, 96), QString());

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QString expected =
        TestContent::diagonalInches(screen->size(), screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY());
    const TestContent content({{"id", "content05010000"}, {"type", "text"}, {"screensize", false}});
    QCOMPARE(content.resultText(), expected);
    QCOMPARE(content.ownValues().value("content05010000"), expected);
}

QTEST_MAIN(TestTestContent)
#include "tst_testcontent.moc"
