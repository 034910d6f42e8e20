#include "viewerinstruction.h"

#include "dicomtestset.h"
#include "translator.h"

QString ViewerInstruction::text(NSTESTPatter::TestPattern::tTestPattern pattern)
{
    const int number = DicomTestSet::imageNumber(pattern);
    if (number < 1)
        return QString();
    // The image's own name, as the viewer shows it among the image comments.
    const QString name = DicomTestSet::entries().at(number - 1).name;
    return TR::Translator::instance()
        ->translate(QStringLiteral("dicom_openImage"))
        .arg(DicomTestSet::numberText(number), name);
}
