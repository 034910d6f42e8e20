#pragma once

#include "defaultdictionary.h"
#include "testconfig.h"
#include "translator.h"

// The translator on the program's dictionary and the language files shipped
// beside the built programs.
inline void useShippedLanguages()
{
    TR::Translator::instance()->setLanguagePath(QStringLiteral(LUMIVEX_BIN_DIR "/LumivexLanguages"));
    TR::Translator::instance()->setModel(TR::defaultDictionary());
}
