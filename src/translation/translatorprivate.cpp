#include "translatorprivate.h"

#include "dictionaryreader.h"

#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QMetaProperty>

namespace TR {

namespace {

const char *const KeyProperty = "defaultText";
const char *const TargetProperties[] = {"text", "title", "windowTitle"};

QIcon flagIcon(const QString &code)
{
    return QIcon(FlagIconPath.arg(code));
}

} // namespace

QString TranslatorPrivate::systemLanguage() const
{
    return languageOfLocaleName(QLocale::system().name());
}

QString TranslatorPrivate::languageOfLocaleName(const QString &localeName)
{
    const int separator = localeName.lastIndexOf(QLatin1Char('_'));
    return separator < 0 ? QString() : localeName.left(separator);
}

void TranslatorPrivate::setLanguagePath(const QString &path)
{
    setLanguagePaths({path});
}

void TranslatorPrivate::setLanguagePaths(const QStringList &paths)
{
    languagePath = paths.value(0);
    sharedLanguagePaths = paths.mid(1);
    qDebug().noquote() << "[TRANSLATOR] Language path:" << paths.join(QLatin1Char(':'));
    scanLanguagePath();
}

// Only names spelled exactly as the loader builds them are listed: a file
// named "l_de.XML" would be offered but could not be loaded.
void TranslatorPrivate::scanLanguagePath()
{
    QStringList kept;
    for (const QString &folder : QStringList(languagePath) + sharedLanguagePaths) {
        const QStringList entries = QDir(folder).entryList({QLatin1Char('*') + LanguageFileExtension},
                                                           QDir::Files | QDir::CaseSensitive, QDir::NoSort);
        for (const QString &entry : entries) {
            const QString stem = stemOfFileName(entry);
            if (stem.startsWith(filePrefix) && stem.endsWith(fileSuffix) && !kept.contains(entry))
                kept << entry;
        }
    }
    languageFiles = kept;
}

void TranslatorPrivate::loadModelFile(const QString &path)
{
    engine->setModel(DictionaryReader::readModelFile(path));
}

std::optional<QHash<QString, QString>> TranslatorPrivate::loadLanguage(const QString &code) const
{
    if (code.isEmpty())
        return std::nullopt;
    return DictionaryReader::readLanguageFile(languageFilePath(code));
}

bool TranslatorPrivate::isAvailable(const QString &code) const
{
    return code == DefaultLanguageCode || loadLanguage(code).has_value();
}

// English needs no file: without one its units stand for themselves.
void TranslatorPrivate::setLocale(const QString &code)
{
    const std::optional<QHash<QString, QString>> units = loadLanguage(code);
    if (units || code == DefaultLanguageCode) {
        currentLanguage = code;
        engine->setUnits(units.value_or(QHash<QString, QString>()));
    }
    qDebug().noquote() << "[TRANSLATOR] Locale loaded:" << currentLanguage;
}

QString TranslatorPrivate::preferredLocale() const
{
    const QString system = systemLanguage();
    return isAvailable(system) ? system : DefaultLanguageCode;
}

void TranslatorPrivate::translateObject(QObject *object, bool recursive) const
{
    if (!object)
        return;
    relabel(object);
    if (!recursive)
        return;
    const QList<QObject *> descendants = object->findChildren<QObject *>();
    for (QObject *descendant : descendants)
        relabel(descendant);
}

// Forms keep each widget's key in its "defaultText" property so that the key
// survives any number of language changes; a widget without one is keyed by
// the text it shows.
void TranslatorPrivate::relabel(QObject *object) const
{
    const char *target = nullptr;
    for (const char *candidate : TargetProperties) {
        if (object->property(candidate).isValid()) {
            target = candidate;
            break;
        }
    }
    if (!target)
        return;
    const QVariant keyValue = object->property(KeyProperty);
    const QString key = (keyValue.isValid() ? keyValue : object->property(target)).toString();
    const QMetaObject *metaObject = object->metaObject();
    const int index = metaObject->indexOfProperty(target);
    if (index < 0 || !metaObject->property(index).isWritable() || key.isEmpty())
        return;
    object->setProperty(target, engine->translate(key));
}

// The chooser lists English first, then every language file of the folder.
// The current language is matched also through its alias, so that "el"
// selects the entry of the file "l_gr.xml".
void TranslatorPrivate::fillLanguageComboBox(QComboBox *comboBox) const
{
    if (!comboBox)
        return;
    comboBox->clear();
    comboBox->addItem(flagIcon(DefaultLanguageCode), DefaultLanguageName, DefaultLanguageCode);
    const QString currentFileCode = codeAliases.value(currentLanguage, currentLanguage);
    int selected = 0;
    for (const QString &fileName : languageFiles) {
        const QString code = codeOfFileName(fileName);
        comboBox->addItem(flagIcon(code), DictionaryReader::readLanguageName(pathInLanguageFolder(fileName)), code);
        if (code == currentLanguage || code == currentFileCode)
            selected = comboBox->count() - 1;
    }
    comboBox->setCurrentIndex(selected);
}

} // namespace TR
