#include "dictionaryengine.h"

#include <QSet>

namespace TR {

void DictionaryEngine::setModel(const QMap<QString, QString> &model)
{
    m_model = model;
    rebuild();
}

void DictionaryEngine::setUnits(const QHash<QString, QString> &units)
{
    m_units = units;
    rebuild();
}

QString DictionaryEngine::translate(const QString &key) const
{
    if (key.isEmpty())
        return QString();
    const auto entry = m_resolved.constFind(key);
    if (entry != m_resolved.constEnd())
        return entry.value();
    // An unknown key may itself be a marked text such as "_[Cancel]_".
    const QString resolved = resolve(key);
    return resolved.isEmpty() ? key : resolved;
}

namespace {

// Replaces every "_[unit]_" by unitText(unit). A closing marker pairs with the
// nearest opening marker before it, so for nested markers the inner unit is
// replaced and the outer markers stay as written; a marker without its partner
// is ordinary text. The scan is linear and keeps every character outside
// complete pairs.
template <typename UnitText> QString replaceUnits(const QString &text, UnitText unitText)
{
    const int length = text.size();
    const QChar *characters = text.constData();
    QString result;
    int copiedUpTo = 0;
    int open = -1;
    int index = 0;
    while (index + 1 < length) {
        const QChar first = characters[index];
        const QChar second = characters[index + 1];
        if (first == QLatin1Char('_') && second == QLatin1Char('[')) {
            open = index;
            index += 2;
        } else if (first == QLatin1Char(']') && second == QLatin1Char('_') && open >= 0) {
            if (result.isNull())
                result.reserve(length);
            result += QStringView(text).mid(copiedUpTo, open - copiedUpTo);
            result += unitText(text.mid(open + 2, index - open - 2));
            index += 2;
            copiedUpTo = index;
            open = -1;
        } else {
            ++index;
        }
    }
    if (copiedUpTo == 0)
        return text;
    result += QStringView(text).mid(copiedUpTo);
    return result;
}

} // namespace

QString DictionaryEngine::resolve(const QString &text) const
{
    return replaceUnits(text, [this](const QString &unit) { return translatedUnit(unit); });
}

// Found with the same scan as resolve(), so the list holds exactly the units
// a language file can translate.
QStringList DictionaryEngine::unitsOf(const QMap<QString, QString> &model)
{
    QStringList units;
    QSet<QString> seen;
    for (const QString &text : model) {
        replaceUnits(text, [&](const QString &unit) {
            if (!unit.isEmpty() && !seen.contains(unit)) {
                seen.insert(unit);
                units << unit;
            }
            return unit;
        });
    }
    return units;
}

QString DictionaryEngine::translatedUnit(const QString &unit) const
{
    const QString translation = m_units.value(unit);
    return translation.isEmpty() ? unit : translation;
}

void DictionaryEngine::rebuild()
{
    QHash<QString, QString> resolved;
    resolved.reserve(m_model.size());
    for (auto entry = m_model.cbegin(); entry != m_model.cend(); ++entry)
        resolved.insert(entry.key(), resolve(entry.value()));
    m_resolved = resolved;
}

} // namespace TR
