#pragma once

// Helpers shared by the pattern tests: draw a pattern the way a canvas does and
// compare pixels as text, so that a failed comparison says what it saw.

#include "testpattern.h"

#include <QCryptographicHash>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

inline QImage renderPattern(const QString &key, const QSize &size)
{
    NSTESTPatter::TestPattern pattern;
    pattern.setTypeString(key);
    return pattern.toImage(size);
}

// Every pixel of the image, as its colour, in one checksum.
inline QByteArray checksum(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QByteArray bits(reinterpret_cast<const char *>(rgb.constBits()), int(rgb.sizeInBytes()));
    return QCryptographicHash::hash(bits, QCryptographicHash::Md5).toHex();
}

// A grey level as its number, anything else as hexadecimal rgb.
inline QString colourName(QRgb rgb)
{
    const bool grey = qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb);
    return grey ? QString::number(qRed(rgb)) : QString::number(rgb & 0xffffff, 16);
}

// Compares the pixels given as "x,y=colour ..." with the image.
inline void comparePixels(const QImage &image, const QString &probes)
{
    for (const QString &probe : probes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = probe.split(QRegularExpression(QStringLiteral("[,=]")));
        const QString seen = colourName(image.pixel(parts.at(0).toInt(), parts.at(1).toInt()));
        QCOMPARE(probe.section(QLatin1Char('='), 0, 0) + QLatin1Char('=') + seen, probe);
    }
}

// Compares two drawings of the composite pattern apart from its QUALITY CONTROL
// row, whose lettering follows the dots per inch of the device and application.
inline bool sameApartFromLettering(QImage a, QImage b)
{
    // The grid's cells are square, the side the smaller of the two, and the grid is centred.
    const double cell = (qMin(a.width(), a.height()) - 12) / 12.0;
    const int gridTop = (a.height() - qMin(a.width(), a.height())) / 2;
    for (QImage *image : {&a, &b}) {
        *image = image->convertToFormat(QImage::Format_RGB32);
        QPainter(image).fillRect(0, gridTop + int(9 * cell + 6), a.width(), qRound(cell), Qt::black);
    }
    return a == b;
}

// Where runs of the colour start along row y (alongRow) or down column x.
inline QVector<int> runStarts(const QImage &image, bool alongRow, int at, QRgb colour)
{
    QVector<int> starts;
    const int length = alongRow ? image.width() : image.height();
    bool inRun = false;
    for (int i = 0; i < length; ++i) {
        const bool match = (alongRow ? image.pixel(i, at) : image.pixel(at, i)) == colour;
        if (match && !inRun)
            starts << i;
        inRun = match;
    }
    return starts;
}

// The composite pattern with its grid lines emphasised, as drawn: empty when its
// 12 x 12 cells are square (one pixel of rounding either way), the grid is centred
// and the background grey lies round it; otherwise what was seen.
inline QString squareGridFault(const QImage &image)
{
    const QRgb green = qRgb(0, 255, 0);
    const int side = qMin(image.width(), image.height());
    const double cellGuess = (side - 12) / 12.0;
    // Across the middle of row 10, where nothing covers the lines; then down the middle of the first column.
    const int row10 = (image.height() - side) / 2 + 6 + int(10.5 * cellGuess);
    const QVector<int> columns = runStarts(image, true, row10, green);
    if (columns.size() != 13)
        return QStringLiteral("%1 vertical lines").arg(columns.size());
    const QVector<int> rows = runStarts(image, false, columns.first() + int(cellGuess / 2), green);
    if (rows.size() != 13)
        return QStringLiteral("%1 horizontal lines").arg(rows.size());
    int shortest = image.width();
    int longest = 0;
    for (const QVector<int> *lines : {&columns, &rows}) {
        for (int i = 1; i < lines->size(); ++i) {
            shortest = qMin(shortest, lines->at(i) - lines->at(i - 1));
            longest = qMax(longest, lines->at(i) - lines->at(i - 1));
        }
    }
    if (longest - shortest > 2)
        return QStringLiteral("cells from %1 to %2 pixels").arg(shortest).arg(longest);
    const int offCentreX = columns.first() + columns.last() - image.width();
    const int offCentreY = rows.first() + rows.last() - image.height();
    if (qAbs(offCentreX) > 3 || qAbs(offCentreY) > 3)
        return QStringLiteral("off centre by %1, %2").arg(offCentreX).arg(offCentreY);
    const QPoint surround(qMax(2, columns.first() - 8), qMax(2, rows.first() - 8));
    if (image.pixel(surround) != qRgb(129, 129, 129))
        return QStringLiteral("surround %1").arg(image.pixel(surround), 0, 16);
    return QString();
}
