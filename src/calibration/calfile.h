#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

// An ArgyllCMS calibration file: the CGATS text "CAL" of a display's video
// look-up table, which dispwin loads and installs. Grey only, so the three
// channels carry the same curve; every value is a fraction of full scale.
class CalFile
{
public:
    // The table's 256 driving levels, one per input level.
    static QByteArray text(const QVector<int> &outputs, const QString &description, const QDateTime &created);
    // Written whole or not at all; false, with the reason, when it could not be.
    static bool write(const QString &path, const QByteArray &text, QString *error);
};
