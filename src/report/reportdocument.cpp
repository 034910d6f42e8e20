#include "reportdocument.h"

#include <QUrl>

ReportDocument::ReportDocument(QObject *parent) : QTextDocument(parent) {}

QTextOption::WrapMode ReportDocument::wrapModeFor(const QString &text)
{
    int wordLength = 0;
    for (const QChar character : text) {
        wordLength = character.isSpace() ? 0 : wordLength + 1;
        if (wordLength > longestWordKeptWhole)
            return QTextOption::WrapAnywhere;
    }
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void ReportDocument::setWrapModeFor(const QString &text)
{
    QTextOption option = defaultTextOption();
    option.setWrapMode(wrapModeFor(text));
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
