#include "tasktarget.h"

#include "displayrecord.h"
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
