#include "reportdocument.h"

#include <QRegularExpression>
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

QString ReportDocument::withBreakPoints(const QString &text, const QFontMetrics &metrics, int width)
{
    // The linking "s" of German compounds after these endings, and their Italian kin, followed by a whole part.
    static const QRegularExpression joint(QStringLiteral("(ungs|heits|keits|tions|täts|ings|schafts)(?=\\w{3})"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QString result = text;
    // From the end, so the positions before each insertion stay valid.
    QList<QRegularExpressionMatch> words;
    for (QRegularExpressionMatchIterator it = word.globalMatch(text); it.hasNext();)
        words.prepend(it.next());
    for (const QRegularExpressionMatch &match : qAsConst(words)) {
        if (metrics.horizontalAdvance(match.captured()) <= width)
            continue;
        QString broken = match.captured();
        broken.replace(joint, QStringLiteral("\\1") + QChar(0x00AD));
        result.replace(match.capturedStart(), match.capturedLength(), broken);
    }
    return result;
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
