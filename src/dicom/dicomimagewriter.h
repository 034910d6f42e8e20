#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

// Writes one grey test image as a single-frame Secondary Capture file: the
// multi-frame grey byte class at 8 bits, the word class at 12. Both classes carry
// the presentation LUT shape, so a conforming viewer shows the stored values as
// they are, and both are meant for new images where the older single-frame class
// is not.
class DicomImageWriter
{
public:
    // What every image of one export shares.
    struct Series
    {
        QString studyUid;
        QString seriesUid;
        QString description;
        QDateTime created;
        int bitsStored = 8;
    };
    // The series' moment as the files carry it.
    struct Moment
    {
        QString date;
        QString time;
    };

    explicit DicomImageWriter(const Series &series);

    // The bit depths a file can be written with.
    static bool isSupportedDepth(int bitsStored);
    // The stored value of grey level v (0-255) at the series' depth: v itself at 8
    // bits, round(v x 4095 / 255) at 12.
    int storedValue(int grey) const;

    // Writes the image (grey, 8 bits a pixel) through a temporary file; gives the
    // reason when it fails, else an empty text.
    QString write(const QImage &grey, int instanceNumber, const QString &instanceUid, const QString &comment,
                  const QString &path) const;

private:
    Series m_series;
    Moment m_moment;
    int m_maximum;
};
