#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QRegularExpression>
#include <QString>

// Reads generated PDFs back with the poppler utilities, so the tests check
// what a reader of the file sees: its words with their positions in points,
// and its pages as pictures.
namespace PdfProbe {

struct Word
{
    int page = 0; // from 1
    QRectF box;   // in points from the page's top-left corner
    QString text;
};

// Runs a program to its end: its exit code (-1 when it did not end normally), and its output followed by its errors.
int run(const QString &program, const QStringList &arguments, QString *output = nullptr);
QList<Word> words(const QString &pdfPath);
// The words with this text (or, empty, any text), on the given page or (0) on any.
QList<Word> find(const QList<Word> &words, const QString &text, int page = 0);
// The words' texts in reading order: page by page, line by line from the top,
// each line from the left. Words whose middles lie within 3 points share a line.
QString text(QList<Word> words);
// One page rendered at 72 dots per inch, one pixel per point, without smoothing.
QImage render(const QString &pdfPath, int page);
// Pixels inside the area whose colour lies within the tolerance of the given one.
int countColour(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 40);
// "nan" or "inf", which no report or export shows where a value cannot be computed.
inline const QRegularExpression NotFinite(QStringLiteral("\\b(nan|inf)\\b"), QRegularExpression::CaseInsensitiveOption);

} // namespace PdfProbe
