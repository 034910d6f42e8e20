// lumivex-units: lists the translatable units of the built-in dictionary, or
// the units a language file lacks, so a translator sees at once what is left
// to do after the dictionary changes. Entries of the file that translate no
// unit any more are named on standard error: the dictionary has dropped or
// reworded them.

#include "defaultdictionary.h"
#include "dictionaryengine.h"
#include "dictionaryreader.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace {

enum ExitCode
{
    Complete = 0,
    UnitsMissing = 1,
    BadArguments = 2
};

// One unit a line: a line break inside a unit is written as "\n".
void printUnits(const QStringList &units)
{
    QTextStream output(stdout);
    for (QString unit : units)
        output << unit.replace(QLatin1Char('\n'), QLatin1String("\\n")) << '\n';
}

// A unit whose translation is empty counts as missing: the translator shows
// the English unit for it.
QStringList missingUnits(const QStringList &units, const QHash<QString, QString> &translations)
{
    QStringList missing;
    for (const QString &unit : units) {
        if (translations.value(unit).isEmpty())
            missing << unit;
    }
    return missing;
}

QStringList staleEntries(const QStringList &units, const QHash<QString, QString> &translations)
{
    const QSet<QString> known(units.cbegin(), units.cend());
    QStringList stale;
    for (auto entry = translations.cbegin(); entry != translations.cend(); ++entry) {
        if (!known.contains(entry.key()))
            stale << entry.key();
    }
    stale.sort();
    return stale;
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList units = TR::DictionaryEngine::unitsOf(TR::defaultDictionary());
    if (argc == 1) {
        printUnits(units);
        return Complete;
    }
    QTextStream error(stderr);
    if (argc != 2) {
        error << "usage: lumivex-units [language file]\n";
        return BadArguments;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const std::optional<QHash<QString, QString>> translations = TR::DictionaryReader::readLanguageFile(path);
    if (!translations) {
        error << "cannot read the language file \"" << path << "\"\n";
        return BadArguments;
    }
    const QStringList missing = missingUnits(units, *translations);
    printUnits(missing);
    const QStringList stale = staleEntries(units, *translations);
    for (const QString &entry : stale)
        error << "no such unit: " << entry << '\n';
    error << missing.size() << " of " << units.size() << " units missing, " << stale.size() << " stale entries\n";
    return missing.isEmpty() && stale.isEmpty() ? Complete : UnitsMissing;
}
