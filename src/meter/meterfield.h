#pragma once

#include "meterreply.h"

#include <QString>

class Test;
class TestContent;

// Which answers the meter can give: the luminance of a TG18-LN level or of a
// uniformity field, the ambient luminance with the display off, and the
// illuminance at the screen.
class MeterField
{
public:
    enum Kind
    {
        None,
        PatternLuminance,
        AmbientLuminance,
        Illuminance,
    };

    static Kind kindOf(const Test *test, const TestContent *content);
    static MeterQuantity quantityOf(Kind kind);
};
