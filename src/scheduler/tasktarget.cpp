#include "tasktarget.h"

#include "displayrecord.h"
#include "testtypename.h"
#include "translator.h"

QString TaskTarget::displayText(const QVariantMap &display)
{
    if (DisplayRecord::key(display).isEmpty())
        return TR::Translator::instance()->translate(QStringLiteral("task_anyDisplay"));
    DisplayRecord record;
    record.maker = display.value(QStringLiteral("maker")).toString().trimmed();
    record.model = display.value(QStringLiteral("model")).toString().trimmed();
    record.serial = display.value(QStringLiteral("serial")).toString().trimmed();
    return record.description();
}

QString TaskTarget::testTypeText(const QString &testType)
{
    if (testType.isEmpty())
        return TR::Translator::instance()->translate(QStringLiteral("task_anyTestType"));
    return TestTypeName::of(testType);
}
