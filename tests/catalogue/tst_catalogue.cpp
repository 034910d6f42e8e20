#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "expressionevaluator.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testitemsmodel.h"
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

Q_DECLARE_METATYPE(AnsweredCatalogue::Measurements)

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

// The catalogue: loading it, its tree of objects and their stored form, the answers taken back from a stored
// session, the selection model over its groups, and the expressions that compute and judge the answers.
// Expressions, the answers they read and the verdicts they give. Real readings
// of monitors go through the embedded catalogue; the expected figures were
// worked out by hand, e.g. the dark uniformity of the 27-inch monitor:
// 200 * (9.31 - 7.96) / (9.31 + 7.96) = 15.634 %.
class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }

    void loading_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<Sizes>("sizes");        // groups, subgroups, tests, contents
        QTest::addColumn<QStringList>("titles"); // of the groups, or of the first group's subgroups, in order
        const auto row = [](const char *name, const QString &catalogue, const Sizes &sizes,
                            const QStringList &titles = {""}) { QTest::newRow(name) << catalogue << sizes << titles; };
        row("groups in numeric order", document("{'groups':{'2':{'title':'2'},'10':{'title':'10'},'9':{'title':'9'}}}"),
            {3, 0, 0, 0}, {"2", "9", "10"});
        row("group keys that are no numbers count as 0, the later replaces",
            document("{'groups':{'abc':{'title':'a'},'-1':{'title':'n'},'3':{}}}"), {2, 0, 0, 0}, {"a", ""});
        row("subgroups in numeric order",
            document("{'groups':{'1':{'subgroups':{'12':{'title':'b'},'3':{'title':'a'},'x':{'title':'zero'},"
                     "'03':{'title':'lost'}}}}}"),
            {1, 3, 0, 0}, {"zero", "a", "b"});
        row("blank runs simplified", document("{\n 'groups': {\n\t'1': {'title': 'two  blanks\\t\\ttab'}}}"),
            {1, 0, 0, 0}, {"two blanks\t\ttab"});
        row("not JSON", "this is not a catalogue", {0, 0, 0, 0}, {});
        row("groups an array", document("{'groups':[{'title':'a'}]}"), {0, 0, 0, 0}, {});
        row("subgroups an array", document("{'groups':{'1':{'subgroups':[{'tests':[{}]}]}}}"), {1, 0, 0, 0});
        row("tests an object", oneSubgroup("{'0':{}}"), {1, 1, 0, 0});
        row("content a text", oneSubgroup("[{'content':'a'}]"), {1, 1, 1, 0});
        row("test not an object", oneSubgroup("[5]"), {1, 1, 1, 0});
    }

    void loading()
    {
        QFETCH(QString, catalogue);
        QFETCH(Sizes, sizes);
        QFETCH(QStringList, titles);
        TestsManager manager(catalogue);
        const QList<TestGroup *> groups = *manager.groups();
        Sizes found{groups.size(), 0, AnsweredCatalogue::tests(groups).size(),
                    AnsweredCatalogue::contents(groups).size()};
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

    void unreadableFileIsReported()
    {
        const QString path = QStringLiteral("/nonexistent/tests.json");
        QTest::ignoreMessage(QtDebugMsg,
                             qPrintable("[stringContentFileAtPath] Errore durante la lettura del file: " + path));
        QVERIFY(TestsManager::readCatalogueText(path).isEmpty());
    }

    void selection()
    {
        TestsManager manager(
            document("{'groups':{'0':{'required':true,'selected':false},'1':{'selected':true},'2':{}}}"));
        const QList<TestGroup *> groups = *manager.groups();
        QList<TestGroup *> *selected = manager.selectedGroups();
        QCOMPARE(*selected, (QList<TestGroup *>{groups.at(0), groups.at(1)}));
        groups.at(0)->setSelected(false);
        groups.at(2)->setSelected(true);
        QCOMPARE(manager.selectedGroups(), selected);
        QCOMPARE(*selected, groups);
    }

    void titlesAndNumbers()
    {
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

    void readsAndWritesEveryKey()
    {
        QVariantMap source =
            QJsonDocument::fromJson(
                document(
                    "{'id':'a','caption':'c','report':'r','type':'text','validatortype':'number','defaultvalue':'5',"
                    "'content':{'items':[{'value':'200','text':'radio'}]},'join':'(#b# + #b# + #c)','jointext':'j',"
                    "'description':'d','reportdescription':'rd','joindescription':'jd','joinonlyreport':true,"
                    "'readonly':true,'required':false,'ignorevalidation':true,'validator':'(#a# >= #d#)',"
                    "'hidefromreport':true,'note':'n','resultjoin':'4'}")
                    .toUtf8())
                .object()
                .toVariantMap();
        const QVariant items = source.value("content").toMap().value("items");
        QVariantMap expected = source;
        expected.insert({{"items", items},
                         {"pattern", ""},
                         {"resulttext", "5"},
                         {"resultboolean", false},
                         {"resultmultiselect", ""}});
        source.insert({{"hidefromtest", "(function(){return true;})"}, {"unknownkey", "ignored"}});
        const TestContent content(source);
        QCOMPARE(content.toVariantMap(), expected);
        QCOMPARE(content.hideFromTest(), source.value("hidefromtest").toString());
        // The same id twice is listed twice; an unpaired "#" names nothing.
        QCOMPARE(content.joinIds() + content.validatorIds(), (QStringList{"b", "b", "a", "d"}));
        QCOMPARE(content.ownValues(), (ValueMap{{"a", "5"}}));
        // Only text answers take the default value.
        QVERIFY(TestContent({{"id", "x"}, {"type", "boolean"}, {"defaultvalue", "1"}}).ownValues().isEmpty());
    }

    void serialisedTreeRebuildsTheSameTree()
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

    void setResults_data()
    {
        QTest::addColumn<QVariantMap>("source");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<ValueMap>("ownValues");
        const QVariantMap text{{"id", "own"}, {"type", "text"}};
        QTest::newRow("same type") << text << storedAnswer("text") << true << ValueMap{{"stored", "12"}};
        QTest::newRow("other type") << text << storedAnswer("boolean") << false << ValueMap{};
        QTest::newRow("no stored type") << QVariantMap{} << QVariantMap{{"resulttext", "12"}, {"note", "stored"}}
                                        << false << ValueMap{};
        QTest::newRow("computed content")
            << QVariantMap{{"type", "text"}, {"join", "(1)"}} << storedAnswer("text") << false << ValueMap{};
        QTest::newRow("already answered")
            << QVariantMap{{"type", "text"}, {"resulttext", "mine"}} << storedAnswer("text") << false << ValueMap{};
        QVariantMap withoutId = storedAnswer("text");
        withoutId.remove("id");
        QTest::newRow("stored without id") << text << withoutId << true << ValueMap{};
        QVariantMap emptyAnswer = storedAnswer("multiselect");
        emptyAnswer.insert({{"resultmultiselect", ""}, {"resulttext", ""}});
        QTest::newRow("empty answers not recorded")
            << QVariantMap{{"type", "multiselect"}} << emptyAnswer << true << ValueMap{};
    }

    void setResults()
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

    void storedResultsOfAnotherShape_data()
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
        QTest::newRow("subgroups a list")
            << QVariant(QVariantList{subgroupOneWith({both}).value("1")}) << QStringList{"", ""};
        QTest::newRow("content a text") << QVariant(subgroupOneWith({QVariantMap{{"content", "answers"}}}))
                                        << QStringList{"", ""};
        QTest::newRow("test not a map") << QVariant(subgroupOneWith({5})) << QStringList{"", ""};
    }

    void storedResultsOfAnotherShape()
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

    void screenSizePreset()
    {
        QCOMPARE(TestContent::diagonalInches({1920, 1080}, 96, 96), QStringLiteral("23")); // 20 x 11 inches
        QCOMPARE(TestContent::diagonalInches({1000, 1000}, 100, 101),
                 QStringLiteral("13")); // 10 x 9, fractions dropped
        // A screen that reports no physical resolution gets no preset rather than a division by zero.
        QCOMPARE(TestContent::diagonalInches({1920, 1080}, 0, 0), QString());
        QCOMPARE(TestContent::diagonalInches({1920, 1080}, -96, 96), QString());
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QString expected =
            TestContent::diagonalInches(screen->size(), screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY());
        const TestContent content({{"id", "content05010000"}, {"type", "text"}, {"screensize", false}});
        QCOMPARE(content.ownValues(), (ValueMap{{"content05010000", expected}}));
    }

    // On the shipped catalogue: groups 0 to 3 are required, 4 to 7 optional and unticked.
    void setData_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticking an optional group") << 4 << int(Qt::CheckStateRole) << int(Qt::Checked) << true;
        QTest::newRow("partly checked is not ticked")
            << 4 << int(Qt::CheckStateRole) << int(Qt::PartiallyChecked) << false;
        QTest::newRow("unticking a required group") << 0 << int(Qt::CheckStateRole) << int(Qt::Unchecked) << true;
        QTest::newRow("other role ignored") << 4 << int(Qt::EditRole) << int(Qt::Checked) << false;
    }

    void setData()
    {
        QFETCH(int, row);
        QFETCH(int, role);
        QFETCH(int, state);
        QFETCH(bool, ticked);
        TestsManager catalogue;
        TestItemsModel model(nullptr, catalogue.groups());
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(row), state, role));
        QCOMPARE(changes.size(), role == Qt::CheckStateRole ? 1 : 0);
        QCOMPARE(model.index(row).data(Qt::CheckStateRole), QVariant(ticked ? Qt::Checked : Qt::Unchecked));
    }

    void rowsShowGroups()
    {
        TestsManager catalogue;
        const TestItemsModel model(nullptr, catalogue.groups());
        const TR::Translator &translator = *TR::Translator::instance();
        QCOMPARE(model.rowCount(), 8);
        for (int row = 0; row < 8; ++row) {
            const QModelIndex index = model.index(row);
            QCOMPARE(model.headerData(row, Qt::Vertical).toString(), QString::number(row));
            QCOMPARE(index.data().toString(), translator.translate(catalogue.groups()->at(row)->title()));
            QCOMPARE(model.flags(index), row < 4 ? Qt::ItemFlags() : Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        }
        QCOMPARE(TestItemsModel(nullptr, nullptr).rowCount(), 0);
    }

    void validity_data()
    {
        QTest::addColumn<QVariantMap>("source");
        QTest::addColumn<ValueMap>("values");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("valid");
        const auto row = [](const char *name, QVariantMap source, const char *body, const ValueMap &values,
                            ExpressionEvaluator::Outcome outcome, bool valid) {
            if (body)
                source.insert("validator", QStringLiteral("(function(){%1})").arg(body));
            QTest::newRow(name) << source << values << int(outcome) << valid;
        };
        const QVariantMap text{{"type", "text"}};
        const auto ran = ExpressionEvaluator::Evaluated, open = ExpressionEvaluator::Unanswered,
                   failed = ExpressionEvaluator::Failed;
        const QVariantMap boolean{{"type", "boolean"}};
        row("text without validator", text, nullptr, {}, open, true);
        row("boolean unanswered", boolean, nullptr, {}, open, false);
        row("boolean yes", {{"type", "boolean"}, {"resultboolean", true}}, nullptr, {}, open, true);
        row("boolean ignoring validation", {{"type", "boolean"}, {"ignorevalidation", true}}, nullptr, {}, open, true);
        row("false but ignored", {{"ignorevalidation", true}}, "return false;", {}, ran, true);
        row("false", text, "return false;", {}, ran, false);
        row("NaN", text, "return NaN;", {}, ran, false);
        row("undefined", text, "", {}, ran, true);
        row("syntax error", text, "return (1 <;", {}, failed, false);
        row("function throws", text, "throw 1;", {}, failed, false);
        row("endless loop", text, "while(true){}", {}, ExpressionEvaluator::TimedOut, false);
        row("missing value", text, "return (#a# > 1);", {}, open, true);
        row("blank value leaves nothing", text, "return [#a#].length == 0;", {{"a", " "}},
            ExpressionEvaluator::Evaluated, true);
        row("empty value in arithmetic", text, "return (#a# <= 5);", {{"a", ""}}, open, true);
        row("every occurrence, negative", text, "return #a#-#a#-#b# == 3;", {{"a", "2"}, {"b", "-3"}}, ran, true);
        row("unrelated text value", text, "return #a# == 7;", {{"a", "7"}, {"operator", "Dr. Berger"}}, ran, true);
        row("huge number", text, "return (#a# > 5);", {{"a", QString(400, QLatin1Char('9'))}}, failed, false);
        // Each of these answers would make the rule hold if it were pasted into the script as code.
        for (const char *answer : {"1) || (true", "1); while(true){}; (", "0x1", "this.x=1", "Infinity"})
            row(answer, text, "return (#a# <= 5);", {{"a", answer}}, failed, false);
    }

    void validity()
    {
        QFETCH(QVariantMap, source);
        QFETCH(ValueMap, values);
        QFETCH(int, outcome);
        QFETCH(bool, valid);
        const ExpressionEvaluator::Budget budget;
        TestContent content(source);
        QCOMPARE(int(ExpressionEvaluator::evaluate(content.validator(), values).outcome), outcome);
        content.setValidatorValues(values);
        QCOMPARE(content.isValid(), valid);
    }

    void answersOfTheOperator_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("number"); // what the script reads
        QTest::addColumn<double>("pixelErrors");
        QTest::addColumn<double>("minimumLuminance");
        QTest::addColumn<unsigned>("failures");
        const double nan = qQNaN();
        const auto row = [](const char *answer, const char *number, double pixelErrors, double minimum,
                            unsigned failures) {
            QTest::newRow(answer) << answer << number << pixelErrors << minimum << failures;
        };
        for (const char *three : {"3", "3 ", " 3", "3,0", "3.0", "+3", "003"})
            row(three, "3", 3, 0.769, 1);
        row("010", "10", 10, 0.769, 1);
        row("012.5", "12.5", 12.5, 0.769, 1);
        row("0,5", "0.5", 0.5, 0.5, 0);
        row("1e2", "100", 100, 0.769, 1);
        // An unanswered level leaves the joins over it 0 as before: maximum, minimum and ratio fail.
        row("", "", 0, 0, 3);
        // As unanswered, and the pixel errors fail as well.
        for (const char *text : {"drei", "3;4", "(function(){})"})
            row(text, "", nan, nan, 4);
    }

    void answersOfTheOperator()
    {
        QFETCH(QString, answer);
        QFETCH(QString, number);
        QFETCH(double, pixelErrors);
        QFETCH(double, minimumLuminance);
        QFETCH(unsigned, failures);
        QCOMPARE(ExpressionEvaluator::scriptNumber(answer), number);

        TestsManager manager;
        const QList<TestGroup *> groups = *manager.groups();
        AnsweredCatalogue::fill(groups, AnsweredCatalogue::brightMonitor());
        for (TestContent *asked :
             {groups.at(5)->contentById("content04050100"), groups.at(6)->contentById("content05030000")}) {
            asked->setResultText(answer);
            asked->addOwnValues({{asked->id(), answer}});
        }
        QCOMPARE(AnsweredCatalogue::judge(groups), failures);
        QCOMPARE(groups.at(5)->contentById("content04060000")->computeJoin(), pixelErrors);
        QCOMPARE(groups.at(6)->contentById("content05070001")->computeJoin(), minimumLuminance);
    }

    void timedOutExpressionIsNotRunAgain()
    {
        const QString loopWhilePositive = "(function(){while(#a# > 0){} return 1;})";
        const ExpressionEvaluator::Budget budget;
        QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "1"}}, 100).outcome,
                 ExpressionEvaluator::TimedOut);
        QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "0"}}).outcome, ExpressionEvaluator::TimedOut);
        QCOMPARE(ExpressionEvaluator::evaluate("(function(){return 6 * 7;})", {}).value, QVariant(42.0));
    }

    void joinedValuesAndVerdicts_data()
    {
        QTest::addColumn<AnsweredCatalogue::Measurements>("monitor");
        // Pixel errors A, B, C, D; dark max, min, light max, min; uniformity dark, light; luminance max, min, ratio.
        QTest::addColumn<QStringList>("joined");
        QTest::addColumn<unsigned>("failures");
        QTest::addColumn<int>("skipped");                  // luminance fields not asked on a small screen
        const QStringList pixelErrors{"0", "2", "2", "0"}; // A = 0, B = 2, C = 1 + 1, D = 0 + 0
        const QStringList large{"9.31", "7.96", "272.5", "236.2", "15.634", "14.2717"};
        const QStringList small{"9.12", "8.08", "268.4", "239.9", "12.093", "11.2139"};
        const QStringList bright{"402", "0.52", "773.077"};
        AnsweredCatalogue::Measurements monitor = AnsweredCatalogue::brightMonitor();
        QTest::newRow("bright 27 inch") << monitor << pixelErrors + large + bright << 0u << 0;
        monitor.ambientLuminance = 380;
        QTest::newRow("bright monitor in glare") << monitor << pixelErrors + large + bright << 1u << 0;
        monitor = AnsweredCatalogue::brightMonitor();
        monitor.pixelErrorsUN10 = {2, 4, 2}; // A beyond 1, C = 1 + 4 within 5, D = 0 + 2 beyond 1
        QTest::newRow("pixel errors") << monitor << QStringList{"2", "2", "5", "2"} + large + bright << 2u << 0;
        monitor = AnsweredCatalogue::brightMonitor();
        monitor.screenDiagonal = "21";
        QTest::newRow("bright 21 inch") << monitor << pixelErrors + small + bright << 0u << 8;
        QTest::newRow("dim low-contrast 21 inch")
            << AnsweredCatalogue::dimMonitor() << pixelErrors + small + QStringList{"178", "2.1", "84.7619"} << 2u << 8;
    }

    void joinedValuesAndVerdicts()
    {
        QFETCH(AnsweredCatalogue::Measurements, monitor);
        QFETCH(QStringList, joined);
        QFETCH(unsigned, failures);
        QFETCH(int, skipped);
        TestsManager manager;
        const QList<TestGroup *> groups = *manager.groups();
        AnsweredCatalogue::fill(groups, monitor);
        QCOMPARE(AnsweredCatalogue::judge(groups), failures);
        QStringList results;
        for (const TestContent *content : AnsweredCatalogue::contents(groups)) {
            if (!content->join().isEmpty())
                results.append(content->resultText());
        }
        QCOMPARE(results, joined);
        int notAsked = 0;
        for (const Test *test : qAsConst(*groups.at(6)->subgroups()->value(2)->tests()))
            notAsked += test->content()->first()->isHiddenFromTest({{"content05010000", monitor.screenDiagonal}});
        QCOMPARE(notAsked, skipped);
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
