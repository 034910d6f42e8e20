#include "calfile.h"

#include "gsdflookuptable.h"

#include <QLocale>
#include <QSaveFile>

namespace {

QByteArray fraction(int level)
{
    return QByteArray::number(double(level) / GsdfLookupTable::highestLevel, 'f', 6);
}

// CGATS strings are quoted, with no way to escape a quote.
QByteArray quoted(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1Char('"'), QLatin1Char('\''));
    plain.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return '"' + plain.toUtf8() + '"';
}

} // namespace

QByteArray CalFile::text(const QVector<int> &outputs, const QString &description, const QDateTime &created)
{
    QByteArray text = "CAL\n\n";
    text += "DESCRIPTOR " + quoted(description) + '\n';
    text += "ORIGINATOR \"Lumivex\"\n";
    text += "CREATED " + quoted(QLocale::c().toString(created, QStringLiteral("ddd MMM d HH:mm:ss yyyy"))) + '\n';
    text += "KEYWORD \"DEVICE_CLASS\"\nDEVICE_CLASS \"DISPLAY\"\n";
    text += "KEYWORD \"COLOR_REP\"\nCOLOR_REP \"RGB\"\n\n";
    text += "NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nRGB_I RGB_R RGB_G RGB_B\nEND_DATA_FORMAT\n\n";
    text += "NUMBER_OF_SETS " + QByteArray::number(outputs.size()) + "\nBEGIN_DATA\n";
    for (int input = 0; input < outputs.size(); ++input) {
        const QByteArray output = fraction(outputs.at(input));
        text += fraction(input) + ' ' + output + ' ' + output + ' ' + output + '\n';
    }
    text += "END_DATA\n";
    return text;
}

bool CalFile::write(const QString &path, const QByteArray &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
