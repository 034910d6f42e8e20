#pragma once

#include <QString>

// The sources of the limits as the report prints them. A stored verdict keeps
// its source in English, as the built-in limits table writes it; each built-in
// source is a translation key ("limitsource_…") whose English text is that
// source, so the report prints it in the operator's language, also for
// sessions stored before. A source a site wrote in its own limits file is
// printed as written.
class LimitSourceText
{
public:
    static QString shown(const QString &stored);
    // The limits table's version for the footer, the built-in table's
    // description translated wherever it appears in it.
    static QString version(const QString &stored);
};
