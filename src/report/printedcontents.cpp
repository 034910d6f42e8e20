#include "printedcontents.h"

#include "test.h"
#include "testcontent.h"

PrintedContents::PrintedContents(const QList<TestContent *> &contents, bool luminanceTableShown)
    : m_luminanceTableShown(luminanceTableShown)
{
    for (const TestContent *content : contents) {
        // Only a computed value that is printed itself shows the answers it reads.
        if (content->hideFromReport())
            continue;
        const QStringList read = content->joinIds();
        m_readByComputedValues.unite(QSet<QString>(read.begin(), read.end()));
    }
}

namespace {

// A yes/no question always holds its answer; a text or a choice only once something was typed or chosen.
bool answered(const TestContent *content)
{
    switch (content->type()) {
    case TestContent::kTestContentTypeBoolean:
        return true;
    case TestContent::kTestContentTypeMultiselect:
        return !content->resultMultiselect().isEmpty();
    case TestContent::kTestContentTypeText:
    case TestContent::kTestContentTypeTextarea:
        return !content->resultText().isEmpty();
    default:
        return false;
    }
}

} // namespace

bool PrintedContents::printed(const Test *test, const TestContent *content) const
{
    // An operator's note is printed whatever the answer or verdict, so a content that holds one keeps its row.
    if (!content->hideFromReport() || !content->note().trimmed().isEmpty())
        return true;
    if (!answered(content))
        return false;
    if (m_luminanceTableShown && test->patternString().startsWith(QLatin1String("kTestPatternTG18LN")))
        return false;
    return !m_readByComputedValues.contains(content->id());
}
