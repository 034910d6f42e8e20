#pragma once

#include <QList>
#include <QSet>
#include <QString>

class Test;
class TestContent;

// Which answers the report prints as rows of their own. A content marked hidden from the report is left out only
// where it holds no answer or its answer is printed in another form: read by a value the session computed from it,
// or a TG18-LN reading listed in the luminance response's table, and unless the operator wrote a note on it. Any
// other answer is printed, so no answer or note of a record is missing from its report, whatever its flags say.
class PrintedContents
{
public:
    PrintedContents() = default;
    PrintedContents(const QList<TestContent *> &contents, bool luminanceTableShown);

    bool printed(const Test *test, const TestContent *content) const;

private:
    QSet<QString> m_readByComputedValues;
    bool m_luminanceTableShown = false;
};
