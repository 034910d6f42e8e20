#include "defaultdictionary.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QtTest>

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// One line per test: id, pattern without its "kTestPattern" prefix, "V" when
// validatable, and the content types ("-" for none).
QStringList expectedTests()
{
    QStringList tests = {
        "test_00_00_00 Empty text",
        "test_01_01_00 Empty text text text text text",
        "test_02_01_00 Empty text text text text",
        "test_02_02_00 Empty text text text text text",
        "test_02_03_00 Empty boolean boolean boolean boolean boolean boolean",
        "test_03_01_00 Empty text multiselect",
        "test_04_01_00 SpatialResolutionHigh V boolean",
        "test_04_01_01 GrayLevel595 V boolean",
        "test_04_01_02 QualityWhiteAndGrey V boolean",
        "test_04_01_03 QualityBlack V text",
        "test_04_01_05 Default V text",
        "test_04_01_07 Gradients V text",
        "test_05_01_01 GrayLevelAllLevels V text",
        "test_05_01_02 BW V text",
        "test_05_01_03 GrayLevelAllLevels V text",
        "test_05_01_04 SpatialResolutionLow V text",
        "test_05_02_00 Default boolean boolean boolean",
        "test_05_03_00 TG18MP boolean",
        "test_05_04_00 UN80 boolean boolean",
        "test_05_05_00 UN80 text",
        "test_05_05_00 UN80 text",
        "test_05_05_00 UN80 text",
        "test_05_05_01 UN10 text",
        "test_05_05_01 UN10 text",
        "test_05_05_01 UN10 text",
        "test_05_06_00 Empty text text text text",
        "test_06_01_00 Empty text text boolean",
        "test_06_01_01 Empty V -",
        "test_06_01_02 Empty text",
    };
    const QStringList positions = {"TL", "TC", "TR", "ML", "MC", "MR", "BL", "BC", "BR"};
    for (int n = 0; n < 18; ++n) {
        tests.append(QStringLiteral("test_06_02_%1 Luminance%2%3 text")
                         .arg(twoDigits(n), n % 2 ? "Dark" : "Light", positions.at(n / 2)));
    }
    for (int n = 0; n < 18; ++n)
        tests.append(QStringLiteral("test_06_03_%1 TG18LN%2 text").arg(twoDigits(n), twoDigits(n + 1)));
    tests += QStringList{
        "test_06_05_00 Empty text text text text",
        "test_06_05_01 Empty text text",
        "test_06_06_00 Empty text",
        "test_06_07_00 Empty text text",
        "test_06_07_01 Empty text",
        "test_07_01_00 ExternalImage boolean",
    };
    return tests;
}

QString describe(const Test *test)
{
    QStringList parts = {test->id(), test->patternString().mid(int(qstrlen("kTestPattern")))};
    if (test->validatable())
        parts.append("V");
    for (const TestContent *content : qAsConst(*test->content())) {
        const QString type = TestContent::typeName(content->type());
        parts.append(type.isEmpty() ? "-" : type);
    }
    return parts.join(' ');
}

QString maxMinJoin(const char *function, int parity)
{
    static const QList<int> fivePositions = {0, 2, 4, 6, 8};
    QStringList few;
    QStringList all;
    for (int position = 0; position < 9; ++position) {
        const QString placeholder = "#content0502" + twoDigits(2 * position + parity) + "00#";
        all.append(placeholder);
        if (fivePositions.contains(position))
            few.append(placeholder);
    }
    return QStringLiteral("(function(){if (#content05010000# < 23) {return Math.%1(%2);} else {return Math.%1(%3);}})")
        .arg(QLatin1String(function), few.join(", "), all.join(", "));
}

QString tg18lnJoin(const char *function)
{
    QStringList levels;
    for (int n = 0; n < 18; ++n)
        levels.append("#content0503" + twoDigits(n) + "00#");
    return QStringLiteral("(function(){return Math.%1(%2);})").arg(QLatin1String(function), levels.join(", "));
}

} // namespace

class TestShippedCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void counts();
    void requiredGroups();
    void testsInOrder();
    void groupAndSubgroupKeys();
    void testTitleKeys();
    void contentKeys();
    void contentIds();
    void flags();
    void multiselectItems();
    void hideConditions();
    void computedContents_data();
    void computedContents();
    void keysAreDictionaryKeys();

private:
    QList<const Test *> allTests() const;
    QList<const TestContent *> allContents() const;
    QStringList contentsWhere(const std::function<bool(const TestContent *)> &condition) const;

    TestsManager *m_manager = nullptr;
};

void TestShippedCatalogue::initTestCase()
{
    m_manager = new TestsManager(this);
}

QList<const Test *> TestShippedCatalogue::allTests() const
{
    QList<const Test *> tests;
    for (const TestGroup *group : qAsConst(*m_manager->groups())) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests()))
                tests.append(test);
        }
    }
    return tests;
}

QList<const TestContent *> TestShippedCatalogue::allContents() const
{
    QList<const TestContent *> contents;
    for (const Test *test : allTests()) {
        for (const TestContent *content : qAsConst(*test->content()))
            contents.append(content);
    }
    return contents;
}

// The caption keys of the contents that meet the condition, in catalogue order.
QStringList TestShippedCatalogue::contentsWhere(const std::function<bool(const TestContent *)> &condition) const
{
    QStringList captions;
    for (const TestContent *content : allContents()) {
        if (condition(content))
            captions.append(content->caption());
    }
    return captions;
}

void TestShippedCatalogue::counts()
{
    QCOMPARE(m_manager->groups()->size(), 8);
    int subgroups = 0;
    for (const TestGroup *group : qAsConst(*m_manager->groups()))
        subgroups += group->subgroups()->size();
    QCOMPARE(subgroups, 20);
    QCOMPARE(allTests().size(), 71);
    QCOMPARE(allContents().size(), 101);
}

void TestShippedCatalogue::requiredGroups()
{
    for (const TestGroup *group : qAsConst(*m_manager->groups())) {
        QCOMPARE(group->required(), group->number() <= 3);
        QCOMPARE(group->selected(), group->number() <= 3);
    }
}

void TestShippedCatalogue::testsInOrder()
{
    QStringList actual;
    for (const Test *test : allTests())
        actual.append(describe(test));
    const QStringList expected = expectedTests();
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

void TestShippedCatalogue::groupAndSubgroupKeys()
{
    QStringList subgroups;
    for (const TestGroup *group : qAsConst(*m_manager->groups())) {
        const QString gg = twoDigits(int(group->number()));
        QCOMPARE(group->title(), "title_group_" + gg);
        QCOMPARE(group->report(), "report_group_" + gg);
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            QCOMPARE(subgroup->report(), QString(subgroup->title()).replace("title_", "report_"));
            subgroups.append(QStringLiteral("%1/%2 %3%4")
                                 .arg(group->number())
                                 .arg(subgroup->number())
                                 .arg(subgroup->title(), subgroup->hideTitle() ? " hidden" : ""));
        }
    }
    QCOMPARE(
        subgroups,
        (QStringList{
            "0/0 title_subgroup_00_00",        "1/1 title_subgroup_01_01",        "2/1 title_subgroup_02_01",
            "2/2 title_subgroup_02_02",        "2/3 title_subgroup_02_03",        "3/3 title_subgroup_03_01",
            "4/1 title_subgroup_04_01",        "5/1 title_subgroup_05_01",        "5/2 title_subgroup_05_02",
            "5/3 title_subgroup_05_03",        "5/4 title_subgroup_05_04",        "5/5 title_subgroup_05_05",
            "5/6 title_subgroup_05_06 hidden", "6/1 title_subgroup_06_01",        "6/2 title_subgroup_06_01 hidden",
            "6/3 title_subgroup_06_03",        "6/5 title_subgroup_06_05 hidden", "6/6 title_subgroup_06_06",
            "6/7 title_subgroup_06_07",        "7/1 title_subgroup_07_01",
        }));
}

void TestShippedCatalogue::testTitleKeys()
{
    for (const Test *test : allTests()) {
        const bool usesGroupTitle = test->id().startsWith("test_04_") || test->id().startsWith("test_05_01_");
        const QString expected =
            usesGroupTitle ? test->id().replace("test_", "title_group_").left(14) : "title_" + test->id();
        QCOMPARE(test->title(), expected);
        QVERIFY(test->report().isEmpty());
    }
}

void TestShippedCatalogue::contentKeys()
{
    // Captions follow the test id and the content's position, with a few fixed exceptions.
    const QMap<QString, QStringList> exceptions = {
        {"test_03_01_00", {"content_test_03_01_00_02", "content_test_03_01_00_03"}},
        {"test_06_01_02", {"content_test_06_01_02_02"}},
    };
    QMap<QString, int> occurrence;
    for (const Test *test : allTests()) {
        const int seen = occurrence[test->id()]++;
        for (int i = 0; i < test->content()->size(); ++i) {
            const TestContent *content = test->content()->at(i);
            const QString digits = test->id().mid(5);
            QString expected = QStringLiteral("content_test_%1_%2").arg(digits, twoDigits(i));
            if (exceptions.contains(test->id()))
                expected = exceptions.value(test->id()).at(i);
            else if (test->id().startsWith("test_04_") || test->id().startsWith("test_05_01_"))
                expected = QStringLiteral("content_test_%1_00_0%2").arg(digits.left(5), digits.right(1));
            else if (test->id().startsWith("test_05_05_"))
                expected = QStringLiteral("content_test_%1_%2").arg(digits, twoDigits(seen));
            QCOMPARE(content->caption(), expected);
            QCOMPARE(content->report(), QString(expected).replace("content_test_", "report_test_"));
            if (!content->reportDescription().isEmpty()) {
                QCOMPARE(content->reportDescription(),
                         QString(expected).replace("content_test_", "reportdescription_content_"));
            }
            QVERIFY(content->description().isEmpty());
        }
    }
    QStringList described;
    for (const TestContent *content : allContents()) {
        if (!content->reportDescription().isEmpty())
            described.append(content->id());
    }
    QCOMPARE(described,
             (QStringList{"content04050000", "content04050001", "content04050002", "content04050100", "content04050101",
                          "content04050102", "content04060000", "content04060001", "content04060002", "content04060003",
                          "content05010000", "content05020000", "content05050000", "content05050001", "content05050002",
                          "content05050003", "content05060000", "content05070000", "content05070001"}));
}

void TestShippedCatalogue::contentIds()
{
    QStringList expected = {"content00000000", "content02010000", "content02010001", "content03030003",
                            "content04040000", "content04050000", "content04050001", "content04050002",
                            "content04050100", "content04050101", "content04050102", "content04060000",
                            "content04060001", "content04060002", "content04060003", "content05010000"};
    for (int n = 0; n < 18; ++n)
        expected.append("content0502" + twoDigits(n) + "00");
    for (int n = 0; n < 18; ++n)
        expected.append("content0503" + twoDigits(n) + "00");
    expected += QStringList{"content05050000", "content05050001", "content05050002", "content05050003",
                            "content05060000", "content05070000", "content05070001"};
    QStringList ids;
    for (const TestContent *content : allContents()) {
        if (!content->id().isEmpty())
            ids.append(content->id());
    }
    QCOMPARE(ids, expected);
}

void TestShippedCatalogue::flags()
{
    const auto numeric = [](const TestContent *c) { return c->validatorType() == TestContent::kValidatorTypeNumber; };
    const QStringList numericIds = contentsWhere(numeric);
    QCOMPARE(numericIds.size(), 1 + 6 + 18 + 18 + 1);
    for (const TestContent *content : allContents()) {
        if (numeric(content))
            QCOMPARE(content->type(), TestContent::kTestContentTypeText);
    }

    QStringList zeroDefaults = contentsWhere([](const TestContent *c) { return c->defaultValue() == "0"; });
    QCOMPARE(zeroDefaults.size(), 6 + 18);
    QCOMPARE(contentsWhere([](const TestContent *c) { return !c->defaultValue().isEmpty(); }), zeroDefaults);
    QVERIFY(zeroDefaults.first() == "content_test_05_05_00_00" && zeroDefaults.last() == "content_test_06_02_17_00");

    const QStringList hidden = contentsWhere([](const TestContent *c) { return c->hideFromReport(); });
    QCOMPARE(hidden.size(), 1 + 6 + 18 + 18);
    QCOMPARE(hidden.first(), QStringLiteral("content_test_05_04_00_00"));

    const QStringList ignored = contentsWhere([](const TestContent *c) { return c->ignoreValidation(); });
    QCOMPARE(ignored.size(), 18);
    QVERIFY(ignored.first() == "content_test_06_03_00_00" && ignored.last() == "content_test_06_03_17_00");

    const QStringList computed = contentsWhere([](const TestContent *c) { return !c->join().isEmpty(); });
    QCOMPARE(computed.size(), 4 + 4 + 2 + 2 + 1);
    QCOMPARE(contentsWhere([](const TestContent *c) { return c->sourceMap().value("ignoreprevious").toBool(); }),
             computed);

    QCOMPARE(contentsWhere([](const TestContent *c) { return c->sourceMap().contains("screensize"); }),
             QStringList{"content_test_06_01_02_02"});
    QVERIFY(contentsWhere([](const TestContent *c) {
                return c->readOnly() || c->joinOnlyReport() || !c->required() || !c->joinText().isEmpty() ||
                       !c->joinDescription().isEmpty();
            }).isEmpty());
}

void TestShippedCatalogue::multiselectItems()
{
    const TestContent *ambientClass = m_manager->groups()->at(3)->contentById("content03030003");
    QVERIFY(ambientClass);
    QCOMPARE(ambientClass->items()->size(), 2);
    QCOMPARE(*ambientClass->items()->at(0), (TestContent::Item{{"value", "200"}, {"text", "radio"}}));
    QCOMPARE(*ambientClass->items()->at(1), (TestContent::Item{{"value", "300"}, {"text", "operation"}}));
}

void TestShippedCatalogue::hideConditions()
{
    const QString belowScreenSize = "(function(){return (#content05010000# < 23);})";
    QStringList conditional = contentsWhere([&](const TestContent *c) { return c->hideFromTest() == belowScreenSize; });
    QStringList expected;
    for (int n : {2, 3, 6, 7, 10, 11, 14, 15})
        expected.append(QStringLiteral("content_test_06_02_%1_00").arg(twoDigits(n)));
    QCOMPARE(conditional, expected);
    const QStringList never = contentsWhere([](const TestContent *c) { return !c->hideFromTest().isEmpty(); });
    QCOMPARE(never.size(), conditional.size() + 13);
    QCOMPARE(contentsWhere([](const TestContent *c) { return c->hideFromTest() == "(function(){return true;})"; }),
             contentsWhere([](const TestContent *c) { return !c->join().isEmpty(); }));
}

void TestShippedCatalogue::computedContents_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("join");
    QTest::addColumn<QString>("validator");
    QTest::newRow("pixel errors A") << "content_test_05_06_00_00"
                                    << "(function (){return (#content04050100#);})"
                                    << "(function(){return ((#content04060000#) <= 1);})";
    QTest::newRow("pixel errors B") << "content_test_05_06_00_01"
                                    << "(function (){return (#content04050000#);})"
                                    << "(function(){return ((#content04060001#) <= 5);})";
    QTest::newRow("pixel errors C") << "content_test_05_06_00_02"
                                    << "(function (){return (#content04050001# + #content04050101#);})"
                                    << "(function(){return ((#content04060002#) <= 5);})";
    QTest::newRow("pixel errors D") << "content_test_05_06_00_03"
                                    << "(function (){return (#content04050002# + #content04050102#);})"
                                    << "(function(){return ((#content04060003#) <= 1);})";
    QTest::newRow("dark maximum") << "content_test_06_05_00_00" << maxMinJoin("max", 1) << QString();
    QTest::newRow("dark minimum") << "content_test_06_05_00_01" << maxMinJoin("min", 1) << QString();
    QTest::newRow("light maximum") << "content_test_06_05_00_02" << maxMinJoin("max", 0) << QString();
    QTest::newRow("light minimum") << "content_test_06_05_00_03" << maxMinJoin("min", 0) << QString();
    QTest::newRow("dark uniformity") << "content_test_06_05_01_00"
                                     << "(function(){return (200 * (#content05050000# - "
                                        "#content05050001#)/(#content05050000# + #content05050001#));})"
                                     << QString();
    QTest::newRow("light uniformity") << "content_test_06_05_01_01"
                                      << "(function(){return (200 * (#content05050002# - "
                                         "#content05050003#)/(#content05050002# + #content05050003#));})"
                                      << QString();
    QTest::newRow("maximum luminance") << "content_test_06_07_00_00" << tg18lnJoin("max")
                                       << "(function(){return ((#content05070000#) >= (#content03030003#));})";
    QTest::newRow("minimum luminance") << "content_test_06_07_00_01" << tg18lnJoin("min")
                                       << "(function(){return ((#content05070000#) >= 1.1 * (#content05060000#));})";
    QTest::newRow("luminance ratio") << "content_test_06_07_01_00"
                                     << "(function(){return (#content05070000#/#content05070001#);})"
                                     << "(function(){return ((#content05070000#/#content05070001#) >= 100);})";
}

void TestShippedCatalogue::computedContents()
{
    QFETCH(QString, caption);
    QFETCH(QString, join);
    QFETCH(QString, validator);
    const TestContent *found = nullptr;
    for (const TestContent *content : allContents()) {
        if (content->caption() == caption)
            found = content;
    }
    QVERIFY(found);
    QCOMPARE(found->join(), join);
    QCOMPARE(found->validator(), validator);
    QCOMPARE(found->type(), TestContent::kTestContentTypeText);
    QCOMPARE(found->hideFromTest(), QStringLiteral("(function(){return true;})"));
    QCOMPARE(found->joinIds(), TestContent::extractIds(join));
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
