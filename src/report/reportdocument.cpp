#include "reportdocument.h"

#include <QTextOption>
#include <QUrl>

ReportDocument::ReportDocument(QObject *parent) : QTextDocument(parent)
{
    QTextOption option = defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setDefaultTextOption(option);
}

bool ReportDocument::isOwnResource(const QUrl &name)
{
    return name.scheme().isEmpty() && name.host().isEmpty() && name.path().startsWith(QLatin1String(":/"));
}

QVariant ReportDocument::loadResource(int type, const QUrl &name)
{
    if (!isOwnResource(name))
        return QVariant();
    return QTextDocument::loadResource(type, name);
}
