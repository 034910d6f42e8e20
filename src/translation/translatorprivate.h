#pragma once

#include "translatorbaseprivate.h"

#include <QHash>
#include <QStringList>

#include <optional>

class QComboBox;
class QObject;

namespace TR {

// Adds what needs files and widgets: the language files of the language
// folder, switching language, and re-labelling widgets.
class TranslatorPrivate : public TranslatorBasePrivate
{
public:
    QString systemLanguage() const override;
    // "de_DE" -> "de"; a name without "_" gives an empty code.
    static QString languageOfLocaleName(const QString &localeName);

    void setLanguagePath(const QString &path);
    void setLanguagePaths(const QStringList &paths);
    void scanLanguagePath();
    void loadModelFile(const QString &path);

    bool isAvailable(const QString &code) const;
    void setLocale(const QString &code);
    QString preferredLocale() const;

    void translateObject(QObject *object, bool recursive) const;
    void fillLanguageComboBox(QComboBox *comboBox) const;

    // Bare file names such as "l_de.xml", in the order the folders listed them,
    // each name once.
    QStringList languageFiles;

private:
    std::optional<QHash<QString, QString>> loadLanguage(const QString &code) const;
    void relabel(QObject *object) const;
};

} // namespace TR
