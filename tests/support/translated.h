#pragma once

#include "translator.h"

// The program's text of the key in the language set.
inline QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}
