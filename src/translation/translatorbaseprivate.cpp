#include "translatorbaseprivate.h"

#include <QDir>
#include <QFileInfo>

namespace TR {

TranslatorBasePrivate::TranslatorBasePrivate()
    : currentLanguage(DefaultLanguageCode),
      engine(std::make_unique<DictionaryEngine>()), codeAliases{{QStringLiteral("el"), QStringLiteral("gr")}}
{
}

TranslatorBasePrivate::~TranslatorBasePrivate() = default;

QString TranslatorBasePrivate::systemLanguage() const
{
    return QString();
}

// The folder and the file name are joined with the platform's separator. A
// backslash only separates folders on Windows; elsewhere it is an ordinary
// character of a file name.
QString TranslatorBasePrivate::pathInFolder(const QString &folder, const QString &fileName)
{
    const bool needsSeparator =
        !folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator());
    return needsSeparator ? folder + QDir::separator() + fileName : folder + fileName;
}

// The first folder is the one beside the program: a site's own file there
// replaces an installed one of the same name.
QString TranslatorBasePrivate::pathInLanguageFolder(const QString &fileName) const
{
    const QString own = pathInFolder(languagePath, fileName);
    if (QFileInfo::exists(own))
        return own;
    for (const QString &folder : sharedLanguagePaths) {
        const QString shared = pathInFolder(folder, fileName);
        if (QFileInfo::exists(shared))
            return shared;
    }
    return own;
}

QString TranslatorBasePrivate::languageFilePath(const QString &code) const
{
    const QString fileCode = codeAliases.value(code, code);
    return pathInLanguageFolder(filePrefix + fileCode + fileSuffix + LanguageFileExtension);
}

QString TranslatorBasePrivate::stemOfFileName(const QString &fileName)
{
    const int extension = fileName.lastIndexOf(QLatin1Char('.'));
    return extension < 0 ? fileName : fileName.left(extension);
}

QString TranslatorBasePrivate::codeOfFileName(const QString &fileName) const
{
    QString code = stemOfFileName(fileName);
    if (code.size() >= filePrefix.size())
        code.remove(0, filePrefix.size());
    if (code.size() >= fileSuffix.size())
        code.chop(fileSuffix.size());
    return code;
}

} // namespace TR
