#include "languageenvironment.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace {

const QString EnglishCode = QStringLiteral("en");

std::unique_ptr<QTranslator> &installedTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

QString LanguageEnvironment::qtTranslationName(const QString &code)
{
    return QStringLiteral("qtbase_") + code;
}

bool LanguageEnvironment::apply(const QString &code)
{
    QLocale locale(code.isEmpty() ? EnglishCode : code);
    // Readings are written without thousands separators, in every language.
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);

    std::unique_ptr<QTranslator> &installed = installedTranslator();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (code.isEmpty() || code == EnglishCode)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(qtTranslationName(code), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        return false;
    if (QCoreApplication::instance())
        QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}
