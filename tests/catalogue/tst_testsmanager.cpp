#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using Sizes = QVector<int>;
using ValueMap = TestContent::ValueMap;

namespace {

// Catalogue text with single quotes for readability.
QString document(QString json)
{
    return json.replace(QLatin1Char('\''), QLatin1Char('"'));
}

// A stored content answered by an operator.
QVariantMap storedAnswer(const QString &type)
{
    return {{"id", "stored"}, {"type", type}, {"resulttext", "12"}, {"resultmultiselect", "300"}, {"note", "stored"}};
}

// Tests given as their content lists, or as anything else a stored test might be.
QVariantMap subgroupOneWith(std::initializer_list<QVariant> contentLists)
{
    QVariantList tests;
    for (const QVariant &contents : contentLists)
        tests.append(contents.type() == QVariant::List ? QVariant(QVariantMap{{"content", contents}}) : contents);
    return {{"1", QVariantMap{{"tests", tests}}}};
}

// A catalogue of one group with one subgroup holding the given tests.
QString oneSubgroup(const char *tests)
{
    return document(QStringLiteral("{'groups':{'1':{'subgroups':{'1':{'tests':%1}}}}}").arg(QLatin1String(tests)));
}

} // namespace

// Loading the catalogue, the tree of objects, their stored form and the answers taken back from it.
class TestTestsManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loading_data();
    void loading();
    void unreadableFileIsReported();
    void selection();
    void titlesAndNumbers();
    void readsAndWritesEveryKey();
    void serialisedTreeRebuildsTheSameTree();
    void setResults_data();
    void setResults();
    void storedResultsOfAnotherShape_data();
    void storedResultsOfAnotherShape();
    void screenSizePreset();
};

void TestTestsManager::loading_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<Sizes>("sizes");        // groups, subgroups, tests, contents
    QTest::addColumn<QStringList>("titles"); // of the groups, or of the first group's subgroups, in order
    QTest::newRow("groups in numeric order")
        << document("{'groups':{'2':{'title':'2'},'10':{'title':'10'},'9':{'title':'9'}}}") << Sizes{3, 0, 0, 0}
        << QStringList{"2", "9", "10"};
    QTest::newRow("group keys that are no numbers count as 0, the later replaces")
        << document("{'groups':{'abc':{'title':'a'},'-1':{'title':'n'},'3':{}}}") << Sizes{2, 0, 0, 0}
        << QStringList{"a", ""};
    QTest::newRow("subgroups in numeric order")
        << document("{'groups':{'1':{'subgroups':{'12':{'title':'b'},'3':{'title':'a'},'x':{'title':'zero'},"
                    "'03':{'title':'lost'}}}}}")
        << Sizes{1, 3, 0, 0} << QStringList{"zero", "a", "b"};
    QTest::newRow("blank runs simplified") << document("{\n 'groups': {\n\t'1': {'title': 'two  blanks\\t\\ttab'}}}")
                                           << Sizes{1, 0, 0, 0} << QStringList{"two blanks\t\ttab"};
    QTest::newRow("well formed") << oneSubgroup("[{'content':[{}]}]") << Sizes{1, 1, 1, 1} << QStringList{""};
    QTest::newRow("not JSON") << "this is not a catalogue" << Sizes{0, 0, 0, 0} << QStringList{};
    QTest::newRow("groups an array") << document("{'groups':[{'title':'a'}]}") << Sizes{0, 0, 0, 0} << QStringList{};
    QTest::newRow("subgroups an array") << document("{'groups':{'1':{'subgroups':[{'tests':[{}]}]}}}")
                                        << Sizes{1, 0, 0, 0} << QStringList{""};
    QTest::newRow("tests an object") << oneSubgroup("{'0':{}}") << Sizes{1, 1, 0, 0} << QStringList{""};
    QTest::newRow("content a text") << oneSubgroup("[{'content':'a'}]") << Sizes{1, 1, 1, 0} << QStringList{""};
    QTest::newRow("test not an object") << oneSubgroup("[5]") << Sizes{1, 1, 1, 0} << QStringList{""};
}

void TestTestsManager::loading()
{
    QFETCH(QString, catalogue);
    QFETCH(Sizes, sizes);
    QFETCH(QStringList, titles);
    TestsManager manager(catalogue);
    const QList<TestGroup *> groups = *manager.groups();
    Sizes found{groups.size(), 0, AnsweredCatalogue::tests(groups).size(), AnsweredCatalogue::contents(groups).size()};
    QStringList foundTitles;
    for (const TestGroup *group : groups) {
        found[1] += group->subgroups()->size();
        foundTitles.append(group->title());
    }
    if (sizes.at(1) > 1) {
        foundTitles.clear();
        for (const TestSubgroup *subgroup : qAsConst(*groups.first()->subgroups()))
            foundTitles.append(subgroup->title());
    }
    QCOMPARE(found, sizes);
    QCOMPARE(foundTitles, titles);
    QCOMPARE(manager.selectedGroups()->size(), 0);
}

void TestTestsManager::unreadableFileIsReported()
{
    const QString path = QStringLiteral("/nonexistent/tests.json");
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable("[stringContentFileAtPath] Errore durante la lettura del file: " + path));
    QVERIFY(TestsManager::readCatalogueText(path).isEmpty());
}

void TestTestsManager::selection()
{
    TestsManager manager(document("{'groups':{'0':{'required':true,'selected':false},'1':{'selected':true},'2':{}}}"));
    const QList<TestGroup *> groups = *manager.groups();
    QList<TestGroup *> *selected = manager.selectedGroups();
    QCOMPARE(*selected, (QList<TestGroup *>{groups.at(0), groups.at(1)}));
    // The view that tried to untick a required group is told that it stays ticked.
    QSignalSpy spy(groups.at(0), &TestGroup::selectedChanged);
    groups.at(0)->setSelected(false);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toBool(), true);
    groups.at(2)->setSelected(true);
    QCOMPARE(manager.selectedGroups(), selected);
    QCOMPARE(*selected, groups);
}

void TestTestsManager::titlesAndNumbers()
{
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    // title_test_06_02_01 and title_subgroup_06_03 translate to empty texts.
    TestsManager manager(
        document("{'groups':{'2':{'title':'title_group_02','subgroups':{"
                 "'1':{'title':'title_subgroup_06_01','tests':[{'title':'title_test_06_02_00'}]},"
                 "'2':{'title':'title_subgroup_02_03','tests':[{'title':'title_test_06_02_01'},{}]},"
                 "'3':{'title':'title_subgroup_06_03','tests':[{'title':'title_test_06_02_01'}]}}}}}"));
    QStringList titles;
    for (const Test *test : AnsweredCatalogue::tests(*manager.groups()))
        titles << test->displayTitle() << QString::number(test->group() * 10 + test->subgroup());
    QCOMPARE(titles, (QStringList{"Luminance Tests", "21", "Installation Instructions", "22",
                                  "Installation Instructions", "22", "Device info", "23"}));
    QCOMPARE(Test(QVariantMap{{"id", "c"}}).group(), 0);
}

void TestTestsManager::readsAndWritesEveryKey()
{
    QVariantMap source =
        QJsonDocument::fromJson(
            document("{'id':'a','caption':'c','report':'r','type':'text','validatortype':'number','defaultvalue':'5',"
                     "'content':{'items':[{'value':'200','text':'radio'}]},'join':'(#b# + #b# + #c)','jointext':'j',"
                     "'description':'d','reportdescription':'rd','joindescription':'jd','joinonlyreport':true,"
                     "'readonly':true,'required':false,'ignorevalidation':true,'validator':'(#a# >= #d#)',"
                     "'hidefromreport':true,'note':'n','resultjoin':'4'}")
                .toUtf8())
            .object()
            .toVariantMap();
    const QVariant items = source.value("content").toMap().value("items");
    QVariantMap expected = source;
    expected.insert(
        {{"items", items}, {"pattern", ""}, {"resulttext", "5"}, {"resultboolean", false}, {"resultmultiselect", ""}});
    source.insert({{"hidefromtest", "(function(){return true;})"}, {"unknownkey", "ignored"}});
    const TestContent content(source);
    QCOMPARE(content.toVariantMap(), expected);
    QCOMPARE(content.hideFromTest(), source.value("hidefromtest").toString());
    // The same id twice is listed twice; an unpaired "#" names nothing.
    QCOMPARE(content.joinIds() + content.validatorIds(), (QStringList{"b", "b", "a", "d"}));
    QCOMPARE(content.ownValues(), (ValueMap{{"a", "5"}}));

    const QVariantMap empty = TestContent({{"type", "Text"}}).toVariantMap();
    QCOMPARE(empty.value("type"), QVariant(QString()));
    QCOMPARE(empty.value("required"), QVariant(true));
    QCOMPARE(empty.value("content"), QVariant(QVariantMap{{"items", QVariantList{}}}));
    // Only text answers take the default value.
    QVERIFY(TestContent({{"id", "x"}, {"type", "boolean"}, {"defaultvalue", "1"}}).ownValues().isEmpty());

    TestContent cleared(source);
    cleared.setResultBoolean(true);
    cleared.setResultMultiselect("200");
    cleared.setValidatorValues({{"a", "1"}});
    cleared.clearResults();
    expected.insert({{"resulttext", ""}, {"resultjoin", ""}});
    QCOMPARE(cleared.toVariantMap(), expected);
    QVERIFY(cleared.ownValues().isEmpty() && cleared.validatorValues().isEmpty());
}

// A stored content is never skipped and gets no screen-size preset.
void TestTestsManager::serialisedTreeRebuildsTheSameTree()
{
    TestsManager manager;
    for (const TestGroup *group : qAsConst(*manager.groups())) {
        const QVariantMap stored = group->toVariantMap();
        QCOMPARE(TestGroup(stored, group->number()).toVariantMap(), stored);
    }
    const QVariantMap group = manager.groups()->at(6)->toVariantMap();
    const QVariantMap subgroup = group.value("subgroups").toMap().value("1").toMap();
    const QVariantMap test = subgroup.value("tests").toList().first().toMap();
    QCOMPARE(group.keys() + subgroup.keys() + test.keys(),
             (QStringList{"report", "required", "selected", "subgroups", "title", "hidetitle", "report", "tests",
                          "title", "content", "id", "pattern", "report", "title", "validatable"}));
    const TestContent *computed = manager.groups()->at(6)->contentById("content05070000");
    QVERIFY(computed->isHiddenFromTest({}));
    QVERIFY(!TestContent(computed->toVariantMap()).isHiddenFromTest({}));
    QVERIFY(!manager.groups()->at(6)->contentById("content05010000")->toVariantMap().contains("screensize"));
}

void TestTestsManager::setResults_data()
{
    QTest::addColumn<QVariantMap>("source");
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<ValueMap>("ownValues");
    const QVariantMap text{{"id", "own"}, {"type", "text"}};
    QTest::newRow("same type") << text << storedAnswer("text") << true << ValueMap{{"stored", "12"}};
    QTest::newRow("other type") << text << storedAnswer("boolean") << false << ValueMap{};
    QTest::newRow("no stored type") << QVariantMap{} << QVariantMap{{"resulttext", "12"}, {"note", "stored"}} << false
                                    << ValueMap{};
    QTest::newRow("computed content") << QVariantMap{{"type", "text"}, {"join", "(1)"}} << storedAnswer("text") << false
                                      << ValueMap{};
    QTest::newRow("already answered") << QVariantMap{{"type", "text"}, {"resulttext", "mine"}} << storedAnswer("text")
                                      << false << ValueMap{};
    QVariantMap withoutId = storedAnswer("text");
    withoutId.remove("id");
    QTest::newRow("stored without id") << text << withoutId << true << ValueMap{};
    QVariantMap emptyAnswer = storedAnswer("multiselect");
    emptyAnswer.insert({{"resultmultiselect", ""}, {"resulttext", ""}});
    QTest::newRow("empty answers not recorded")
        << QVariantMap{{"type", "multiselect"}} << emptyAnswer << true << ValueMap{};
}

void TestTestsManager::setResults()
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

void TestTestsManager::storedResultsOfAnotherShape_data()
{
    QTest::addColumn<QVariant>("subgroups");
    QTest::addColumn<QStringList>("taken");
    const QVariantMap zero = storedAnswer("text");
    QVariantMap one = zero;
    one.insert("resulttext", "13");
    const QVariantList both{zero, one};
    QTest::newRow("same shape") << QVariant(subgroupOneWith({both})) << QStringList{"12", "13"};
    QTest::newRow("surplus tests and contents")
        << QVariant(subgroupOneWith({QVariantList{zero, one, one}, both})) << QStringList{"12", "13"};
    QTest::newRow("missing contents") << QVariant(subgroupOneWith({QVariantList{zero}})) << QStringList{"12", ""};
    QTest::newRow("subgroups a list") << QVariant(QVariantList{subgroupOneWith({both}).value("1")})
                                      << QStringList{"", ""};
    QTest::newRow("content a text") << QVariant(subgroupOneWith({QVariantMap{{"content", "answers"}}}))
                                    << QStringList{"", ""};
    QTest::newRow("test not a map") << QVariant(subgroupOneWith({5})) << QStringList{"", ""};
}

void TestTestsManager::storedResultsOfAnotherShape()
{
    QFETCH(QVariant, subgroups);
    QFETCH(QStringList, taken);
    const QVariantMap asked{{"type", "text"}};
    TestGroup group({{"subgroups", subgroupOneWith({QVariantList{asked, asked}})}}, 1);
    group.setResults({{"subgroups", subgroups}});
    QStringList answers;
    for (const TestContent *content : AnsweredCatalogue::contents({&group}))
        answers.append(content->resultText());
    QCOMPARE(answers, taken);
}

void TestTestsManager::screenSizePreset()
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
    QCOMPARE(content.ownValues(), (ValueMap{{"content05010000", expected}}));
}

QTEST_MAIN(TestTestsManager)
#include "tst_testsmanager.moc"
