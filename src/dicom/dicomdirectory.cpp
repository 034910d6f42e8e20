#include "dicomdirectory.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcddirif.h>

#include <QDir>

namespace {

const char *const kFileSetId = "LUMIVEX_QA";

} // namespace

QString DicomDirectory::write(const QString &directory, const QStringList &fileNames)
{
    const QString path = QDir(directory).filePath(QStringLiteral("DICOMDIR"));
    DicomDirInterface dicomDir;
    // A backup would stay beside the set as a stray file no viewer reads.
    dicomDir.disableBackupMode();
    OFCondition status =
        dicomDir.createNewDicomDir(DicomDirInterface::AP_GeneralPurpose, path.toLocal8Bit().constData(), kFileSetId);
    for (const QString &name : fileNames) {
        if (status.bad())
            break;
        status = dicomDir.addDicomFile(name.toLatin1().constData(),
                                       QDir::toNativeSeparators(directory).toLocal8Bit().constData());
    }
    if (status.good())
        status = dicomDir.writeDicomDir();
    if (status.bad())
        return QStringLiteral("cannot write %1: %2").arg(path, QString::fromLatin1(status.text()));
    return QString();
}
