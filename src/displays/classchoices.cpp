#include "classchoices.h"

#include "limitstable.h"
#include "localformats.h"
#include "translator.h"

#include <QComboBox>
#include <QLocale>

namespace ClassChoices {

QString translatedOrAsIs(const QString &text)
{
    const QString translation = TR::Translator::instance()->translate(text);
    return translation.isEmpty() ? text : translation;
}

QString categoryTitle(const QString &id)
{
    const LimitsTable::Category *category = LimitsTable::current().category(id);
    return category ? translatedOrAsIs(category->title) : id;
}

QString roomClassTitle(const QString &id)
{
    for (const LimitsTable::RoomClass &roomClass : LimitsTable::current().roomClasses()) {
        if (roomClass.id == id && roomClass.maxIlluminance.judged)
            return TR::Translator::instance()
                ->translate(QStringLiteral("roomClass_upTo"))
                .arg(roomClass.id, LocalFormats::reading(QLocale::c().toString(roomClass.maxIlluminance.value)));
    }
    return id;
}

void refill(QComboBox *combo, const QList<QPair<QString, QString>> &items)
{
    const QString current = combo->currentData().toString();
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const auto &item : items)
        combo->addItem(item.second, item.first);
    combo->setCurrentIndex(qMax(0, combo->findData(current)));
}

void fillCategories(QComboBox *combo, const QString &roomClass)
{
    QList<QPair<QString, QString>> items;
    const LimitsTable &table = LimitsTable::current();
    for (const LimitsTable::Category &category : table.categories()) {
        if (table.belongTogether(roomClass, category.id))
            items.append({category.id, translatedOrAsIs(category.title)});
    }
    refill(combo, items);
}

void fillRoomClasses(QComboBox *combo)
{
    QList<QPair<QString, QString>> items;
    for (const LimitsTable::RoomClass &roomClass : LimitsTable::current().roomClasses())
        items.append({roomClass.id, roomClassTitle(roomClass.id)});
    refill(combo, items);
}

void choose(QComboBox *combo, const QString &id)
{
    combo->setCurrentIndex(qMax(0, combo->findData(id)));
}

} // namespace ClassChoices
