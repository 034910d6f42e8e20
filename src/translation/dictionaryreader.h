#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>

#include <optional>

namespace TR {

// Reads the two XML formats of the translator.
//
// A model is <Model><Entry Key="..." Value="..."/>...</Model>; a backslash
// followed by "n" in a value stands for a line break.
// A language file is <Language Name="..."><Definition><Unit ID="..." Text="..."/>
// ...</Definition></Language>. The names of the entry elements are not checked.
// Entries with an empty key or ID are skipped and a later duplicate wins.
class DictionaryReader
{
public:
    static QMap<QString, QString> readModel(const QByteArray &xml);
    static QMap<QString, QString> readModelFile(const QString &path);

    // std::nullopt when the text is not well-formed XML; a document without
    // <Language> or <Definition> gives an empty table.
    static std::optional<QHash<QString, QString>> readLanguage(const QByteArray &xml);
    static std::optional<QHash<QString, QString>> readLanguageFile(const QString &path);

    // The Name attribute of the first <Language> element, capitalised
    // ("DEUTSCH" -> "Deutsch"); empty when the file cannot be read or is
    // malformed before that element. Reads only as far as that element.
    static QString readLanguageName(const QString &path);
};

} // namespace TR
