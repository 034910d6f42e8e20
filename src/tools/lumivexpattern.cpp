// lumivex-pattern: draws the program's test patterns into PNG files, with the
// very code the canvas uses, so that they can be inspected or compared offline.

#include "dicomexport.h"
#include "testpattern.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

using NSTESTPatter::TestPattern;

namespace {

const int kExitWriteFailed = 1;
const int kExitBadArguments = 2;
const int kMaximumSide = 16384;
// Without --size the set is drawn for the most common wide screen; without --bits
// it keeps the 8-bit levels exactly as the screen shows them.
const QSize kDefaultDicomSize(1920, 1080);
const int kDefaultDicomBits = 8;
// Light zlib compression: the flat patterns still shrink to a few kilobytes,
// and a whole set is written several times faster than at the default level.
const int kPngQuality = 80;

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// Reports a failure in one line on standard error; gives the exit code to return.
int fail(int exitCode, const QString &message)
{
    QTextStream(stderr) << "lumivex-pattern: " << message << Qt::endl;
    return exitCode;
}

bool parseSize(const QString &text, QSize *size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > kMaximumSide || height > kMaximumSide)
        return false;
    *size = QSize(width, height);
    return true;
}

// The patterns a test can name: every key but the unknown marker and the count.
QStringList patternKeys()
{
    QStringList keys;
    for (int value = TestPattern::kTestPatternEmpty; value < TestPattern::kTestPatternCount; ++value)
        keys << TestPattern::typeToString(TestPattern::tTestPattern(value));
    return keys;
}

// Writes through a temporary file, so that a failed write leaves nothing behind.
int writePattern(const QString &key, const QSize &size, const QString &path)
{
    TestPattern pattern;
    pattern.setTypeString(key);
    QImage image = pattern.toImage(size);
    if (image.isNull())
        return fail(kExitWriteFailed,
                    QStringLiteral("not enough memory for a %1x%2 image").arg(size.width()).arg(size.height()));
    // Most patterns are grey only; one byte a pixel encodes them, losslessly, much faster.
    if (image.allGray())
        image = image.convertToFormat(QImage::Format_Grayscale8);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(kExitWriteFailed, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    if (!image.save(&file, "PNG", kPngQuality)) {
        file.cancelWriting();
        return fail(kExitWriteFailed, QStringLiteral("cannot encode %1").arg(path));
    }
    if (!file.commit())
        return fail(kExitWriteFailed, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return 0;
}

int listPatterns()
{
    QTextStream out(stdout);
    const QStringList keys = patternKeys();
    for (const QString &key : keys)
        out << key << '\n';
    return 0;
}

int writeAllPatterns(const QSize &size, const QString &directory)
{
    if (!QDir().mkpath(directory))
        return fail(kExitWriteFailed, QStringLiteral("cannot create the folder %1").arg(directory));
    const QStringList keys = patternKeys();
    for (const QString &key : keys) {
        const int result = writePattern(key, size, QDir(directory).filePath(key + QStringLiteral(".png")));
        if (result != 0)
            return result;
    }
    return 0;
}

int writeDicomSet(const QString &directory, const QSize &size, const QString &bitsText)
{
    bool numeric = false;
    const int bits = bitsText.toInt(&numeric);
    if (!numeric || (bits != 8 && bits != 12))
        return fail(kExitBadArguments, QStringLiteral("invalid bit depth \"%1\": expected 8 or 12").arg(bitsText));
    const DicomExport::Result result = DicomExport::write(directory, size, bits);
    if (!result.succeeded())
        return fail(kExitWriteFailed, result.error);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The tool draws into images only, so it never needs a display. The
    // platform's start-up remarks (a missing runtime folder, say) would only
    // blur the one line a failure is reported with.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler previousHandler = qInstallMessageHandler(discardMessage);
    QGuiApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    QGuiApplication::setApplicationName(QStringLiteral("lumivex-pattern"));
    // The patterns log every geometry change; on the command line that is noise.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws Lumivex test patterns into PNG images.\n\n"
                                                    "  lumivex-pattern --list\n"
                                                    "  lumivex-pattern --pattern NAME --size WxH --out FILE.png\n"
                                                    "  lumivex-pattern --all --size WxH --dir DIR\n"
                                                    "  lumivex-pattern --dicom DIR [--size WxH] [--bits 8|12]"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("Print the pattern names, one a line."));
    const QCommandLineOption patternOption(QStringLiteral("pattern"),
                                           QStringLiteral("Draw the pattern NAME (an unknown name draws the "
                                                          "composite pattern)."),
                                           QStringLiteral("NAME"));
    const QCommandLineOption allOption(QStringLiteral("all"), QStringLiteral("Draw every pattern as DIR/NAME.png."));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Image size, each side 1 to %1 pixels.").arg(kMaximumSide),
                                        QStringLiteral("WxH"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("The PNG file to write."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption dirOption(QStringLiteral("dir"), QStringLiteral("The folder to write into."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption dicomOption(QStringLiteral("dicom"),
                                         QStringLiteral("Write every pattern of the viewer test set as a DICOM "
                                                        "file, with a DICOMDIR, into DIR (default size %1x%2).")
                                             .arg(kDefaultDicomSize.width())
                                             .arg(kDefaultDicomSize.height()),
                                         QStringLiteral("DIR"));
    const QCommandLineOption bitsOption(
        QStringLiteral("bits"),
        QStringLiteral("Bits a pixel of the DICOM files, 8 or 12 (default %1).").arg(kDefaultDicomBits),
        QStringLiteral("8|12"), QString::number(kDefaultDicomBits));
    parser.addOptions(
        {listOption, patternOption, allOption, sizeOption, outOption, dirOption, dicomOption, bitsOption});

    if (!parser.parse(application.arguments()))
        return fail(kExitBadArguments, parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(kExitBadArguments,
                    QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().constFirst()));

    const int modes = int(parser.isSet(listOption)) + int(parser.isSet(patternOption)) + int(parser.isSet(allOption)) +
                      int(parser.isSet(dicomOption));
    if (modes != 1)
        return fail(kExitBadArguments,
                    QStringLiteral("give exactly one of --list, --pattern, --all and --dicom (see --help)"));
    if (parser.isSet(listOption))
        return listPatterns();
    if (parser.isSet(bitsOption) && !parser.isSet(dicomOption))
        return fail(kExitBadArguments, QStringLiteral("--bits belongs to --dicom"));

    QSize size = kDefaultDicomSize;
    if (!parser.isSet(sizeOption) && !parser.isSet(dicomOption))
        return fail(kExitBadArguments, QStringLiteral("missing --size WxH"));
    if (parser.isSet(sizeOption) && !parseSize(parser.value(sizeOption), &size))
        return fail(kExitBadArguments, QStringLiteral("invalid size \"%1\": expected WxH, each side 1 to %2")
                                           .arg(parser.value(sizeOption))
                                           .arg(kMaximumSide));

    if (parser.isSet(dicomOption)) {
        if (parser.value(dicomOption).isEmpty())
            return fail(kExitBadArguments, QStringLiteral("missing --dicom DIR"));
        return writeDicomSet(parser.value(dicomOption), size, parser.value(bitsOption));
    }
    if (parser.isSet(allOption)) {
        if (parser.value(dirOption).isEmpty())
            return fail(kExitBadArguments, QStringLiteral("missing --dir DIR"));
        return writeAllPatterns(size, parser.value(dirOption));
    }

    if (parser.value(outOption).isEmpty())
        return fail(kExitBadArguments, QStringLiteral("missing --out FILE.png"));
    const QString key = parser.value(patternOption);
    if (TestPattern::typeFromString(key) == TestPattern::kTestPatternUnknown)
        QTextStream(stderr) << "lumivex-pattern: warning: unknown pattern \"" << key
                            << "\", drawing the composite pattern" << Qt::endl;
    return writePattern(key, size, parser.value(outOption));
}
