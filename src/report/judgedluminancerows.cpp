#include "judgedluminancerows.h"

#include "referencevalues.h"
#include "testcontent.h"
#include "verdicttext.h"

namespace {

// The quantity each row shows. The ratio's row has no id of its own in the
// catalogue, so it is known by its caption.
QString quantityOf(const TestContent *content)
{
    if (content->id() == QLatin1String("content05070000"))
        return QStringLiteral("maxLuminance");
    if (content->id() == QLatin1String("content05070001"))
        return QStringLiteral("minLuminance");
    if (content->caption() == QLatin1String("content_test_06_07_01_00"))
        return QStringLiteral("luminanceRatio");
    return {};
}

} // namespace

std::optional<QString> JudgedLuminanceRows::text(const TestContent *content, const QVariantMap &measured)
{
    const QString quantity = quantityOf(content);
    double value = 0.0;
    if (quantity.isEmpty() || !ReferenceValues::number(measured.value(quantity), &value))
        return std::nullopt;
    return VerdictText::value(quantity, value);
}
