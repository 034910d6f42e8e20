#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QSignalSpy>
#include <QtTest>

using Sizes = QVector<int>;

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

// How many groups, subgroups, tests and contents the catalogue holds.
Sizes levelSizes(const TestsManager &manager)
{
    const QList<TestGroup *> groups = *manager.groups();
    int subgroups = 0;
    for (const TestGroup *group : groups)
        subgroups += group->subgroups()->size();
    return {groups.size(), subgroups, AnsweredCatalogue::tests(groups).size(),
            AnsweredCatalogue::contents(groups).size()};
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
    void malformedLevelsAreEmpty_data();
    void malformedLevelsAreEmpty();
    void whiteSpaceRunsAreSimplified();
    void unreadableFileIsReported();
    void selection();
    void testKnowsItsGroupAndSubgroup();
    void displayTitleFallsBack();
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
    QCOMPARE(subgroups->value(12)->groupNumber(), 1);
}

void TestTestsManager::malformedLevelsAreEmpty_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<Sizes>("sizes"); // groups, subgroups, tests, contents
    QTest::newRow("well formed") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':[{}]}]}}}}}")
                                 << Sizes{1, 1, 1, 1};
    QTest::newRow("not JSON") << "this is not a catalogue" << Sizes{0, 0, 0, 0};
    QTest::newRow("empty") << QString() << Sizes{0, 0, 0, 0};
    QTest::newRow("groups an array") << document("{'groups':[{'title':'a'}]}") << Sizes{0, 0, 0, 0};
    QTest::newRow("groups a text") << document("{'groups':'0'}") << Sizes{0, 0, 0, 0};
    QTest::newRow("subgroups an array") << document("{'groups':{'1':{'subgroups':[{'tests':[{}]}]}}}")
                                        << Sizes{1, 0, 0, 0};
    QTest::newRow("tests an object") << document("{'groups':{'1':{'subgroups':{'1':{'tests':{'0':{}}}}}}}")
                                     << Sizes{1, 1, 0, 0};
    QTest::newRow("content a text") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':'a'}]}}}}}")
                                    << Sizes{1, 1, 1, 0};
    QTest::newRow("test not an object") << document("{'groups':{'1':{'subgroups':{'1':{'tests':[5]}}}}}")
                                        << Sizes{1, 1, 1, 0};
}

void TestTestsManager::malformedLevelsAreEmpty()
{
    QFETCH(QString, catalogue);
    QFETCH(Sizes, sizes);
    TestsManager manager(catalogue);
    QCOMPARE(levelSizes(manager), sizes);
    QCOMPARE(manager.selectedGroups()->size(), 0);
}

void TestTestsManager::whiteSpaceRunsAreSimplified()
{
    TestsManager manager(document("{\n  'groups': {\n\t'1': {'title': 'two  blanks\\t\\ttab'}}}"));
    // Runs inside texts are reduced as well; an escaped tab stays a tab.
    QCOMPARE(manager.groups()->first()->title(), QStringLiteral("two blanks\t\ttab"));
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

void TestTestsManager::testKnowsItsGroupAndSubgroup()
{
    TestsManager manager(document("{'groups':{'4':{'subgroups':{'2':{'tests':[{'id':'b'}]}}}}}"));
    const Test *test = manager.groups()->first()->subgroups()->value(2)->tests()->first();
    QCOMPARE(test->group(), 4);
    QCOMPARE(test->subgroup(), 2);
    const Test orphan(QVariantMap{{"id", "c"}});
    QCOMPARE(orphan.group(), 0);
    QCOMPARE(orphan.subgroup(), 0);
}

void TestTestsManager::displayTitleFallsBack()
{
    // title_test_06_02_01 and title_subgroup_06_03 translate to empty texts.
    TestsManager manager(
        document("{'groups':{'2':{'title':'title_group_02','subgroups':{"
                 "'1':{'title':'title_subgroup_06_01','tests':[{'title':'title_test_06_02_00'}]},"
                 "'2':{'title':'title_subgroup_02_03','tests':[{'title':'title_test_06_02_01'},{}]},"
                 "'3':{'title':'title_subgroup_06_03','tests':[{'title':'title_test_06_02_01'}]}}}}}"));
    QStringList titles;
    for (const Test *test : AnsweredCatalogue::tests(*manager.groups()))
        titles.append(test->displayTitle());
    QCOMPARE(titles,
             (QStringList{"Luminance Tests", "Installation Instructions", "Installation Instructions", "Device info"}));
}

QTEST_MAIN(TestTestsManager)
#include "tst_testsmanager.moc"
