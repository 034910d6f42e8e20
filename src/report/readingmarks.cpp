#include "readingmarks.h"

#include "meterfield.h"
#include "readingsource.h"
#include "test.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testsubgroup.h"
#include "translator.h"

namespace {

bool isMeterReading(const TestContent *content)
{
    return ReadingSource::isMeterReading(content->readingSource(), content->resultText());
}

} // namespace

QString ReadingMarks::markFor(const TestContent *content)
{
    if (!isMeterReading(content))
        return QString();
    return QLatin1Char(' ') + TR::Translator::instance()->translate(QStringLiteral("meter_reportMark"));
}

QString ReadingMarks::summary(const QList<TestGroup *> &groups)
{
    int readable = 0;
    int read = 0;
    QString firstSource;
    for (const TestGroup *group : groups) {
        for (const TestSubgroup *subgroup : qAsConst(*group->subgroups())) {
            for (const Test *test : qAsConst(*subgroup->tests())) {
                for (const TestContent *content : qAsConst(*test->content())) {
                    if (MeterField::kindOf(test, content) == MeterField::None || content->resultText().isEmpty())
                        continue;
                    ++readable;
                    if (!isMeterReading(content))
                        continue;
                    ++read;
                    if (firstSource.isEmpty())
                        firstSource = ReadingSource::describe(content->readingSource());
                }
            }
        }
    }
    if (read == 0)
        return QString();
    return TR::Translator::instance()
        ->translate(QStringLiteral("meter_reportNote"))
        .arg(firstSource)
        .arg(read)
        .arg(readable);
}
