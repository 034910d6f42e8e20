#pragma once

#include "judgement.h"

#include <QList>
#include <QString>

class TestGroup;

// What failed in a session, one line each, in the translator's language: every
// failed check with its answer and what it asks for, every failed verdict with
// its measured value and limit. The operator reads it before the test is stored,
// and the report opens with it.
class FailureSummary
{
public:
    struct Line
    {
        QString what;   // the answer's caption, or the judged quantity
        QString detail; // "0.9; required: ..." or "212.0 cd/m2, at least 250 cd/m2: failed"
    };

    static QList<Line> lines(const QList<TestGroup *> &groups, const Judgement &judgement);
    // "4 errors were encountered:" followed by the lines, for a message box.
    static QString text(const QList<Line> &lines);
};
