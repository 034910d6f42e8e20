#include "translatorbaseprivate.h"

#include <QDir>

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
QString TranslatorBasePrivate::pathInLanguageFolder(const QString &fileName) const
{
    const bool needsSeparator = !languagePath.isEmpty() && !languagePath.endsWith(QLatin1Char('/')) &&
                                !languagePath.endsWith(QDir::separator());
    return needsSeparator ? languagePath + QDir::separator() + fileName : languagePath + fileName;
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
