#pragma once

#include <QString>

class QWidget;
class TestContent;

// Checks a typed reading against the plausible range of its quantity (the limits
// table): a reading that cannot be (0 or below where only a positive one can
// be, a count with a fraction) is refused with the reason; one outside the
// expected range is kept only when the operator confirms it, since "1.000"
// typed for a thousand reads as 1.
class ReadingCheck
{
public:
    // True when the reading may be stored; asks the operator where needed.
    static bool accept(QWidget *parent, const TestContent *content, const QString &text);
    // The text an input shows for the answer: a positive quantity's placeholder
    // "0" is shown empty, so that it is measured rather than accepted.
    static QString shownText(const TestContent *content);
};
