#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

namespace TR {

// Holds the model (key -> template), the units of the current language
// (unit -> translation) and the table of templates resolved with those units.
// The table is rebuilt whenever the model or the units change, so looking a
// key up costs one hash lookup.
class DictionaryEngine
{
public:
    void setModel(const QMap<QString, QString> &model);
    void setUnits(const QHash<QString, QString> &units);

    QString translate(const QString &key) const;
    QString resolve(const QString &text) const;

    // Every non-empty unit of the model's templates, once each, in key order:
    // what a language file has to translate.
    static QStringList unitsOf(const QMap<QString, QString> &model);

private:
    QString translatedUnit(const QString &unit) const;
    void rebuild();

    QMap<QString, QString> m_model;
    QHash<QString, QString> m_units;
    QHash<QString, QString> m_resolved;
};

} // namespace TR
