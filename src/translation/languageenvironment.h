#pragma once

#include <QString>

// What follows the operator's language beyond the program's own texts: Qt's own
// texts (calendar, print dialog, standard buttons) and the formats of dates and
// numbers, through the default locale.
class LanguageEnvironment
{
public:
    // Installs Qt's translation of that language code in place of the previous
    // one and makes its locale the default; returns whether Qt has a translation
    // for it (English needs none).
    static bool apply(const QString &code);
    // The file name Qt's translation of that language has, e.g. qtbase_de.
    static QString qtTranslationName(const QString &code);
};
