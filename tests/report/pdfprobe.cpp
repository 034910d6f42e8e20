#include "pdfprobe.h"

#include "support/patience.h"

#include <QColor>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <algorithm>

namespace PdfProbe {

int run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(Patience) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitCode();
}

QList<Word> words(const QString &pdfPath)
{
    QString html;
    run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")}, &html);
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> found;
    int page = 0;
    for (auto match = tag.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        if (next.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        const QPointF topLeft(next.captured(1).toDouble(), next.captured(2).toDouble());
        const QPointF bottomRight(next.captured(3).toDouble(), next.captured(4).toDouble());
        found.append(
            {page, QRectF(topLeft, bottomRight), QTextDocumentFragment::fromHtml(next.captured(5)).toPlainText()});
    }
    return found;
}

QList<Word> find(const QList<Word> &words, const QString &text, int page)
{
    QList<Word> matching;
    std::copy_if(words.begin(), words.end(), std::back_inserter(matching), [&](const Word &word) {
        return (text.isEmpty() || word.text == text) && (page == 0 || word.page == page);
    });
    return matching;
}

QString text(QList<Word> words)
{
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (qAbs(a.box.center().y() - b.box.center().y()) > 3)
            return a.box.center().y() < b.box.center().y();
        return a.box.left() < b.box.left();
    });
    QStringList texts;
    for (const Word &word : qAsConst(words))
        texts << word.text;
    return texts.join(QLatin1Char(' '));
}

QImage render(const QString &pdfPath, int page)
{
    QTemporaryDir folder;
    const QString prefix = folder.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        QStringLiteral("-png -r 72 -aa no -aaVector no -singlefile -f %1 -l %1").arg(page).split(QLatin1Char(' '))
            << pdfPath << prefix);
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

int countColour(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += qAbs(pixel.red() - colour.red()) + qAbs(pixel.green() - colour.green()) +
                         qAbs(pixel.blue() - colour.blue()) <=
                     tolerance;
        }
    }
    return count;
}

} // namespace PdfProbe
