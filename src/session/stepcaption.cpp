#include "stepcaption.h"

#include "localformats.h"
#include "meterplace.h"

#include "test.h"
#include "testpattern.h"
#include "testsubgroup.h"
#include "translator.h"

#include <QLocale>

namespace {

const int Tg18LnLevels = 18;
const QString Separator = QStringLiteral(" \u00b7 ");

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString groupTitle(const Test *test)
{
    const auto *subgroup = test ? qobject_cast<const TestSubgroup *>(test->parent()) : nullptr;
    const QObject *group = subgroup ? subgroup->parent() : nullptr;
    const QString key = group ? group->property("title").toString() : QString();
    return key.isEmpty() ? QString() : translated(key);
}

} // namespace

QString StepCaption::progress(uint step, uint totalSteps, const Test *test)
{
    // Without a total there is no progress to show, and no division to make.
    const uint percent = totalSteps == 0 ? 0 : step * 100 / totalSteps;
    QStringList parts;
    if (totalSteps > 0)
        parts << translated(QStringLiteral("stepCounter")).arg(step + 1).arg(totalSteps);
    parts << LocalFormats::count(percent) + QStringLiteral("\u00a0%");
    const QString group = groupTitle(test);
    if (!group.isEmpty())
        parts << group;
    return parts.join(Separator);
}

QString StepCaption::measurement(const NSTESTPatter::TestPattern &pattern)
{
    const int position = pattern.measuredPosition();
    const int level = pattern.measuredLevel();
    if (position < 0 || level < 0)
        return QString();
    if (pattern.type() >= NSTESTPatter::TestPattern::kTestPatternTG18LN01)
        return translated(QStringLiteral("tg18LnStep")).arg(position + 1).arg(Tg18LnLevels).arg(level);
    if (!MeterPlace::isField(position))
        return QString();
    return translated(QStringLiteral("luminanceFieldStep"))
        .arg(position + 1)
        .arg(MeterPlace::Fields)
        .arg(MeterPlace::positionName(position))
        .arg(level);
}
