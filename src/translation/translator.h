#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class QComboBox;
class QObject;

namespace TR {

class TranslatorBasePrivate;
class TranslatorPrivate;

// Turns a key into the text shown to the operator in the chosen language.
// The model maps each key to a template whose translatable units are wrapped
// as "_[unit]_"; the language file of the current language maps each unit to
// its translation. One translator serves the whole process.
class Translator
{
public:
    static Translator *instance();

    // The folder beside the program, then the installed language folder.
    static QStringList programLanguagePaths();

    void setLanguagePath(const QString &path);
    void setLanguagePaths(const QStringList &paths);
    void setModel(const QMap<QString, QString> &model);
    void setLocale(const QString &code);
    QString currentLocale() const;
    QString preferredLocale() const;

    QString translate(const QString &key) const;
    void translateObject(QObject *object, bool recursive = false);
    void fillLanguageComboBox(QComboBox *comboBox);

    Translator(const Translator &) = delete;
    Translator &operator=(const Translator &) = delete;

private:
    Translator();
    TranslatorPrivate *d_func() const;

    std::shared_ptr<TranslatorBasePrivate> d;
};

} // namespace TR
