#include "testtypename.h"

#include "translator.h"

QString TestTypeName::of(const QString &id)
{
    const QString key = QStringLiteral("testType_") + id;
    const QString title = TR::Translator::instance()->translate(key);
    return title.isEmpty() || title == key ? id : title;
}
