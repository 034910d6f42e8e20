#include "expressionevaluator.h"
#include "testcontent.h"

#include <QtTest>

using ValueMap = TestContent::ValueMap;

class TestExpressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extractIds_data();
    void extractIds();
    void evaluate_data();
    void evaluate();
    void endlessScriptIsAborted_data();
    void endlessScriptIsAborted();
    void join_data();
    void join();
    void validity_data();
    void validity();
    void validatorValuesKeepOnlyNamedIds();
};

void TestExpressions::extractIds_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("two ids") << "(function (){return (#content04050001# + #content04050101#);})"
                             << QStringList{"content04050001", "content04050101"};
    QTest::newRow("same id twice") << "(function(){return (#a# / #a#);})" << QStringList{"a", "a"};
    QTest::newRow("no placeholder") << "(function(){return true;})" << QStringList{};
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
    QTest::addColumn<QVariant>("result");
    const ValueMap none;
    QTest::newRow("number") << "(function(){return 1.5;})" << none << QVariant(1.5);
    QTest::newRow("string") << "(function(){return 'pass';})" << none << QVariant(QStringLiteral("pass"));
    QTest::newRow("undefined") << "(function(){})" << none << QVariant();
    QTest::newRow("empty expression") << QString() << none << QVariant();
    QTest::newRow("syntax error") << "(function(){return (1 < );})" << none << QVariant();
    QTest::newRow("function throws") << "(function(){throw new Error('x');})" << none << QVariant();
    QTest::newRow("missing id keeps placeholder") << "(function(){return (#a# < 23);})" << none << QVariant();
    QTest::newRow("every occurrence") << "(function(){return #a# + #a#;})" << ValueMap{{"a", "2"}} << QVariant(4.0);
    QTest::newRow("negative and exponent")
        << "(function(){return #a# * #b#;})" << ValueMap{{"a", "-2"}, {"b", "1.5e2"}} << QVariant(-300.0);
    QTest::newRow("empty value leaves nothing")
        << "(function(){return [#a#].length;})" << ValueMap{{"a", ""}} << QVariant(0.0);
    QTest::newRow("empty value in arithmetic")
        << "(function(){return (#a# < 23);})" << ValueMap{{"a", ""}} << QVariant();
    QTest::newRow("huge number") << "(function(){return #a# > 1;})"
                                 << ValueMap{{"a", QStringLiteral("9").repeated(400)}} << QVariant(true);
    QTest::newRow("unrelated text value ignored")
        << "(function(){return #a#;})" << ValueMap{{"a", "7"}, {"operator", "Dr. Berger"}} << QVariant(7.0);

    // Each of these answers would make the rule hold if it were pasted into the script as code.
    const QString rule = "(function(){return (#a# <= 5);})";
    QTest::newRow("script answer") << rule << ValueMap{{"a", "1) || (true"}} << QVariant();
    QTest::newRow("endless script answer") << rule << ValueMap{{"a", "1); while(true){}; ("}} << QVariant();
    QTest::newRow("comma operator answer") << rule << ValueMap{{"a", "9,5"}} << QVariant();
    QTest::newRow("answer with leading blank") << rule << ValueMap{{"a", " 5"}} << QVariant();
    QTest::newRow("hexadecimal answer") << rule << ValueMap{{"a", "0x1"}} << QVariant();
    QTest::newRow("global access answer") << rule << ValueMap{{"a", "this.x=1"}} << QVariant();
}

void TestExpressions::evaluate()
{
    QFETCH(QString, expression);
    QFETCH(ValueMap, values);
    QFETCH(QVariant, result);
    QCOMPARE(TestContent::evaluateExpression(expression, values), result);
}

void TestExpressions::endlessScriptIsAborted_data()
{
    QTest::addColumn<QString>("expression");
    QTest::newRow("empty-body loop in function") << "(function(){while(true){}})";
    QTest::newRow("loop while evaluating") << "while(true){}";
    QTest::newRow("busy loop") << "(function(){var i = 0; for(;;){i++;}})";
}

void TestExpressions::endlessScriptIsAborted()
{
    QFETCH(QString, expression);
    QCOMPARE(ExpressionEvaluator::evaluate(expression, {}, 200), QVariant());
    // An aborted evaluation leaves nothing behind that stops the next one.
    QCOMPARE(ExpressionEvaluator::evaluate("(function(){return 6 * 7;})", {}), QVariant(42.0));
}

void TestExpressions::join_data()
{
    QTest::addColumn<QVariantMap>("source");
    QTest::addColumn<ValueMap>("values");
    QTest::addColumn<double>("result");
    QTest::addColumn<ValueMap>("ownValues");
    const QVariantMap pixelErrors{
        {"id", "content04060000"}, {"type", "text"}, {"join", "(function (){return (#content04050100#);})"}};
    QTest::newRow("no join") << QVariantMap{{"id", "x"}, {"type", "text"}} << ValueMap{} << -1.0 << ValueMap{};
    QTest::newRow("missing value gives 0") << pixelErrors << ValueMap{} << 0.0 << ValueMap{{"content04060000", ""}};
    QTest::newRow("string result") << QVariantMap{{"id", "s"}, {"join", "(function(){return 'abc';})"}} << ValueMap{}
                                   << 0.0 << ValueMap{{"s", "abc"}};
    QTest::newRow("content without id") << QVariantMap{{"join", "(function(){return 200 * (#a# - #b#)/(#a# + #b#);})"}}
                                        << ValueMap{{"a", "9.12"}, {"b", "8.08"}} << 200 * (9.12 - 8.08) / (9.12 + 8.08)
                                        << ValueMap{};
}

void TestExpressions::join()
{
    QFETCH(QVariantMap, source);
    QFETCH(ValueMap, values);
    QFETCH(double, result);
    QFETCH(ValueMap, ownValues);
    TestContent content(source);
    content.setJoinValues(values);
    QCOMPARE(content.computeJoin(), result);
    QCOMPARE(content.ownValues(), ownValues);
}

void TestExpressions::validity_data()
{
    QTest::addColumn<QVariantMap>("source");
    QTest::addColumn<bool>("valid");
    const auto validator = [](const char *body) {
        return QVariantMap{{"type", "text"}, {"validator", QStringLiteral("(function(){return %1;})").arg(body)}};
    };
    QTest::newRow("text without validator") << QVariantMap{{"type", "text"}} << true;
    QTest::newRow("boolean unanswered") << QVariantMap{{"type", "boolean"}} << false;
    QTest::newRow("boolean yes") << QVariantMap{{"type", "boolean"}, {"resultboolean", true}} << true;
    QTest::newRow("boolean ignoring validation")
        << QVariantMap{{"type", "boolean"}, {"ignorevalidation", true}} << true;
    QVariantMap ignored = validator("false");
    ignored.insert("ignorevalidation", true);
    QTest::newRow("false but ignored") << ignored << true;
    QTest::newRow("false") << validator("false") << false;
    QTest::newRow("true") << validator("true") << true;
    QTest::newRow("zero") << validator("0") << false;
    QTest::newRow("other number") << validator("2") << true;
    QTest::newRow("NaN") << validator("NaN") << false;
    QTest::newRow("empty string") << validator("''") << false;
    QTest::newRow("other string") << validator("'ok'") << true;
    QTest::newRow("undefined") << validator("undefined") << true;
    QTest::newRow("syntax error") << validator("(1 <") << true;
    QTest::newRow("missing value") << validator("(#nowhere# > 1)") << true;
}

void TestExpressions::validity()
{
    QFETCH(QVariantMap, source);
    QFETCH(bool, valid);
    QCOMPARE(TestContent(source).isValid(), valid);
}

void TestExpressions::validatorValuesKeepOnlyNamedIds()
{
    TestContent content({{"validator", "(function(){return ((#a#) >= 1.1 * (#b#));})"}});
    QCOMPARE(content.validatorIds(), (QStringList{"a", "b"}));
    content.setValidatorValues({{"a", "1"}, {"c", "5"}});
    content.setValidatorValues({{"b", "2"}});
    QCOMPARE(content.validatorValues(), (ValueMap{{"a", "1"}, {"b", "2"}}));
    QVERIFY(!content.isValid());
    content.setValidatorValues({{"a", "2.3"}});
    QVERIFY(content.isValid());
}

QTEST_GUILESS_MAIN(TestExpressions)
#include "tst_expressions.moc"
