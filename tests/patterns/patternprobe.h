#pragma once

// Helpers shared by the pattern tests: draw a pattern the way a canvas does and
// read pixels back as text, so that a failed comparison says what it saw.

#include "testpattern.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QTest>
#include <QtMath>

inline QImage renderPattern(const QString &key, const QSize &size)
{
    NSTESTPatter::TestPattern pattern;
    pattern.setTypeString(key);
    return pattern.toImage(size);
}

inline QString colourName(QRgb rgb)
{
    if (qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb))
        return QStringLiteral("grey %1").arg(qRed(rgb));
    return QStringLiteral("rgb(%1,%2,%3)").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

inline QString pixelName(const QImage &image, int x, int y)
{
    return colourName(image.pixel(x, y));
}

inline QString grey(int level)
{
    return colourName(qRgb(level, level, level));
}

inline QString green()
{
    return colourName(qRgb(0, 255, 0));
}

inline int greyAt(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

struct Probe
{
    int x;
    int y;
    int level;
};

// Compares each probed pixel with its grey level; a failure names the position.
inline void comparePixels(const QImage &image, const QVector<Probe> &probes)
{
    for (const Probe &probe : probes) {
        const QString where = QStringLiteral("(%1, %2) ").arg(probe.x).arg(probe.y);
        QCOMPARE(where + pixelName(image, probe.x, probe.y), where + grey(probe.level));
    }
}

// The grid every pattern of the program is laid out on, for a canvas of the
// given size: a 6-pixel margin and 12 x 12 cells.
struct PatternGrid
{
    explicit PatternGrid(const QSize &size)
        : width(size.width()), height(size.height()), cw((size.width() - 12) / 12.0), ch((size.height() - 12) / 12.0),
          cwi(qRound(cw)), chi(qRound(ch))
    {
    }
    int x(double k) const { return qRound(k * cw) + 6; }
    int y(double k) const { return qRound(k * ch) + 6; }

    int width;
    int height;
    double cw;
    double ch;
    int cwi;
    int chi;
};

// Compares two drawings of the same pattern apart from the QUALITY CONTROL row,
// whose lettering follows the dots per inch of the device and application.
inline bool sameApartFromLettering(QImage a, QImage b)
{
    const PatternGrid grid(a.size());
    const QRect lettering(0, int(9 * grid.ch + 6), a.width(), grid.chi);
    for (QImage *image : {&a, &b}) {
        *image = image->convertToFormat(QImage::Format_RGB32);
        QPainter(image).fillRect(lettering, Qt::black);
    }
    return a == b;
}

// The common screen sizes, and one whose cells are fractional both ways (81.5 x 62.9),
// where truncating and rounding part.
inline QList<QSize> patternTestSizes()
{
    return {QSize(1920, 1080), QSize(1366, 768), QSize(3840, 2160), QSize(990, 767)};
}

inline QByteArray sizeName(const QSize &size)
{
    return QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height());
}

// A "size" column with one row for each of the screen sizes the tests cover.
inline void addSizeRows()
{
    QTest::addColumn<QSize>("size");
    for (const QSize &size : patternTestSizes())
        QTest::newRow(sizeName(size).constData()) << size;
}
