#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QComboBox;

// The application categories and room classes of the limits table as the
// operator reads them, and the combo boxes that offer them (item data: the
// table's ids).
namespace ClassChoices {

// A site's own category names itself; the shipped ones are translation keys.
QString translatedOrAsIs(const QString &text);
QString categoryTitle(const QString &id);
// "RK1 (up to 50 lx)".
QString roomClassTitle(const QString &id);

// Replaces the items, keeping the chosen one where it is still offered.
void refill(QComboBox *combo, const QList<QPair<QString, QString>> &items);
// The categories that belong to the room class: a room class takes only those
// the limits table pairs with it.
void fillCategories(QComboBox *combo, const QString &roomClass);
void fillRoomClasses(QComboBox *combo);
// Chooses the item with that id; the first when none has it.
void choose(QComboBox *combo, const QString &id);

} // namespace ClassChoices
