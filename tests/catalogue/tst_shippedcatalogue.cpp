#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QtTest>

// The embedded catalogue: its size, the rules that make its verdicts right,
// and its keys. The values its joins and validators compute from real readings
// are checked in tst_measurements.
class TestShippedCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void counts();
    void lowerBoundsAndPercentages();
    void keysAreDictionaryKeys();

private:
    QList<Test *> allTests() const { return AnsweredCatalogue::tests(*m_manager->groups()); }
    QList<TestContent *> allContents() const { return AnsweredCatalogue::contents(*m_manager->groups()); }

    TestsManager *m_manager = nullptr;
};

void TestShippedCatalogue::initTestCase()
{
    m_manager = new TestsManager(this);
}

void TestShippedCatalogue::counts()
{
    QMap<QString, int> counts;
    for (const TestGroup *group : qAsConst(*m_manager->groups())) {
        QCOMPARE(group->required(), group->number() <= 3);
        counts["subgroups"] += group->subgroups()->size();
    }
    for (const Test *test : allTests())
        counts["validatable tests"] += test->validatable();
    for (const TestContent *c : allContents()) {
        const QString type = TestContent::typeName(c->type());
        ++counts[type.isEmpty() ? QStringLiteral("without type") : type];
        counts["numeric"] += c->validatorType() == TestContent::kValidatorTypeNumber;
        counts["default 0"] += c->defaultValue() == "0";
        counts["hidden from report"] += c->hideFromReport();
        counts["ignoring validation"] += c->ignoreValidation();
        counts["computed, never asked"] += !c->join().isEmpty() && c->hideFromTest() == "(function(){return true;})";
        counts["skipped below 23 inches"] += c->hideFromTest() == "(function(){return (#content05010000# < 23);})";
        counts["screen size preset"] += c->sourceMap().contains("screensize");
        counts["report description"] += !c->reportDescription().isEmpty();
    }
    QCOMPARE(m_manager->groups()->size(), 8);
    QCOMPARE(allTests().size(), 71);
    QCOMPARE(allContents().size(), 101);
    const QMap<QString, int> expected = {
        {"subgroups", 20},
        {"validatable tests", 11},
        {"text", 82},
        {"boolean", 17},
        {"multiselect", 1},
        {"without type", 1},
        {"numeric", 44},
        {"default 0", 24},
        {"hidden from report", 43},
        {"ignoring validation", 18},
        {"computed, never asked", 13},
        {"skipped below 23 inches", 8},
        {"screen size preset", 1},
        {"report description", 19},
    };
    QCOMPARE(counts, expected);
}

// DIN 6868-157 gives lower bounds for the maximum luminance and the luminance
// ratio, and the uniformity deviation is a percentage.
void TestShippedCatalogue::lowerBoundsAndPercentages()
{
    const TestGroup *luminance = m_manager->groups()->at(6);
    const Test *uniformity = luminance->subgroups()->value(5)->tests()->at(1);
    QCOMPARE(uniformity->content()->at(0)->join(),
             QStringLiteral("(function(){return (200 * (#content05050000# - #content05050001#)/"
                            "(#content05050000# + #content05050001#));})"));
    QCOMPARE(uniformity->content()->at(1)->join(),
             QStringLiteral("(function(){return (200 * (#content05050002# - #content05050003#)/"
                            "(#content05050002# + #content05050003#));})"));
    QCOMPARE(luminance->contentById("content05070000")->validator(),
             QStringLiteral("(function(){return ((#content05070000#) >= (#content03030003#));})"));
    const TestContent *ratio = luminance->subgroups()->value(7)->tests()->at(1)->content()->first();
    QCOMPARE(ratio->validator(),
             QStringLiteral("(function(){return ((#content05070000#/#content05070001#) >= 100);})"));
}

void TestShippedCatalogue::keysAreDictionaryKeys()
{
    // The subgroup of group 0 and the pixel-error counts carry keys that the
    // dictionary does not know; they show as the key itself.
    const QSet<QString> unknownByDesign = {
        "title_subgroup_00_00",
        "report_subgroup_00_00",
        "reportdescription_content_05_05_00_00",
        "reportdescription_content_05_05_00_01",
        "reportdescription_content_05_05_00_02",
        "reportdescription_content_05_05_01_00",
        "reportdescription_content_05_05_01_01",
        "reportdescription_content_05_05_01_02",
    };
    QStringList keys;
    for (const TestGroup *group : qAsConst(*m_manager->groups())) {
        keys << group->title() << group->report();
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            keys << subgroup->title() << subgroup->report();
    }
    for (const Test *test : allTests())
        keys << test->title();
    for (const TestContent *content : allContents()) {
        keys << content->caption() << content->report();
        if (!content->reportDescription().isEmpty())
            keys << content->reportDescription();
    }
    const QMap<QString, QString> dictionary = TR::defaultDictionary();
    QSet<QString> unknown;
    for (const QString &key : qAsConst(keys)) {
        QVERIFY(!key.isEmpty());
        if (!dictionary.contains(key))
            unknown.insert(key);
    }
    QCOMPARE(unknown, unknownByDesign);
}

QTEST_MAIN(TestShippedCatalogue)
#include "tst_shippedcatalogue.moc"
