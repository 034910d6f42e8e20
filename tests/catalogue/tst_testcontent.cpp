#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using ValueMap = TestContent::ValueMap;

namespace {

const QStringList ContentKeys = {"id",
                                 "caption",
                                 "type",
                                 "report",
                                 "reportdescription",
                                 "pattern",
                                 "join",
                                 "jointext",
                                 "joindescription",
                                 "description",
                                 "validatortype",
                                 "hidefromreport",
                                 "content",
                                 "items",
                                 "note",
                                 "resultboolean",
                                 "resultmultiselect",
                                 "resulttext",
                                 "resultjoin",
                                 "joinonlyreport",
                                 "readonly",
                                 "defaultvalue",
                                 "required",
                                 "ignorevalidation",
                                 "validator"};

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

} // namespace

class TestTestContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void readsEveryKey();
    void typeNames_data();
    void typeNames();
    void itemsWithoutTextsGetEmptyTexts();
    void defaultValue_data();
    void defaultValue();
    void settersSignalChanges();
    void serialisesEveryKey();
    void serialisesContentWithoutItems();
    void serialisedTreeRebuildsTheSameTree();
    void rebuiltContentIsNeverHidden();
    void storedContentIsJudgedByItsOwnExpressions();
    void groupTestAndSubgroupKeys();
    void setResults_data();
    void setResults();
    void setResultsIgnoresOtherShapes_data();
    void setResultsIgnoresOtherShapes();
    void clearResults();
    void diagonal_data();
    void diagonal();
    void screenSizePresetNeedsOnlyTheKey();
};

void TestTestContent::defaults()
{
    const TestContent content(QVariantMap{});
    QCOMPARE(content.type(), TestContent::kTestContentTypeNone);
    QCOMPARE(content.validatorType(), TestContent::kValidatorTypeNone);
    QVERIFY(content.required());
    QVERIFY(!content.readOnly() && !content.ignoreValidation() && !content.hideFromReport() &&
            !content.resultBoolean());
    QVERIFY(content.id().isEmpty() && content.resultText().isEmpty() && content.hideFromTest().isEmpty());
    QVERIFY(content.items()->isEmpty());
    QVERIFY(content.ownValues().isEmpty());
}

void TestTestContent::readsEveryKey()
{
    const TestContent content(fullContent());
    QCOMPARE(content.id(), QStringLiteral("content05070000"));
    QCOMPARE(content.caption(), QStringLiteral("content_test_06_07_00_00"));
    QCOMPARE(content.report(), QStringLiteral("report_test_06_07_00_00"));
    QCOMPARE(content.type(), TestContent::kTestContentTypeText);
    QCOMPARE(content.validatorType(), TestContent::kValidatorTypeNumber);
    QCOMPARE(content.defaultValue(), QStringLiteral("5"));
    QCOMPARE(content.resultText(), QStringLiteral("5"));
    QCOMPARE(content.items()->size(), 1);
    QCOMPARE(content.joinIds(), (QStringList{"a", "b"}));
    QCOMPARE(content.validatorIds(), (QStringList{"content05070000", "content03030003"}));
    QCOMPARE(content.hideFromTest(), QStringLiteral("(function(){return true;})"));
    QCOMPARE(content.joinText(), QStringLiteral("joined"));
    QCOMPARE(content.description(), QStringLiteral("description"));
    QCOMPARE(content.reportDescription(), QStringLiteral("reportdescription_content_06_07_00_00"));
    QCOMPARE(content.joinDescription(), QStringLiteral("join description"));
    QVERIFY(content.joinOnlyReport());
    QVERIFY(content.readOnly());
    QVERIFY(!content.required());
    QVERIFY(content.ignoreValidation());
    QVERIFY(content.hideFromReport());
    QCOMPARE(content.note(), QStringLiteral("checked twice"));
    QCOMPARE(content.resultJoin(), QStringLiteral("402"));
    QVERIFY(content.pattern().isEmpty());
    QCOMPARE(content.property("validatorType").value<TestContent::tValidatorType>(), TestContent::kValidatorTypeNumber);
}

void TestTestContent::typeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("text") << "text" << int(TestContent::kTestContentTypeText);
    QTest::newRow("textarea") << "textarea" << int(TestContent::kTestContentTypeTextarea);
    QTest::newRow("multiselect") << "multiselect" << int(TestContent::kTestContentTypeMultiselect);
    QTest::newRow("boolean") << "boolean" << int(TestContent::kTestContentTypeBoolean);
    QTest::newRow("info") << "info" << int(TestContent::kTestContentTypeInfo);
    QTest::newRow("unknown type") << "slider" << int(TestContent::kTestContentTypeNone);
    QTest::newRow("other case") << "Text" << int(TestContent::kTestContentTypeNone);
    QTest::newRow("empty") << "" << int(TestContent::kTestContentTypeNone);
}

void TestTestContent::typeNames()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    const TestContent content({{"type", name}});
    QCOMPARE(int(content.type()), type);
    const QString written = content.toVariantMap().value("type").toString();
    QCOMPARE(written, type == TestContent::kTestContentTypeNone ? QString() : name);
    const QMetaEnum metaEnum = QMetaEnum::fromType<TestContent::tTestContentType>();
    QVERIFY(metaEnum.valueToKey(type));
}

void TestTestContent::itemsWithoutTextsGetEmptyTexts()
{
    const TestContent content(
        {{"type", "multiselect"}, {"content", QVariantMap{{"items", QVariantList{QVariantMap{}, 7}}}}});
    QCOMPARE(content.items()->size(), 2);
    QCOMPARE(*content.items()->at(0), (TestContent::Item{{"value", ""}, {"text", ""}}));
}

void TestTestContent::defaultValue_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<QString>("resultText");
    QTest::addColumn<ValueMap>("ownValues");
    QTest::newRow("text") << "text"
                          << "0"
                          << "0" << ValueMap{{"x", "0"}};
    QTest::newRow("textarea") << "textarea"
                              << "none"
                              << "none" << ValueMap{{"x", "none"}};
    QTest::newRow("boolean ignores it") << "boolean"
                                        << "1"
                                        << "" << ValueMap{};
    QTest::newRow("no type ignores it") << ""
                                        << "1"
                                        << "" << ValueMap{};
    QTest::newRow("empty default") << "text"
                                   << ""
                                   << "" << ValueMap{};
}

void TestTestContent::defaultValue()
{
    QFETCH(QString, type);
    QFETCH(QString, defaultValue);
    QFETCH(QString, resultText);
    QFETCH(ValueMap, ownValues);
    const TestContent content({{"id", "x"}, {"type", type}, {"defaultvalue", defaultValue}});
    QCOMPARE(content.resultText(), resultText);
    QCOMPARE(content.ownValues(), ownValues);
}

void TestTestContent::settersSignalChanges()
{
    TestContent content(QVariantMap{});
    QSignalSpy text(&content, &TestContent::resultTextChanged);
    QSignalSpy join(&content, &TestContent::joinChanged);
    QSignalSpy joinIds(&content, &TestContent::joinIdsChanged);
    content.setResultText("4");
    content.setResultText("4");
    content.setJoin("(function(){return #a#;})");
    QCOMPARE(text.size(), 1);
    QCOMPARE(text.first().first().toString(), QStringLiteral("4"));
    QCOMPARE(join.size(), 1);
    QCOMPARE(joinIds.first().first().toStringList(), QStringList{"a"});
    QVERIFY(content.setProperty("type", QVariant::fromValue(TestContent::kTestContentTypeBoolean)));
    QCOMPARE(content.type(), TestContent::kTestContentTypeBoolean);
}

void TestTestContent::serialisesEveryKey()
{
    const QVariantMap map = TestContent(fullContent()).toVariantMap();
    QStringList keys = map.keys();
    QStringList expected = ContentKeys;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(keys, expected);
    QCOMPARE(map.value("type").toString(), QStringLiteral("text"));
    QCOMPARE(map.value("validatortype").toString(), QStringLiteral("number"));
    QCOMPARE(map.value("resulttext").toString(), QStringLiteral("5"));
    QCOMPARE(map.value("required").toBool(), false);
    QCOMPARE(map.value("hidefromreport").toBool(), true);
    const QVariantList items{QVariantMap{{"value", "200"}, {"text", "radio"}}};
    QCOMPARE(map.value("items").toList(), items);
    QCOMPARE(map.value("content").toMap(), (QVariantMap{{"items", items}}));
}

void TestTestContent::serialisesContentWithoutItems()
{
    const QVariantMap map = TestContent({{"type", "text"}}).toVariantMap();
    QCOMPARE(map.value("content"), QVariant(QVariantMap{{"items", QVariantList{}}}));
    QCOMPARE(map.value("items"), QVariant(QVariantList{}));
    QCOMPARE(map.value("validatortype"), QVariant(QString()));
}

void TestTestContent::serialisedTreeRebuildsTheSameTree()
{
    TestsManager manager;
    for (const TestGroup *group : qAsConst(*manager.groups())) {
        const QVariantMap stored = group->toVariantMap();
        const TestGroup rebuilt(stored, group->number());
        QCOMPARE(rebuilt.toVariantMap(), stored);
    }
}

void TestTestContent::rebuiltContentIsNeverHidden()
{
    TestsManager manager;
    const TestContent *computed = manager.groups()->at(6)->contentById("content05050000");
    const TestContent rebuilt(computed->toVariantMap());
    QVERIFY(computed->isHiddenFromTest({}));
    QVERIFY(!rebuilt.isHiddenFromTest({}));
    QVERIFY(!computed->toVariantMap().contains("hidefromtest"));
    QVERIFY(!manager.groups()->at(6)->contentById("content05010000")->toVariantMap().contains("screensize"));
}

void TestTestContent::storedContentIsJudgedByItsOwnExpressions()
{
    // An older session stored the maximum-luminance rule as an upper bound.
    QVariantMap stored = TestContent(fullContent()).toVariantMap();
    stored.insert("ignorevalidation", false);
    stored.insert("validator", "(function(){return ((#content05070000#) <= (#content03030003#));})");
    TestContent rebuilt(stored);
    rebuilt.setValidatorValues({{"content05070000", "402"}, {"content03030003", "300"}});
    QVERIFY(!rebuilt.isValid());
}

void TestTestContent::groupTestAndSubgroupKeys()
{
    TestsManager manager;
    const TestGroup *group = manager.groups()->at(6);
    const QVariantMap groupMap = group->toVariantMap();
    QCOMPARE(groupMap.keys(), (QStringList{"report", "required", "selected", "subgroups", "title"}));
    QCOMPARE(groupMap.value("subgroups").toMap().keys(), (QStringList{"1", "2", "3", "5", "6", "7"}));
    const QVariantMap subgroupMap = groupMap.value("subgroups").toMap().value("2").toMap();
    QCOMPARE(subgroupMap.keys(), (QStringList{"hidetitle", "report", "tests", "title"}));
    QCOMPARE(subgroupMap.value("hidetitle").toBool(), true);
    QCOMPARE(subgroupMap.value("tests").toList().size(), 18);
    const QVariantMap testMap = subgroupMap.value("tests").toList().first().toMap();
    QCOMPARE(testMap.keys(), (QStringList{"content", "id", "pattern", "report", "title", "validatable"}));
    QCOMPARE(testMap.value("pattern").toString(), QStringLiteral("kTestPatternLuminanceLightTL"));
    QCOMPARE(testMap.value("content").toList().size(), 1);
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
    QTest::newRow("both without type") << QVariantMap{} << storedAnswer("") << true << ValueMap{{"stored", "12"}};
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

void TestTestContent::setResultsIgnoresOtherShapes_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("surplus tests") << "surplus tests";
    QTest::newRow("missing tests") << "missing tests";
    QTest::newRow("surplus contents") << "surplus contents";
    QTest::newRow("missing contents") << "missing contents";
    QTest::newRow("subgroups a list") << "subgroups a list";
    QTest::newRow("tests a map") << "tests a map";
    QTest::newRow("content a text") << "content a text";
    QTest::newRow("unknown subgroup") << "unknown subgroup";
    QTest::newRow("test not a map") << "test not a map";
}

void TestTestContent::setResultsIgnoresOtherShapes()
{
    QFETCH(QString, change);
    TestsManager source;
    TestGroup *sourceGroup = source.groups()->at(1);
    for (TestContent *content : qAsConst(*sourceGroup->subgroups()->first()->tests()->first()->content()))
        content->setResultText(content->caption() + " answer");
    QVariantMap stored = sourceGroup->toVariantMap();
    QVariantMap subgroups = stored.value("subgroups").toMap();
    QVariantMap subgroup = subgroups.value("1").toMap();
    QVariantList tests = subgroup.value("tests").toList();
    QVariantMap test = tests.first().toMap();
    QVariantList contents = test.value("content").toList();
    int expectedAnswers = 5;
    if (change == "surplus tests") {
        tests.append(tests.first());
    } else if (change == "missing tests") {
        tests.clear();
        expectedAnswers = 0;
    } else if (change == "surplus contents") {
        contents.append(contents.first());
    } else if (change == "missing contents") {
        contents = contents.mid(0, 2);
        expectedAnswers = 2;
    } else if (change == "subgroups a list") {
        stored.insert("subgroups", QVariantList{subgroup});
        expectedAnswers = 0;
    } else if (change == "tests a map") {
        subgroup.insert("tests", test);
        expectedAnswers = 0;
    } else if (change == "content a text") {
        contents.clear();
        test.insert("content", "answers");
        expectedAnswers = 0;
    } else if (change == "unknown subgroup") {
        subgroups.insert("9", subgroups.take("1"));
        expectedAnswers = 0;
    } else if (change == "test not a map") {
        tests.first() = 5;
        expectedAnswers = 0;
    }
    if (!contents.isEmpty())
        test.insert("content", contents);
    if (!tests.isEmpty() && tests.first().type() == QVariant::Map)
        tests.first() = test;
    if (subgroup.value("tests").type() != QVariant::Map)
        subgroup.insert("tests", tests);
    if (!subgroups.contains("9"))
        subgroups.insert("1", subgroup);
    if (stored.value("subgroups").type() == QVariant::Map)
        stored.insert("subgroups", subgroups);

    TestsManager target;
    TestGroup *group = target.groups()->at(1);
    group->setResults(stored);
    int answers = 0;
    for (const TestContent *content : qAsConst(*group->subgroups()->first()->tests()->first()->content())) {
        if (!content->resultText().isEmpty()) {
            QCOMPARE(content->resultText(), content->caption() + " answer");
            ++answers;
        }
    }
    QCOMPARE(answers, expectedAnswers);
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
    QVERIFY(!content.resultBoolean());
    QVERIFY(content.resultText().isEmpty() && content.resultMultiselect().isEmpty() && content.resultJoin().isEmpty());
    QVERIFY(content.ownValues().isEmpty() && content.validatorValues().isEmpty());
    QCOMPARE(content.note(), QStringLiteral("kept"));
}

void TestTestContent::diagonal_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("dpiX");
    QTest::addColumn<qreal>("dpiY");
    QTest::addColumn<QString>("inches");
    QTest::newRow("full HD at 96 dpi") << QSize(1920, 1080) << 96.0 << 96.0 << "23";             // 20 x 11 inches
    QTest::newRow("27 inch QHD") << QSize(2560, 1440) << 109.0 << 109.0 << "26";                 // 23 x 13 inches
    QTest::newRow("fraction of an inch dropped") << QSize(1000, 1000) << 100.0 << 101.0 << "13"; // 10 x 9
    QTest::newRow("no physical resolution") << QSize(1920, 1080) << 0.0 << 0.0 << "";
    QTest::newRow("no vertical resolution") << QSize(1920, 1080) << 96.0 << 0.0 << "";
    QTest::newRow("negative resolution") << QSize(1920, 1080) << -96.0 << 96.0 << "";
    QTest::newRow("no pixels") << QSize(0, 0) << 96.0 << 96.0 << "";
}

void TestTestContent::diagonal()
{
    QFETCH(QSize, pixels);
    QFETCH(qreal, dpiX);
    QFETCH(qreal, dpiY);
    QFETCH(QString, inches);
    QCOMPARE(TestContent::diagonalInches(pixels, dpiX, dpiY), inches);
}

void TestTestContent::screenSizePresetNeedsOnlyTheKey()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QString expected =
        TestContent::diagonalInches(screen->size(), screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY());
    const TestContent content({{"id", "content05010000"}, {"type", "text"}, {"screensize", false}});
    QCOMPARE(content.resultText(), expected);
    QCOMPARE(content.ownValues().value("content05010000"), expected);
}

QTEST_MAIN(TestTestContent)
#include "tst_testcontent.moc"
