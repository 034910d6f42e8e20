#pragma once

#include <QString>
#include <QStringList>

// The DICOMDIR of an exported set, so that a PACS imports it, or a viewer opens
// it from a USB stick, as one study.
class DicomDirectory
{
public:
    // Writes DIRECTORY/DICOMDIR listing the files (names relative to the folder);
    // gives the reason when it fails, else an empty text.
    static QString write(const QString &directory, const QStringList &fileNames);
};
