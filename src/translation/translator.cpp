#include "translator.h"

#include "languageenvironment.h"
#include "translatorprivate.h"

#include <QCoreApplication>
#include <QDir>

namespace TR {

namespace {

const QString EmbeddedModelPath = QStringLiteral(":/Model.xml");

} // namespace

Translator *Translator::instance()
{
    // Created on first use and deliberately never destroyed: texts may still
    // be looked up while other process-wide objects shut down.
    static Translator *translator = nullptr;
    if (!translator)
        translator = new Translator;
    return translator;
}

Translator::Translator() : d(std::make_shared<TranslatorPrivate>())
{
    TranslatorPrivate *priv = d_func();
    priv->setLocale(priv->preferredLocale());
    priv->scanLanguagePath();
    priv->loadModelFile(EmbeddedModelPath);
}

TranslatorPrivate *Translator::d_func() const
{
    return static_cast<TranslatorPrivate *>(d.get());
}

QStringList Translator::programLanguagePaths()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder + QStringLiteral("/LumivexLanguages"),
            QDir::cleanPath(programFolder + QLatin1String("/" LUMIVEX_INSTALLED_LANGUAGES_FROM_PROGRAM))};
}

void Translator::setLanguagePath(const QString &path)
{
    d_func()->setLanguagePath(path);
}

void Translator::setLanguagePaths(const QStringList &paths)
{
    d_func()->setLanguagePaths(paths);
}

void Translator::setModel(const QMap<QString, QString> &model)
{
    d->engine->setModel(model);
}

void Translator::setLocale(const QString &code)
{
    d_func()->setLocale(code);
    LanguageEnvironment::apply(currentLocale());
}

QString Translator::currentLocale() const
{
    return d->currentLanguage;
}

QString Translator::preferredLocale() const
{
    return d_func()->preferredLocale();
}

QString Translator::translate(const QString &key) const
{
    return d->engine->translate(key);
}

void Translator::translateObject(QObject *object, bool recursive)
{
    d_func()->translateObject(object, recursive);
}

void Translator::fillLanguageComboBox(QComboBox *comboBox)
{
    d_func()->fillLanguageComboBox(comboBox);
}

} // namespace TR
