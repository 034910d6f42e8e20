#include "meterfield.h"

#include "test.h"
#include "testcontent.h"

namespace {

// Patterns whose whole purpose is a luminance reading.
const QString LevelPatternPrefix = QStringLiteral("kTestPatternTG18LN");
const QString FieldPatternPrefix = QStringLiteral("kTestPatternLuminance");
// The catalogue's ambient luminance (display switched off) and its illuminance
// question, which carries no id of its own.
const QString AmbientLuminanceId = QStringLiteral("content05060000");
const QString IlluminanceCaption = QStringLiteral("content_test_03_01_00_02");

} // namespace

MeterField::Kind MeterField::kindOf(const Test *test, const TestContent *content)
{
    if (!test || !content || test->validatable() || content->type() != TestContent::kTestContentTypeText ||
        content->validatorType() != TestContent::kValidatorTypeNumber || content->readOnly())
        return None;
    const QString pattern = test->patternString();
    if (pattern.startsWith(LevelPatternPrefix) || pattern.startsWith(FieldPatternPrefix))
        return PatternLuminance;
    if (content->id() == AmbientLuminanceId)
        return AmbientLuminance;
    if (content->caption() == IlluminanceCaption)
        return Illuminance;
    return None;
}

MeterQuantity MeterField::quantityOf(Kind kind)
{
    return kind == Illuminance ? MeterQuantity::Illuminance : MeterQuantity::Luminance;
}
