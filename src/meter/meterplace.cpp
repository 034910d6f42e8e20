#include "meterplace.h"

#include "translator.h"

namespace {

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

} // namespace

QString MeterPlace::positionName(int field)
{
    static const char *const keys[] = {"position_topLeft",    "position_topCentre",    "position_topRight",
                                       "position_middleLeft", "position_centre",       "position_middleRight",
                                       "position_bottomLeft", "position_bottomCentre", "position_bottomRight"};
    return isField(field) ? translated(QLatin1String(keys[field])) : QString();
}

QString MeterPlace::fieldName(int field)
{
    if (!isField(field))
        return QString();
    return translated(QStringLiteral("measure_fieldName")).arg(field + 1).arg(positionName(field));
}

QString MeterPlace::request(int place)
{
    if (place == Tg18LnPatch)
        return translated(QStringLiteral("measure_placeOnPatch"));
    return translated(QStringLiteral("measure_placeOnField")).arg(place + 1).arg(positionName(place));
}
