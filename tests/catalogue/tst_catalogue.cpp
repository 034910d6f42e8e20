#include "answeredcatalogue.h"
#include "expressionevaluator.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testitemsmodel.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using ValueMap = TestContent::ValueMap;
using Monitor = AnsweredCatalogue::Measurements;

Q_DECLARE_METATYPE(AnsweredCatalogue::Measurements)

namespace {

// Catalogue text with single quotes for readability.
QString document(QString json)
{
    return json.replace(QLatin1Char('\''), QLatin1Char('"'));
}

// A stored content answered by an operator.
QVariantMap storedAnswer(const QString &type, const QString &text = "12")
{
    return {{"id", "stored"}, {"type", type}, {"resulttext", text}, {"resultmultiselect", "300"}, {"note", "stored"}};
}

// Tests given as their content lists, or as anything else a stored test might be.
QVariantMap subgroupOneWith(std::initializer_list<QVariant> contentLists)
{
    QVariantList tests;
    for (const QVariant &contents : contentLists)
        tests.append(contents.type() == QVariant::List ? QVariant(QVariantMap{{"content", contents}}) : contents);
    return {{"1", QVariantMap{{"tests", tests}}}};
}

} // namespace

// The catalogue: loading it, its stored form, the answers taken back from a
// stored session, the selection model over its groups, and the expressions that
// compute and judge the answers. Real readings go through the shipped catalogue;
// the expected figures were worked out by hand, e.g. the dark uniformity of the
// 27-inch monitor: 200 * (9.31 - 7.96) / (9.31 + 7.96) = 15.634 %.
class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loading_data()
    {
        QTest::addColumn<QString>("catalogue");
        // The titles of each group followed by its subgroups', in order, then the number of tests and of contents.
        QTest::addColumn<QStringList>("outline");
        const auto row = [](const char *name, const QString &catalogue, const QStringList &outline) {
            QTest::newRow(name) << catalogue << outline;
        };
        row("groups in numeric order", document("{'groups':{'2':{'title':'2'},'10':{'title':'10'},'9':{'title':'9'}}}"),
            {"2", "9", "10", "0 0"});
        row("group keys that are no numbers count as 0, the later replaces",
            document("{'groups':{'abc':{'title':'a'},'-1':{'title':'n'},'3':{}}}"), {"a", "", "0 0"});
        row("subgroups in numeric order",
            document("{'groups':{'1':{'subgroups':{'12':{'title':'b'},'3':{'title':'a'},'x':{'title':'zero'},"
                     "'03':{'title':'lost'}}}}}"),
            {"", "zero", "a", "b", "0 0"});
        row("blank runs simplified", document("{\n 'groups': {\n\t'1': {'title': 'two  blanks\\t\\ttab'}}}"),
            {"two blanks\t\ttab", "0 0"});
        row("not JSON", "this is not a catalogue", {"0 0"});
        row("unreadable file", TestsManager::readCatalogueText("/nonexistent"), {"0 0"});
        row("groups an array", document("{'groups':[{'title':'a'}]}"), {"0 0"});
        row("subgroups an array", document("{'groups':{'1':{'subgroups':[{'tests':[{}]}]}}}"), {"", "0 0"});
        row("tests an object", document("{'groups':{'1':{'subgroups':{'1':{'tests':{'0':{}}}}}}}"), {"", "", "0 0"});
        row("content a text", document("{'groups':{'1':{'subgroups':{'1':{'tests':[{'content':'a'}]}}}}}"),
            {"", "", "1 0"});
        row("test not an object", document("{'groups':{'1':{'subgroups':{'1':{'tests':[5]}}}}}"), {"", "", "1 0"});
    }

    void loading()
    {
        QFETCH(QString, catalogue);
        TestsManager manager(catalogue);
        const QList<TestGroup *> groups = *manager.groups();
        QStringList titles;
        for (const TestGroup *group : groups) {
            titles.append(group->title());
            for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
                titles.append(subgroup->title());
        }
        titles << QString::asprintf("%d %d", AnsweredCatalogue::tests(groups).size(),
                                    AnsweredCatalogue::contents(groups).size());
        QTEST(titles, "outline");
    }

    void readsAndWritesEveryKey()
    {
        const QByteArray json =
            document("{'id':'a','caption':'c','report':'r','type':'text','validatortype':'number','defaultvalue':'5',"
                     "'content':{'items':[{'value':'200','text':'radio'}]},'join':'(#b# + #b# + #c)','jointext':'j',"
                     "'description':'d','reportdescription':'rd','joindescription':'jd','joinonlyreport':true,"
                     "'readonly':true,'required':false,'ignorevalidation':true,'validator':'(#a# >= #d#)',"
                     "'hidefromreport':true,'note':'n','resultjoin':'4','pattern':'','resultboolean':false,"
                     "'resultmultiselect':''}")
                .toUtf8();
        QVariantMap source = QJsonDocument::fromJson(json).object().toVariantMap();
        QVariantMap expected = source;
        expected.insert({{"items", source.value("content").toMap().value("items")}, {"resulttext", "5"}});
        source.insert({{"hidefromtest", "(function(){return true;})"}, {"unknownkey", "ignored"}});
        const TestContent content(source);
        QCOMPARE(content.toVariantMap(), expected);
        // The same id twice is listed twice; an unpaired "#" names nothing.
        QCOMPARE(content.joinIds() + content.validatorIds(), (QStringList{"b", "b", "a", "d"}));
        QCOMPARE(content.ownValues(), (ValueMap{{"a", "5"}}));
        // Only text answers take the default value.
        QVERIFY(TestContent({{"id", "x"}, {"type", "boolean"}, {"defaultvalue", "1"}}).ownValues().isEmpty());
        const TestsManager shipped;
        for (const TestGroup *group : qAsConst(*shipped.groups()))
            QCOMPARE(TestGroup(group->toVariantMap(), group->number()).toVariantMap(), group->toVariantMap());
    }

    // A stored session's answers taken back into one test of the given contents.
    void setResults_data()
    {
        QTest::addColumn<QVariantList>("asked");
        QTest::addColumn<QVariant>("subgroups"); // of the stored group
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<ValueMap>("ownValues"); // of the first content
        const auto row = [](const char *name, const QVariantList &asked, const QVariant &subgroups,
                            const QStringList &taken,
                            const ValueMap &own = {}) { QTest::newRow(name) << asked << subgroups << taken << own; };
        const QVariantMap text{{"id", "own"}, {"type", "text"}};
        const QVariantList both{storedAnswer("text"), storedAnswer("text", "13")};
        QVariantMap withoutId = storedAnswer("text");
        withoutId.remove("id");
        row("same type", {text, text}, subgroupOneWith({both}), {"12", "13"}, {{"stored", "12"}});
        row("other type", {text}, subgroupOneWith({QVariantList{storedAnswer("boolean")}}), {""});
        row("no stored type", {text}, subgroupOneWith({QVariantList{QVariantMap{{"resulttext", "12"}}}}), {""});
        row("computed content", {QVariantMap{{"type", "text"}, {"join", "(1)"}}}, subgroupOneWith({both}), {""});
        row("answered", {QVariantMap{{"type", "text"}, {"resulttext", "mine"}}}, subgroupOneWith({both}), {"mine"});
        row("stored without id", {text}, subgroupOneWith({QVariantList{withoutId}}), {"12"});
        row("empty answers", {QVariantMap{{"type", "multiselect"}}},
            subgroupOneWith({QVariantList{QVariantMap{{"id", "s"}, {"type", "multiselect"}}}}), {""});
        row("surplus tests and contents", {text, text}, subgroupOneWith({both + both, both}), {"12", "13"},
            {{"stored", "12"}});
        row("missing contents", {text, text}, subgroupOneWith({both.mid(0, 1)}), {"12", ""}, {{"stored", "12"}});
        row("subgroups a list", {text, text}, QVariantList{subgroupOneWith({both}).value("1")}, {"", ""});
        row("content a text", {text, text}, subgroupOneWith({QVariantMap{{"content", "answers"}}}), {"", ""});
        row("test not a map", {text, text}, subgroupOneWith({5}), {"", ""});
    }

    void setResults()
    {
        QFETCH(QVariantList, asked);
        QFETCH(QVariant, subgroups);
        TestGroup group({{"subgroups", subgroupOneWith({asked})}}, 1);
        group.setResults({{"subgroups", subgroups}});
        QStringList answers;
        for (const TestContent *content : AnsweredCatalogue::contents({&group}))
            answers.append(content->resultText());
        QTEST(answers, "taken");
        QTEST(AnsweredCatalogue::contents({&group}).first()->ownValues(), "ownValues");
    }

    void screenSizePreset()
    {
        QCOMPARE(TestContent::diagonalInches({1920, 1080}, 96, 96), QStringLiteral("23"));   // 20 x 11 inches
        QCOMPARE(TestContent::diagonalInches({1000, 1000}, 100, 101), QStringLiteral("13")); // 10 x 9
        // A screen that reports no physical resolution gets no preset rather than a division by zero.
        QCOMPARE(TestContent::diagonalInches({1920, 1080}, 0, 0), QString());
    }

    // On the shipped catalogue: groups 0 to 3 are required, 4 to 7 optional and unticked.
    void selectionModel_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticking an optional group") << 4 << int(Qt::CheckStateRole) << int(Qt::Checked) << true;
        QTest::newRow("partly checked") << 4 << int(Qt::CheckStateRole) << int(Qt::PartiallyChecked) << false;
        QTest::newRow("unticking a required group") << 0 << int(Qt::CheckStateRole) << int(Qt::Unchecked) << true;
        QTest::newRow("other role ignored") << 4 << int(Qt::EditRole) << int(Qt::Checked) << false;
    }

    void selectionModel()
    {
        QFETCH(int, row);
        QFETCH(int, role);
        QFETCH(bool, ticked);
        TestsManager shipped;
        TestItemsModel model(nullptr, shipped.groups());
        QStringList rows;
        for (int shown = 0; shown < model.rowCount(); ++shown)
            rows << model.headerData(shown, Qt::Vertical).toString() + ' ' +
                        QString::number(model.flags(model.index(shown)));
        QCOMPARE(rows, (QStringList{"0 0", "1 0", "2 0", "3 0", "4 48", "5 48", "6 48", "7 48"}));
        QFETCH(int, state);
        QVERIFY(model.setData(model.index(row), state, role));
        QCOMPARE(model.index(row).data(Qt::CheckStateRole), QVariant(ticked ? Qt::Checked : Qt::Unchecked));
        QCOMPARE(TestItemsModel(nullptr, nullptr).rowCount(), 0);
    }

    void validity_data()
    {
        QTest::addColumn<QVariantMap>("source");
        QTest::addColumn<ValueMap>("values");
        QTest::addColumn<bool>("valid");
        const auto row = [](const char *name, QVariantMap source, const char *body, const ValueMap &values,
                            bool valid) {
            if (body)
                source.insert("validator", QStringLiteral("(function(){%1})").arg(body));
            QTest::newRow(name) << source << values << valid;
        };
        const QVariantMap text{{"type", "text"}};
        row("text without validator", text, nullptr, {}, true);
        row("boolean unanswered", {{"type", "boolean"}}, nullptr, {}, false);
        row("boolean yes", {{"type", "boolean"}, {"resultboolean", true}}, nullptr, {}, true);
        row("false but ignored", {{"ignorevalidation", true}}, "return false;", {}, true);
        for (const char *failing : {"return false;", "return NaN;", "return (1 <;", "throw 1;", "while(true){}"})
            row(failing, text, failing, {}, false);
        row("missing value", text, "return (#a# > 1);", {}, true);
        row("blank value leaves nothing", text, "return [#a#].length == 0;", {{"a", " "}}, true);
        row("empty value in arithmetic", text, "return (#a# <= 5);", {{"a", ""}}, true);
        row("every occurrence, negative", text, "return #a#-#a#-#b# == 3;", {{"a", "2"}, {"b", "-3"}}, true);
        row("two answers compared", text, "return #a# > #b#;", {{"a", "1"}, {"b", "2"}}, false);
        row("unrelated text value", text, "return #a# == 7;", {{"a", "7"}, {"operator", "Dr. Berger"}}, true);
        row("huge number", text, "return (#a# > 5);", {{"a", QString(400, QLatin1Char('9'))}}, false);
        // Each of these answers would make the rule hold if it were pasted into the script as code.
        for (const char *answer : {"1) || (true", "1); while(true){}; (", "0x1", "this.x=1", "Infinity"})
            row(answer, text, "return (#a# <= 5);", {{"a", answer}}, false);
    }

    void validity()
    {
        QFETCH(QVariantMap, source);
        QFETCH(ValueMap, values);
        const ExpressionEvaluator::Budget budget;
        TestContent content(source);
        content.setValidatorValues(values);
        QTEST(content.isValid(), "valid");
    }

    void timedOutExpressionIsNotRunAgain()
    {
        const QString loopWhilePositive = "(function(){while(#a# > 0){} return 1;})";
        const ExpressionEvaluator::Budget budget;
        QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "1"}}, 100).outcome,
                 ExpressionEvaluator::TimedOut);
        QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "0"}}).outcome, ExpressionEvaluator::TimedOut);
    }

    // Acceptance runs every group; periodic constancy of the visual acceptance tests only the uniform field's;
    // daily constancy the visual tests with the operator, institution and device answers carried over, and no
    // reading of the environment group.
    void testTypesTickTheirGroups()
    {
        const TestsManager catalogue;
        using Numbers = QList<unsigned>;
        using Only = QMap<unsigned, Numbers>;
        QCOMPARE(catalogue.testTypes().size(), 3);
        for (const char *id : {"acceptance", "periodicConstancy"}) {
            QCOMPARE(catalogue.testType(id)->groups, (Numbers{0, 1, 2, 3, 4, 5, 6, 7}));
            QVERIFY(catalogue.testType(id)->carriedOver.isEmpty());
        }
        QVERIFY(catalogue.testType("acceptance")->onlySubgroups.isEmpty());
        QCOMPARE(catalogue.testType("periodicConstancy")->onlySubgroups, (Only{{5, {4}}}));
        const TestsManager::TestType *daily = catalogue.testType("dailyConstancy");
        QCOMPARE(daily->groups, (Numbers{0, 1, 2, 4}));
        QCOMPARE(daily->carriedOver, (Numbers{0, 1, 2}));
        QCOMPARE(daily->onlySubgroups, (Only{{3, {}}}));
        QVERIFY(!catalogue.testType("weekly"));
    }

    // Every content of the shipped catalogue is named in its records and exports by an id of its own.
    void everyContentHasItsId()
    {
        const TestsManager catalogue;
        const QRegularExpression pattern("^content[0-9]{8}$");
        QSet<QString> ids;
        const QList<TestContent *> contents = AnsweredCatalogue::contents(*catalogue.groups());
        for (const TestContent *content : contents) {
            QVERIFY2(pattern.match(content->id()).hasMatch(), qPrintable(content->caption()));
            ids.insert(content->id());
        }
        QCOMPARE(ids.size(), contents.size());
    }

    // The operator's answer to the UN10 pixel errors of type A and to the darkest TG18-LN level.
    void answersOfTheOperator_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<double>("pixelErrors");
        QTest::addColumn<double>("minimumLuminance");
        QTest::addColumn<unsigned>("failures");
        const auto row = [](const char *answer, double pixelErrors, double minimum, unsigned failures) {
            QTest::newRow(answer) << answer << pixelErrors << minimum << failures;
        };
        for (const char *three : {"3", "3 ", " 3", "3,0", "3.0", "+3", "003"})
            row(three, 3, 0.769, 1);
        row("010", 10, 0.769, 1);
        row("012.5", 12.5, 0.769, 1);
        row("1e2", 100, 0.769, 1);
        row("0,5", 0.5, 0.5, 0);
        // An unanswered level leaves the joins over it 0; the limits of the display judge the
        // luminances, not the catalogue.
        row("", 0, 0, 0);
        // A value that cannot be computed fails its content: the pixel errors, maximum, minimum and ratio.
        for (const char *text : {"drei", "3;4", "(function(){})"})
            row(text, qQNaN(), qQNaN(), 4);
    }

    void answersOfTheOperator()
    {
        QFETCH(QString, answer);
        TestsManager manager;
        const QList<TestGroup *> groups = *manager.groups();
        AnsweredCatalogue::fill(groups, AnsweredCatalogue::brightMonitor());
        for (TestContent *asked :
             {groups.at(5)->contentById("content04050100"), groups.at(6)->contentById("content05030000")}) {
            asked->setResultText(answer);
            asked->addOwnValues({{asked->id(), answer}});
        }
        QTEST(AnsweredCatalogue::judge(groups), "failures");
        QTEST(groups.at(5)->contentById("content04060000")->computeJoin(), "pixelErrors");
        QTEST(groups.at(6)->contentById("content05070001")->computeJoin(), "minimumLuminance");
    }

    void joinedValuesAndVerdicts_data()
    {
        QTest::addColumn<Monitor>("monitor");
        // Pixel errors A, B, C, D; dark max, min, light max, min; uniformity dark, light; luminance max, min, ratio.
        QTest::addColumn<QStringList>("joined");
        QTest::addColumn<unsigned>("failures");
        const QStringList pixelErrors{"0", "2", "2", "0"}; // A = 0, B = 2, C = 1 + 1, D = 0 + 0
        const QStringList large{"9.31", "7.96", "272.5", "236.2", "15.634", "14.2717"};
        const QStringList small{"9.12", "8.08", "268.4", "239.9", "12.093", "11.2139"};
        const QStringList bright{"402", "0.52", "773.077"};
        Monitor faulty = AnsweredCatalogue::brightMonitor();
        faulty.pixelErrorsUN10 = {2, 4, 2}; // A beyond 1, C = 1 + 4 within 5, D = 0 + 2 beyond 1
        QTest::newRow("bright 27 inch") << AnsweredCatalogue::brightMonitor() << pixelErrors + large + bright << 0u;
        QTest::newRow("pixel errors") << faulty << QStringList{"2", "2", "5", "2"} + large + bright << 2u;
        // Its luminance and ratio fail the limits of its category, which the catalogue leaves to the judgement.
        QTest::newRow("dim low-contrast 21 inch")
            << AnsweredCatalogue::dimMonitor() << pixelErrors + small + QStringList{"178", "2.1", "84.7619"} << 0u;
    }

    void joinedValuesAndVerdicts()
    {
        QFETCH(Monitor, monitor);
        TestsManager manager;
        const QList<TestGroup *> groups = *manager.groups();
        AnsweredCatalogue::fill(groups, monitor);
        QTEST(AnsweredCatalogue::judge(groups), "failures");
        QStringList results;
        for (const TestContent *content : AnsweredCatalogue::contents(groups)) {
            if (!content->join().isEmpty())
                results.append(content->resultText());
        }
        QTEST(results, "joined");
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
