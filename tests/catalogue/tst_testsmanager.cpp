#include "defaultdictionary.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Catalogue text with single quotes for readability.
QString document(const char *json)
{
    return QString::fromUtf8(json).replace(QLatin1Char('\''), QLatin1Char('"'));
}

QList<unsigned> groupNumbers(const TestsManager &manager)
{
    QList<unsigned> numbers;
    for (const TestGroup *group : qAsConst(*manager.groups()))
        numbers.append(group->number());
    return numbers;
}

int testCount(const TestsManager &manager)
{
    int count = 0;
    for (const TestGroup *group : qAsConst(*manager.groups())) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            count += subgroup->tests()->size();
    }
    return count;
}

} // namespace

class TestTestsManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void groupsAreOrderedByNumber_data();
    void groupsAreOrderedByNumber();
    void subgroupsAreOrderedByNumber();
    void badDocumentGivesEmptyCatalogue_data();
    void badDocumentGivesEmptyCatalogue();
    void wronglyTypedLevelIsEmpty_data();
    void wronglyTypedLevelIsEmpty();
    void whiteSpaceRunsAreSimplified();
    void testsWithTheSameIdAreBothLoaded();
    void unreadableFileIsReported();
    void shippedCatalogueIsEmbedded();
    void requiredGroupStaysSelected();
    void selectedGroupsReusesItsList();
    void testKnowsItsGroupAndSubgroup();
    void displayTitleFallsBack_data();
    void displayTitleFallsBack();
    void contentByIdFindsFirstMatch();
};

void TestTestsManager::initTestCase()
{
    TR::Translator::instance()->setModel(TR::defaultDictionary());
}

void TestTestsManager::groupsAreOrderedByNumber_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QList<unsigned>>("numbers");
    QTest::addColumn<QString>("titleOfFirst");
    QTest::newRow("numeric not text order")
        << document("{'groups':{'2':{},'10':{},'9':{}}}") << QList<unsigned>{2, 9, 10} << QString();
    QTest::newRow("key that is no number counts as 0")
        << document("{'groups':{'abc':{'title':'a'},'3':{}}}") << QList<unsigned>{0, 3} << "a";
    QTest::newRow("later key with the same number replaces")
        << document("{'groups':{'01':{'title':'first'},'1':{'title':'second'}}}") << QList<unsigned>{1} << "second";
    QTest::newRow("negative key") << document("{'groups':{'-1':{'title':'n'}}}") << QList<unsigned>{0} << "n";
}

void TestTestsManager::groupsAreOrderedByNumber()
{
    QFETCH(QString, catalogue);
    QFETCH(QList<unsigned>, numbers);
    QFETCH(QString, titleOfFirst);
    TestsManager manager(catalogue);
    QCOMPARE(groupNumbers(manager), numbers);
    QCOMPARE(manager.groups()->first()->title(), titleOfFirst);
}

void TestTestsManager::subgroupsAreOrderedByNumber()
{
    TestsManager manager(document("{'groups':{'1':{'subgroups':{'12':{'title':'b'},'3':{'title':'a'},"
                                  "'x':{'title':'zero'},'03':{'title':'lost'}}}}}"));
    const auto *subgroups = manager.groups()->first()->subgroups();
    QCOMPARE(subgroups->keys(), (QList<unsigned>{0, 3, 12}));
    QCOMPARE(subgroups->value(3)->title(), QStringLiteral("a"));
    QCOMPARE(subgroups->value(12)->number(), 12);
    QCOMPARE(subgroups->value(12)->groupNumber(), 1);
}

void TestTestsManager::badDocumentGivesEmptyCatalogue_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::newRow("not JSON") << "this is not a catalogue";
    QTest::newRow("truncated JSON") << document("{'groups':{'0':{'title':'a'}");
    QTest::newRow("empty") << QString();
    QTest::newRow("array root") << document("[{'groups':{}}]");
    QTest::newRow("no groups") << document("{'tests':[]}");
    QTest::newRow("groups an array") << document("{'groups':[{'title':'a'}]}");
    QTest::newRow("groups a text") << document("{'groups':'0'}");
    QTest::newRow("groups a number") << document("{'groups':7}");
}

void TestTestsManager::badDocumentGivesEmptyCatalogue()
{
    QFETCH(QString, catalogue);
    TestsManager manager(catalogue);
    QVERIFY(manager.groups()->isEmpty());
    QVERIFY(manager.selectedGroups()->isEmpty());
}

void TestTestsManager::wronglyTypedLevelIsEmpty_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<int>("subgroups");
    QTest::addColumn<int>("tests");
    QTest::addColumn<int>("contents");
    QTest::newRow("well formed") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':[{}]}]}}}}}") << 1
                                 << 1 << 1;
    QTest::newRow("subgroups an array") << document("{'groups':{'1':{'subgroups':[{'tests':[{}]}]}}}") << 0 << 0 << 0;
    QTest::newRow("subgroups a text") << document("{'groups':{'1':{'subgroups':'1'}}}") << 0 << 0 << 0;
    QTest::newRow("tests an object") << document("{'groups':{'1':{'subgroups':{'1':{'tests':{'0':{}}}}}}}") << 1 << 0
                                     << 0;
    QTest::newRow("tests a number") << document("{'groups':{'1':{'subgroups':{'1':{'tests':3}}}}}") << 1 << 0 << 0;
    QTest::newRow("content an object") << document(
                                              "{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':{'id':'a'}}]}}}}}")
                                       << 1 << 1 << 0;
    QTest::newRow("content a text") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':'a'}]}}}}}") << 1
                                    << 1 << 0;
    QTest::newRow("test not an object") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[5]}}}}}") << 1 << 1
                                        << 0;
}

void TestTestsManager::wronglyTypedLevelIsEmpty()
{
    QFETCH(QString, catalogue);
    QFETCH(int, subgroups);
    QFETCH(int, tests);
    QFETCH(int, contents);
    TestsManager manager(catalogue);
    QCOMPARE(manager.groups()->size(), 1);
    const TestGroup *group = manager.groups()->first();
    QCOMPARE(group->subgroups()->size(), subgroups);
    QCOMPARE(testCount(manager), tests);
    if (tests > 0)
        QCOMPARE(group->subgroups()->first()->tests()->first()->content()->size(), contents);
}

void TestTestsManager::whiteSpaceRunsAreSimplified()
{
    TestsManager manager(document("{\n  'groups': {\n\t'1': {'title': 'two  blanks\\t\\ttab'}}}"));
    // Runs inside texts are reduced as well; an escaped tab stays a tab.
    QCOMPARE(manager.groups()->first()->title(), QStringLiteral("two blanks\t\ttab"));
}

void TestTestsManager::testsWithTheSameIdAreBothLoaded()
{
    TestsManager manager(document("{'groups':{'5':{'subgroups':{'5':{'tests':["
                                  "{'id':'test_05_05_00','pattern':'kTestPatternUN80'},"
                                  "{'id':'test_05_05_00','pattern':'kTestPatternUN10'}]}}}}}"));
    const auto *tests = manager.groups()->first()->subgroups()->first()->tests();
    QCOMPARE(tests->size(), 2);
    QCOMPARE(tests->at(0)->patternString(), QStringLiteral("kTestPatternUN80"));
    QCOMPARE(tests->at(1)->patternString(), QStringLiteral("kTestPatternUN10"));
}

void TestTestsManager::unreadableFileIsReported()
{
    const QString path = QStringLiteral("/nonexistent/tests.json");
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable("[stringContentFileAtPath] Errore durante la lettura del file: " + path));
    QVERIFY(TestsManager::readCatalogueText(path).isEmpty());
}

void TestTestsManager::shippedCatalogueIsEmbedded()
{
    TestsManager manager;
    QCOMPARE(groupNumbers(manager), (QList<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(testCount(manager), 71);
}

void TestTestsManager::requiredGroupStaysSelected()
{
    TestsManager manager(document("{'groups':{'0':{'required':true,'selected':false},'1':{'selected':true},'2':{}}}"));
    TestGroup *required = manager.groups()->at(0);
    QVERIFY(required->required());
    QVERIFY(required->selected());
    QVERIFY(manager.groups()->at(1)->selected());
    QVERIFY(!manager.groups()->at(2)->selected());

    QSignalSpy spy(required, &TestGroup::selectedChanged);
    required->setSelected(false);
    QVERIFY(required->selected());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toBool(), true);

    TestGroup *optional = manager.groups()->at(2);
    QSignalSpy optionalSpy(optional, &TestGroup::selectedChanged);
    optional->setSelected(false);
    optional->setSelected(true);
    QCOMPARE(optionalSpy.size(), 2);
    QVERIFY(optional->selected());
}

void TestTestsManager::selectedGroupsReusesItsList()
{
    TestsManager manager;
    for (TestGroup *group : qAsConst(*manager.groups()))
        group->setSelected(group->number() == 6);
    QList<TestGroup *> *first = manager.selectedGroups();
    const QList<TestGroup *> copy = *first;
    QList<TestGroup *> *second = manager.selectedGroups();
    QCOMPARE(first, second);
    QCOMPARE(*second, copy);
    QList<unsigned> numbers;
    for (const TestGroup *group : qAsConst(*second))
        numbers.append(group->number());
    QCOMPARE(numbers, (QList<unsigned>{0, 1, 2, 3, 6}));
}

void TestTestsManager::testKnowsItsGroupAndSubgroup()
{
    TestsManager manager(document("{'groups':{'4':{'subgroups':{"
                                  "'1':{'title':'same','tests':[{'id':'a'}]},"
                                  "'2':{'title':'same','tests':[{'id':'b'}]}}}}}"));
    const auto *subgroups = manager.groups()->first()->subgroups();
    const Test *a = subgroups->value(1)->tests()->first();
    const Test *b = subgroups->value(2)->tests()->first();
    QCOMPARE(a->group(), 4);
    QCOMPARE(a->subgroup(), 1);
    QCOMPARE(b->property("subgroup").toInt(), 2);
    QCOMPARE(b->property("content").value<QList<TestContent *> *>(), b->content());
    const Test orphan(QVariantMap{{"id", "c"}});
    QCOMPARE(orphan.group(), 0);
    QCOMPARE(orphan.subgroup(), 0);
}

void TestTestsManager::displayTitleFallsBack_data()
{
    QTest::addColumn<QString>("testTitle");
    QTest::addColumn<QString>("subgroupTitle");
    QTest::addColumn<QString>("expected");
    QTest::newRow("own title") << "title_test_06_02_00"
                               << "title_subgroup_06_01"
                               << "Luminance Tests";
    QTest::newRow("empty text falls back to subgroup") << "title_test_06_02_01"
                                                       << "title_subgroup_02_03"
                                                       << "Installation Instructions";
    QTest::newRow("no title falls back to subgroup") << ""
                                                     << "title_subgroup_02_03"
                                                     << "Installation Instructions";
    QTest::newRow("falls back to group") << "title_test_06_02_01"
                                         << "title_subgroup_06_03"
                                         << "Device info";
    QTest::newRow("unknown key shows itself") << "no_such_key"
                                              << "title_subgroup_06_03"
                                              << "no_such_key";
}

void TestTestsManager::displayTitleFallsBack()
{
    QFETCH(QString, testTitle);
    QFETCH(QString, subgroupTitle);
    QFETCH(QString, expected);
    TestGroup group({{"title", "title_group_02"}}, 2);
    TestSubgroup subgroup({{"title", subgroupTitle}, {"tests", QVariantList{QVariantMap{{"title", testTitle}}}}}, 1,
                          &group);
    QCOMPARE(subgroup.tests()->first()->displayTitle(), expected);
}

void TestTestsManager::contentByIdFindsFirstMatch()
{
    TestsManager manager;
    const TestGroup *group = manager.groups()->at(6);
    const TestContent *screen = group->contentById("content05010000");
    QVERIFY(screen);
    QCOMPARE(screen->caption(), QStringLiteral("content_test_06_01_02_02"));
    QVERIFY(!group->contentById("content00000000"));
    const Test *first = group->subgroups()->first()->tests()->first();
    QCOMPARE(first->contentById("content05010000"), nullptr);
    QCOMPARE(manager.groups()->at(0)->contentById("content00000000")->type(), TestContent::kTestContentTypeText);
}

QTEST_MAIN(TestTestsManager)
#include "tst_testsmanager.moc"
