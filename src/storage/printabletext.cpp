#include "printabletext.h"

namespace {

bool isInvisible(QChar character)
{
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

QString PrintableText::escaped(const QString &text)
{
    QString printable;
    printable.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar character = text.at(i);
        // A pair of surrogates is one character outside the basic plane.
        if (character.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const uint code = QChar::surrogateToUcs4(character, text.at(i + 1));
            if (QChar::category(code) != QChar::Other_Format) {
                printable += character;
                printable += text.at(++i);
                continue;
            }
            printable += QStringLiteral("\\u{%1}").arg(code, 0, 16);
            ++i;
            continue;
        }
        switch (character.unicode()) {
        case '\\':
            printable += QLatin1String("\\\\");
            break;
        case '\n':
            printable += QLatin1String("\\n");
            break;
        case '\r':
            printable += QLatin1String("\\r");
            break;
        case '\t':
            printable += QLatin1String("\\t");
            break;
        default:
            if (isInvisible(character))
                printable += QStringLiteral("\\u{%1}").arg(character.unicode(), 0, 16);
            else
                printable += character;
        }
    }
    return printable;
}
