#include "viewertext.h"

#include "translator.h"

QString ViewerText::label()
{
    return TR::Translator::instance()->translate(QStringLiteral("dicom_patternsShownBy"));
}

QString ViewerText::value(const QVariantMap &session)
{
    return session.value(QStringLiteral("viewer")).toString().trimmed();
}
