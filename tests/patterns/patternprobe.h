#pragma once

// Helpers shared by the pattern tests: draw a pattern the way a canvas does and
// compare pixels as text, so that a failed comparison says what it saw.

#include "testpattern.h"

#include <QPainter>
#include <QRegularExpression>
#include <QTest>

inline QImage renderPattern(const QString &key, const QSize &size)
{
    NSTESTPatter::TestPattern pattern;
    pattern.setTypeString(key);
    return pattern.toImage(size);
}

// A grey level as its number, the green of emphasis as G, anything else as hexadecimal rgb.
inline QString colourName(QRgb rgb)
{
    if (rgb == qRgb(0, 255, 0))
        return QStringLiteral("G");
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
    const double cellHeight = (a.height() - 12) / 12.0;
    for (QImage *image : {&a, &b}) {
        *image = image->convertToFormat(QImage::Format_RGB32);
        QPainter(image).fillRect(0, int(9 * cellHeight + 6), a.width(), qRound(cellHeight), Qt::black);
    }
    return a == b;
}
