#include "tasktarget.h"

#include "displayrecord.h"
#include "localformats.h"
#include "testtypename.h"
#include "translator.h"

QString TaskTarget::displayText(const QVariantMap &display)
{
    if (DisplayRecord::key(display).isEmpty())
        return TR::Translator::instance()->translate(QStringLiteral("task_anyDisplay"));
    return DisplayRecord::fromIdentity(display).description();
}

QString TaskTarget::testTypeText(const QString &testType)
{
    if (testType.isEmpty())
        return TR::Translator::instance()->translate(QStringLiteral("task_anyTestType"));
    return TestTypeName::of(testType);
}

QString TaskTarget::intervalUnitText(TaskInterval::Unit unit)
{
    return TR::Translator::instance()->translate(QStringLiteral("plan_unit_") + TaskInterval::unitId(unit));
}

QVariant TaskTarget::intervalText(const TaskInterval &interval)
{
    if (!interval.repeats())
        return QStringLiteral("-");
    if (interval.unit() == TaskInterval::Days)
        return LocalFormats::days(interval.count());
    return QStringLiteral("%1 %2").arg(LocalFormats::count(interval.count()), intervalUnitText(interval.unit()));
}
