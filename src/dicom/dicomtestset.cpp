#include "dicomtestset.h"

using NSTESTPatter::TestPattern;

namespace {

const int kTg18LnLevels = 18;
const int kTg18LnStep = 15;

// The nine places of the luminance fields, row by row, as the pattern orders them.
const char *const kFieldPositions[] = {"top left",     "top centre",  "top right",     "middle left", "centre",
                                       "middle right", "bottom left", "bottom centre", "bottom right"};

bool isTg18Ln(TestPattern::tTestPattern type)
{
    return type >= TestPattern::kTestPatternTG18LN01 && type <= TestPattern::kTestPatternTG18LN18;
}

// The single-field variants; the "all nine" variants are not used by any step.
bool isLuminanceField(TestPattern::tTestPattern type)
{
    return type >= TestPattern::kTestPatternLuminanceLightTL && type <= TestPattern::kTestPatternLuminanceDarkBR;
}

QVector<DicomTestSet::Entry> buildEntries()
{
    QVector<DicomTestSet::Entry> entries;
    for (int index = 0; index < kTg18LnLevels; ++index) {
        entries.append({TestPattern::tTestPattern(TestPattern::kTestPatternTG18LN01 + index),
                        QStringLiteral("TG18-LN level %1").arg(index * kTg18LnStep), true});
    }
    entries.append({TestPattern::kTestPatternDefault, QStringLiteral("Composite quality-control pattern"), false});
    entries.append({TestPattern::kTestPatternUN80, QStringLiteral("Uniform field UN80"), true});
    entries.append({TestPattern::kTestPatternUN10, QStringLiteral("Uniform field UN10"), true});
    for (int type = TestPattern::kTestPatternLuminanceLightTL; type <= TestPattern::kTestPatternLuminanceDarkBR;
         ++type) {
        const int offset = type - TestPattern::kTestPatternLuminanceLightTL;
        const QString brightness = offset % 2 == 0 ? QStringLiteral("light") : QStringLiteral("dark");
        entries.append(
            {TestPattern::tTestPattern(type),
             QStringLiteral("Luminance field %1 %2").arg(brightness, QLatin1String(kFieldPositions[offset / 2])),
             true});
    }
    entries.append({TestPattern::kTestPatternTG18MP, QStringLiteral("TG18-MP"), false});
    return entries;
}

int indexOf(TestPattern::tTestPattern type)
{
    const QVector<DicomTestSet::Entry> &entries = DicomTestSet::entries();
    for (int index = 0; index < entries.size(); ++index) {
        if (entries.at(index).pattern == type)
            return index;
    }
    return -1;
}

} // namespace

const QVector<DicomTestSet::Entry> &DicomTestSet::entries()
{
    static const QVector<Entry> entries = buildEntries();
    return entries;
}

int DicomTestSet::imageNumber(TestPattern::tTestPattern pattern)
{
    switch (pattern) {
    case TestPattern::kTestPatternUnknown:
    case TestPattern::kTestPatternEmpty:
    case TestPattern::kTestPatternExternalImage:
    case TestPattern::kTestPatternLuminanceLightAll:
    case TestPattern::kTestPatternLuminanceDarkAll:
    case TestPattern::kTestPatternCount:
        return 0;
    default:
        break;
    }
    // The outlined variants of the composite pattern mark an element on the screen;
    // through a viewer the operator judges that element on the plain pattern.
    const bool ownImage = isTg18Ln(pattern) || isLuminanceField(pattern) || pattern == TestPattern::kTestPatternUN80 ||
                          pattern == TestPattern::kTestPatternUN10 || pattern == TestPattern::kTestPatternTG18MP;
    return indexOf(ownImage ? pattern : TestPattern::kTestPatternDefault) + 1;
}

QString DicomTestSet::fileName(int imageNumber)
{
    return QStringLiteral("IMAGE") + numberText(imageNumber);
}

QString DicomTestSet::numberText(int imageNumber)
{
    return QStringLiteral("%1").arg(imageNumber, 2, 10, QLatin1Char('0'));
}
