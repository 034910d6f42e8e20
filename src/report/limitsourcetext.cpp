#include "limitsourcetext.h"

#include "defaultdictionary.h"
#include "translator.h"

#include <QHash>

namespace {

const QString KeyPrefix = QStringLiteral("limitsource_");

// The key of each built-in source by its English text.
const QHash<QString, QString> &keysByEnglish()
{
    static const QHash<QString, QString> keys = [] {
        QHash<QString, QString> byEnglish;
        const QMap<QString, QString> model = TR::defaultDictionary();
        for (auto it = model.lowerBound(KeyPrefix); it != model.cend() && it.key().startsWith(KeyPrefix); ++it) {
            // Each source is one translatable unit: "_[text]_".
            byEnglish.insert(it.value().mid(2, it.value().size() - 4), it.key());
        }
        return byEnglish;
    }();
    return keys;
}

} // namespace

QString LimitSourceText::shown(const QString &stored)
{
    const QString key = keysByEnglish().value(stored.trimmed());
    return key.isEmpty() ? stored : TR::Translator::instance()->translate(key);
}

QString LimitSourceText::version(const QString &stored)
{
    QString version = stored;
    for (auto it = keysByEnglish().cbegin(); it != keysByEnglish().cend(); ++it) {
        if (it.value().startsWith(KeyPrefix + QStringLiteral("table")))
            version.replace(it.key(), TR::Translator::instance()->translate(it.value()));
    }
    return version;
}
