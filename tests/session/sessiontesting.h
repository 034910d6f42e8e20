#pragma once

#include "defaultdictionary.h"
#include "test.h"
#include "translator.h"

#include <QJsonDocument>
#include <QString>

#include <memory>

namespace SessionTesting {

// A test of the catalogue written inline as JSON, e.g. {"content":[{"type":"text"}]}.
inline std::unique_ptr<Test> makeTest(const char *json)
{
    return std::make_unique<Test>(QJsonDocument::fromJson(json).toVariant().toMap());
}

// The operator sees the program's English texts.
inline void useEnglish()
{
    TR::Translator::instance()->setModel(TR::defaultDictionary());
}

inline QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace SessionTesting
