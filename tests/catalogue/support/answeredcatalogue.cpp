#include "answeredcatalogue.h"

#include "expressionevaluator.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"

#include <QSet>

namespace {

using ValueMap = TestContent::ValueMap;

QString formatted(double value)
{
    return QString::number(value, 'g', 6);
}

ValueMap readings(const AnsweredCatalogue::Measurements &m)
{
    ValueMap values{{"content05010000", m.screenDiagonal}, {"content05060000", formatted(m.ambientLuminance)}};
    for (int position = 0; position < m.lightFields.size(); ++position) {
        values.insert(QString::asprintf("content0502%02d00", 2 * position), formatted(m.lightFields.at(position)));
        values.insert(QString::asprintf("content0502%02d00", 2 * position + 1), formatted(m.darkFields.at(position)));
    }
    for (int level = 0; level < m.tg18lnLevels.size(); ++level)
        values.insert(QString::asprintf("content0503%02d00", level), formatted(m.tg18lnLevels.at(level)));
    // UN80 shows the dark subpixels (B), UN10 the bright ones (A); C and D are looked for on both.
    for (int i = 0; i < 3; ++i) {
        values.insert(QString::asprintf("content0405000%d", i), QString::number(m.pixelErrorsUN80.value(i)));
        values.insert(QString::asprintf("content0405010%d", i), QString::number(m.pixelErrorsUN10.value(i)));
    }
    return values;
}

void answer(TestContent *content, const ValueMap &values, const AnsweredCatalogue::Measurements &m)
{
    const TestContent::tTestContentType type = content->type();
    if (type == TestContent::kTestContentTypeBoolean) {
        content->setResultBoolean(true);
    } else if (type == TestContent::kTestContentTypeMultiselect) {
        content->setResultMultiselect(m.ambientClass);
        content->addOwnValues({{content->id(), m.ambientClass}});
    } else if ((type != TestContent::kTestContentTypeText && type != TestContent::kTestContentTypeTextarea) ||
               !content->join().isEmpty()) {
        return;
    } else if (values.contains(content->id())) {
        content->setResultText(values.value(content->id()));
        content->addOwnValues({{content->id(), content->resultText()}});
    } else {
        // Plain replies for the descriptive questions: the operator's name, a number where one is asked.
        content->setResultText(
            ValueMap{{"content_test_00_00_00_00", "Dr. Anna Berger"}, {"content_test_03_01_00_02", "48"}}.value(
                content->caption(), "Yes, as expected"));
    }
}

void mergeOwnValues(const Test *test, ValueMap &session)
{
    for (TestContent *content : qAsConst(*test->content())) {
        const ValueMap own = content->ownValues();
        for (auto it = own.cbegin(); it != own.cend(); ++it) {
            if (!it.key().isEmpty())
                session.insert(it.key(), it.value());
        }
        content->setJoinValues(session);
    }
}

} // namespace

AnsweredCatalogue::Measurements AnsweredCatalogue::brightMonitor()
{
    return {"27",
            {248.1, 255.3, 246.7, 272.5, 268.4, 257.2, 241.5, 236.2, 239.9},
            {8.42, 8.71, 8.35, 9.31, 9.12, 8.77, 8.19, 7.96, 8.08},
            {0.52, 0.769, 1.137, 1.681, 2.486, 3.677, 5.44, 8.04, 11.89, 17.58, 26.0, 38.45, 56.85, 84.07, 124.32,
             183.84, 271.85, 402.0},
            0.35,
            "300",
            {2, 1, 0},
            {0, 1, 0}};
}

AnsweredCatalogue::Measurements AnsweredCatalogue::dimMonitor()
{
    Measurements m = brightMonitor();
    m.screenDiagonal = QStringLiteral("21");
    m.tg18lnLevels = {2.1,   2.73,  3.54,  4.6,   5.97,  7.75,  10.06,  13.07,  16.97,
                      22.03, 28.61, 37.14, 48.23, 62.62, 81.31, 105.58, 137.09, 178.0};
    m.ambientClass = QStringLiteral("200");
    return m;
}

void AnsweredCatalogue::fill(const QList<TestGroup *> &groups, const Measurements &measurements)
{
    const ValueMap values = readings(measurements);
    for (TestContent *content : contents(groups))
        answer(content, values, measurements);
}

unsigned AnsweredCatalogue::judge(const QList<TestGroup *> &groups)
{
    const ExpressionEvaluator::Budget budget;
    ValueMap session;
    for (const Test *test : tests(groups)) {
        mergeOwnValues(test, session);
        for (TestContent *content : qAsConst(*test->content())) {
            const double joined = content->computeJoin();
            if (joined != -1.0)
                content->setResultText(formatted(joined));
            mergeOwnValues(test, session);
        }
    }
    // Every validator sees the first answer of each content that any join or validator names.
    const QList<TestContent *> all = contents(groups);
    QSet<QString> named;
    for (const TestContent *content : all) {
        for (const QString &id : content->joinIds() + content->validatorIds())
            named.insert(id);
    }
    ValueMap current;
    for (const TestContent *content : all) {
        if (named.contains(content->id()) && !current.contains(content->id()))
            current.insert(content->id(), content->type() == TestContent::kTestContentTypeMultiselect
                                              ? content->resultMultiselect()
                                              : content->resultText());
    }
    unsigned failed = 0;
    for (TestContent *content : all) {
        content->setValidatorValues(current);
        content->addOwnValues(current);
    }
    for (const TestGroup *group : groups)
        failed += group->failedContentsCount();
    return failed;
}

QList<Test *> AnsweredCatalogue::tests(const QList<TestGroup *> &groups)
{
    QList<Test *> tests;
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups()))
            tests.append(*subgroup->tests());
    }
    return tests;
}

QList<TestContent *> AnsweredCatalogue::contents(const QList<TestGroup *> &groups)
{
    QList<TestContent *> all;
    for (const Test *test : tests(groups))
        all.append(*test->content());
    return all;
}
