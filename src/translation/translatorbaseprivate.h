#pragma once

#include "dictionaryengine.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace TR {

inline const QString DefaultLanguageCode = QStringLiteral("en");
inline const QString DefaultLanguageName = QStringLiteral("English");
inline const QString LanguageFileExtension = QStringLiteral(".xml");
inline const QString FlagIconPath = QStringLiteral(":/flags/%1");

// The translator's state that needs neither widgets nor files: the language
// in use, where and under which names language files live, and the
// dictionary engine.
class TranslatorBasePrivate
{
public:
    TranslatorBasePrivate();
    virtual ~TranslatorBasePrivate();

    // The operating system's language code; empty when unknown.
    virtual QString systemLanguage() const;

    // "l_pt.br.xml" -> "l_pt.br": the name without what follows its last ".".
    static QString stemOfFileName(const QString &fileName);
    static QString pathInFolder(const QString &folder, const QString &fileName);
    QString pathInLanguageFolder(const QString &fileName) const;
    QString languageFilePath(const QString &code) const;
    QString codeOfFileName(const QString &fileName) const;

    QString currentLanguage;
    QString languagePath;
    // Folders looked in after languagePath (the installed languages); a file
    // of the same name in languagePath wins.
    QStringList sharedLanguagePaths;
    QString filePrefix = QStringLiteral("l_");
    QString fileSuffix;
    std::unique_ptr<DictionaryEngine> engine;
    QMap<QString, QString> codeAliases;
};

} // namespace TR
