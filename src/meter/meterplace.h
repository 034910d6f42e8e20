#pragma once

#include <QString>

// Where the meter sits for a reading: one of the nine uniformity fields,
// numbered from 0 at the top left row by row, or the TG18-LN patch in the
// middle of the screen, which all eighteen levels share.
class MeterPlace
{
public:
    static const int Unknown = -1;
    static const int Tg18LnPatch = -2;
    static const int Fields = 9;

    static bool isField(int place) { return place >= 0 && place < Fields; }
    // "top right"; empty for anything but a field.
    static QString positionName(int field);
    // "field 3 (top right)", as the operator is asked for it and the record names it.
    static QString fieldName(int field);
    // What the operator is asked to do before the meter reads there.
    static QString request(int place);
};
