#include "failuresummary.h"

#include "localformats.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"
#include "verdicttext.h"

namespace {

QString translated(const QString &key)
{
    return key.isEmpty() ? QString() : TR::Translator::instance()->translate(key);
}

QString answerText(const Test *test, const TestContent *content)
{
    if (test->validatable())
        return translated(QStringLiteral("measure_summaryRejected"));
    if (content->type() == TestContent::kTestContentTypeBoolean)
        return translated(content->resultBoolean() ? QStringLiteral("yes") : QStringLiteral("no"));
    if (!content->join().isEmpty())
        return LocalFormats::reading(content->resultJoin());
    return LocalFormats::reading(content->shownResultText());
}

QString captionOf(const Test *test, const TestContent *content)
{
    for (const QString &key : {content->report(), content->caption(), test->title()}) {
        const QString text = translated(key);
        if (!text.isEmpty())
            return text;
    }
    return content->id();
}

} // namespace

QList<FailureSummary::Line> FailureSummary::lines(const QList<TestGroup *> &groups, const Judgement &judgement)
{
    QList<Line> lines;
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests())) {
                for (const TestContent *content : qAsConst(*test->content())) {
                    if (content->isValid())
                        continue;
                    QString detail = answerText(test, content);
                    const QString asked = translated(content->reportDescription());
                    if (!asked.isEmpty())
                        detail = translated(QStringLiteral("measure_summaryRequired")).arg(detail, asked);
                    lines.append({captionOf(test, content), detail});
                }
            }
        }
    }
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (!verdict.passed)
            lines.append({VerdictText::quantity(verdict), VerdictText::outcome(verdict, verdict.problemSubject)});
    }
    return lines;
}

QString FailureSummary::text(const QList<Line> &lines)
{
    QStringList shown{translated(QStringLiteral("alertfailedtest")).arg(lines.size())};
    for (const Line &line : lines)
        shown << QStringLiteral("\u2022 %1: %2").arg(line.what, line.detail);
    return shown.join(QLatin1Char('\n'));
}
