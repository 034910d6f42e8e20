#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// Writes the whole test set for one screen size into a folder: one DICOM file a
// pattern, all of one new study and series, and the DICOMDIR beside them.
class DicomExport
{
public:
    struct Result
    {
        // Empty when every file and the DICOMDIR were written.
        QString error;
        // The image files written, in series order, relative to the folder.
        QStringList files;
        bool succeeded() const { return error.isEmpty(); }
    };

    static Result write(const QString &directory, const QSize &size, int bitsStored);
    // A new UID from DCMTK's generator under the program's own root.
    static QString newUid();
    // What the series is called in a viewer's list: the set, its size and depth.
    static QString seriesDescription(const QSize &size, int bitsStored);
};
