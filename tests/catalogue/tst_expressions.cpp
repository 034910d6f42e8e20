#include "answeredcatalogue.h"
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
    void validity_data();
    void validity();
    void answersOfTheOperator_data();
    void answersOfTheOperator();
    void timedOutExpressionIsNotRunAgain();
    void joinedValuesAndVerdicts_data();
    void joinedValuesAndVerdicts();
};

void TestExpressions::validity_data()
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
    row("zero", text, "return 0;", {}, ran, false);
    row("other number", text, "return 2;", {}, ran, true);
    row("NaN", text, "return NaN;", {}, ran, false);
    row("empty string", text, "return '';", {}, ran, false);
    row("other string", text, "return 'pass';", {}, ran, true);
    row("undefined", text, "", {}, ran, true);
    row("syntax error", text, "return (1 <;", {}, failed, false);
    row("function throws", text, "throw 1;", {}, failed, false);
    row("endless loop", text, "while(true){}", {}, ExpressionEvaluator::TimedOut, false);
    row("missing value", text, "return (#a# > 1);", {}, open, true);
    row("blank value leaves nothing", text, "return [#a#].length == 0;", {{"a", " "}}, ExpressionEvaluator::Evaluated,
        true);
    row("empty value in arithmetic", text, "return (#a# <= 5);", {{"a", ""}}, open, true);
    row("every occurrence, negative", text, "return #a#-#a#-#b# == 3;", {{"a", "2"}, {"b", "-3"}}, ran, true);
    row("unrelated text value", text, "return #a# == 7;", {{"a", "7"}, {"operator", "Dr. Berger"}}, ran, true);
    row("huge number", text, "return (#a# > 5);", {{"a", QString(400, QLatin1Char('9'))}}, failed, false);
    // Each of these answers would make the rule hold if it were pasted into the script as code.
    for (const char *answer : {"1) || (true", "1); while(true){}; (", "0x1", "this.x=1", "Infinity"})
        row(answer, text, "return (#a# <= 5);", {{"a", answer}}, failed, false);
}

void TestExpressions::validity()
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

QTEST_MAIN(TestExpressions)
#include "tst_expressions.moc"
