#include "answeredcatalogue.h"
#include "defaultdictionary.h"
#include "expressionevaluator.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "testsubgroup.h"

#include <QtTest>

using ValueMap = TestContent::ValueMap;

Q_DECLARE_METATYPE(AnsweredCatalogue::Measurements)

// Expressions, the answers they read and the verdicts they give. Real readings
// of monitors go through the embedded catalogue; the expected figures were
// worked out by hand, e.g. the dark uniformity of the 27-inch monitor:
// 200 * (9.31 - 7.96) / (9.31 + 7.96) = 15.634 %.
class TestExpressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extractIds_data();
    void extractIds();
    void evaluate_data();
    void evaluate();
    void validity_data();
    void validity();
    void answersOfTheOperator_data();
    void answersOfTheOperator();
    void timedOutExpressionIsNotRunAgain();
    void joinedValuesAndVerdicts_data();
    void joinedValuesAndVerdicts();
    void shippedKeysAreDictionaryKeys();
};

void TestExpressions::extractIds_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("two ids") << "(#content04050001# + #content04050101#)"
                             << QStringList{"content04050001", "content04050101"};
    QTest::newRow("same id twice") << "(#a# / #a#)" << QStringList{"a", "a"};
    QTest::newRow("unpaired hash") << "(#a# + #b)" << QStringList{"a"};
}

void TestExpressions::extractIds()
{
    QFETCH(QString, expression);
    QFETCH(QStringList, ids);
    QCOMPARE(TestContent::extractIds(expression), ids);
}

void TestExpressions::evaluate_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<ValueMap>("values");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QVariant>("result");
    const QString rule = "(function(){return (#a# <= 5);})";
    const auto row = [](const char *name) { return &QTest::newRow(name); };
    *row("string") << "(function(){return 'pass';})" << ValueMap{} << int(ExpressionEvaluator::Evaluated)
                   << QVariant("pass");
    *row("empty expression") << QString() << ValueMap{} << int(ExpressionEvaluator::Unanswered) << QVariant();
    *row("missing id") << rule << ValueMap{} << int(ExpressionEvaluator::Unanswered) << QVariant();
    *row("empty value leaves nothing") << "(function(){return [#a#].length;})" << ValueMap{{"a", " "}}
                                       << int(ExpressionEvaluator::Evaluated) << QVariant(0.0);
    *row("empty value in arithmetic") << rule << ValueMap{{"a", ""}} << int(ExpressionEvaluator::Unanswered)
                                      << QVariant();
    *row("syntax error") << "(function(){return (1 < );})" << ValueMap{} << int(ExpressionEvaluator::Failed)
                         << QVariant();
    *row("function throws") << "(function(){throw 1;})" << ValueMap{} << int(ExpressionEvaluator::Failed) << QVariant();
    *row("every occurrence, negative") << "(function(){return #a#-#a#-#b#;})" << ValueMap{{"a", "2"}, {"b", "-3"}}
                                       << int(ExpressionEvaluator::Evaluated) << QVariant(3.0);
    *row("huge number") << rule << ValueMap{{"a", QString(400, QLatin1Char('9'))}} << int(ExpressionEvaluator::Failed)
                        << QVariant();
    *row("unrelated text value") << "(function(){return #a#;})" << ValueMap{{"a", "7"}, {"operator", "Dr. Berger"}}
                                 << int(ExpressionEvaluator::Evaluated) << QVariant(7.0);
    // Each of these answers would make the rule hold if it were pasted into the script as code.
    for (const char *answer : {"1) || (true", "1); while(true){}; (", "0x1", "this.x=1", "Infinity"})
        *row(answer) << rule << ValueMap{{"a", answer}} << int(ExpressionEvaluator::Failed) << QVariant();
}

void TestExpressions::evaluate()
{
    QFETCH(QString, expression);
    QFETCH(ValueMap, values);
    QFETCH(int, outcome);
    QFETCH(QVariant, result);
    const ExpressionEvaluator::Result evaluated = ExpressionEvaluator::evaluate(expression, values);
    QCOMPARE(int(evaluated.outcome), outcome);
    QCOMPARE(evaluated.value, result);
    QCOMPARE(TestContent::evaluateExpression(expression, values), result);
}

void TestExpressions::validity_data()
{
    QTest::addColumn<QVariantMap>("source");
    QTest::addColumn<bool>("valid");
    const auto validator = [](const char *body, bool ignored = false) {
        return QVariantMap{{"type", "text"},
                           {"ignorevalidation", ignored},
                           {"validator", QStringLiteral("(function(){%1})").arg(body)}};
    };
    QTest::newRow("text without validator") << QVariantMap{{"type", "text"}} << true;
    QTest::newRow("boolean unanswered") << QVariantMap{{"type", "boolean"}} << false;
    QTest::newRow("boolean yes") << QVariantMap{{"type", "boolean"}, {"resultboolean", true}} << true;
    QTest::newRow("boolean ignoring validation")
        << QVariantMap{{"type", "boolean"}, {"ignorevalidation", true}} << true;
    QTest::newRow("false but ignored") << validator("return false;", true) << true;
    QTest::newRow("false") << validator("return false;") << false;
    QTest::newRow("zero") << validator("return 0;") << false;
    QTest::newRow("other number") << validator("return 2;") << true;
    QTest::newRow("NaN") << validator("return NaN;") << false;
    QTest::newRow("empty string") << validator("return '';") << false;
    QTest::newRow("undefined") << validator("") << true;
    QTest::newRow("syntax error") << validator("return (1 <;") << false;
    QTest::newRow("missing value") << validator("return (#nowhere# > 1);") << true;
    QTest::newRow("endless loop") << validator("while(true){}") << false;
}

void TestExpressions::validity()
{
    QFETCH(QVariantMap, source);
    QFETCH(bool, valid);
    QCOMPARE(TestContent(source).isValid(), valid);
}

// The pixel errors of type A on UN10 (limit 1) and the lowest TG18-LN level,
// the minimum luminance whose ratio to the maximum must reach 100, answered as
// operators type them. The joined values are what the report prints; NaN shows
// as "inputError".
void TestExpressions::answersOfTheOperator_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("number"); // what the script reads
    QTest::addColumn<double>("pixelErrors");
    QTest::addColumn<double>("minimumLuminance");
    QTest::addColumn<unsigned>("failures");
    const double nan = qQNaN();
    const auto row = [](const char *answer, const char *number, double pixelErrors, double minimum, unsigned failures) {
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

void TestExpressions::answersOfTheOperator()
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

void TestExpressions::timedOutExpressionIsNotRunAgain()
{
    const QString loopWhilePositive = "(function(){while(#a# > 0){} return 1;})";
    const ExpressionEvaluator::Budget budget;
    QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "1"}}, 100).outcome,
             ExpressionEvaluator::TimedOut);
    QCOMPARE(ExpressionEvaluator::evaluate(loopWhilePositive, {{"a", "0"}}).outcome, ExpressionEvaluator::TimedOut);
    QCOMPARE(ExpressionEvaluator::evaluate("(function(){return 6 * 7;})", {}).value, QVariant(42.0));
}

void TestExpressions::joinedValuesAndVerdicts_data()
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

void TestExpressions::joinedValuesAndVerdicts()
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

// Keys of the embedded catalogue that the dictionary does not know show as
// the key itself: only the subgroup of group 0 and the pixel-error notes.
void TestExpressions::shippedKeysAreDictionaryKeys()
{
    TestsManager manager;
    const QList<TestGroup *> groups = *manager.groups();
    QStringList keys;
    for (const TestGroup *group : groups) {
        keys << group->title() << group->report();
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            keys << subgroup->title() << subgroup->report();
    }
    for (const Test *test : AnsweredCatalogue::tests(groups))
        keys << test->title();
    for (const TestContent *content : AnsweredCatalogue::contents(groups)) {
        keys << content->caption() << content->report();
        if (!content->reportDescription().isEmpty())
            keys << content->reportDescription();
    }
    QSet<QString> unknown;
    for (const QString &key : qAsConst(keys)) {
        if (!TR::defaultDictionary().contains(key))
            unknown.insert(key);
    }
    QCOMPARE(unknown,
             (QSet<QString>{"title_subgroup_00_00", "report_subgroup_00_00", "reportdescription_content_05_05_00_00",
                            "reportdescription_content_05_05_00_01", "reportdescription_content_05_05_00_02",
                            "reportdescription_content_05_05_01_00", "reportdescription_content_05_05_01_01",
                            "reportdescription_content_05_05_01_02"}));
}

QTEST_MAIN(TestExpressions)
#include "tst_expressions.moc"
