#include "defaultdictionary.h"
#include "dictionaryengine.h"
#include "dictionaryreader.h"
#include "translatorprivate.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVector>

#include <algorithm>

namespace {

const int Runs = 9;
const int LookupRounds = 2000;
const int Rebuilds = 50;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A language file that translates every unit of the dictionary, as a full
// translation would, so that every template is resolved against a hit.
QByteArray fullLanguageFile(const QMap<QString, QString> &dictionary, const TR::DictionaryEngine &english)
{
    QByteArray xml("<Language Name=\"Bench\"><Definition>");
    for (auto entry = dictionary.cbegin(); entry != dictionary.cend(); ++entry) {
        const QString unit = english.translate(entry.key()).toHtmlEscaped();
        xml += QStringLiteral("<Unit ID=\"%1\" Text=\"%1 (translated)\"/>").arg(unit).toUtf8();
    }
    xml += "</Definition></Language>";
    return xml;
}

template <typename Action> double medianMilliseconds(int repetitions, Action action)
{
    QVector<double> milliseconds;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int repetition = 0; repetition < repetitions; ++repetition)
            action(repetition);
        milliseconds << double(timer.nsecsElapsed()) / 1e6 / repetitions;
    }
    return median(milliseconds);
}

} // namespace

int main()
{
    const QMap<QString, QString> dictionary = TR::defaultDictionary();
    const QStringList keys = dictionary.keys();
    TR::DictionaryEngine engine;
    engine.setModel(dictionary);
    const QByteArray languageFile = fullLanguageFile(dictionary, engine);
    const QHash<QString, QString> language =
        TR::DictionaryReader::readLanguage(languageFile).value_or(QHash<QString, QString>());

    qint64 totalLength = 0;
    const double roundMilliseconds = medianMilliseconds(LookupRounds, [&](int) {
        for (const QString &key : keys)
            totalLength += engine.translate(key).size();
    });
    const double lookupNanoseconds = roundMilliseconds * 1e6 / keys.size();

    const double rebuildMilliseconds = medianMilliseconds(
        Rebuilds, [&](int rebuild) { engine.setUnits(rebuild % 2 ? QHash<QString, QString>() : language); });

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("l_xx.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(languageFile) != languageFile.size())
        return 1;
    file.close();
    TR::TranslatorPrivate translator;
    translator.languagePath = folder.path();
    translator.engine->setModel(dictionary);
    // Each switch writes a log line; they would drown the figures.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const double setLocaleMilliseconds = medianMilliseconds(Rebuilds, [&](int rebuild) {
        translator.setLocale(rebuild % 2 ? QStringLiteral("en") : QStringLiteral("xx"));
    });

    QTextStream out(stdout);
    out << "bench_translator: " << keys.size() << " keys, " << language.size() << " translated units\n"
        << "  translate: " << QString::number(lookupNanoseconds, 'f', 1) << " ns per lookup (median of " << Runs
        << " runs of " << LookupRounds << " rounds; checksum " << totalLength << ")\n"
        << "  rebuild of the resolved table on a language change: " << QString::number(rebuildMilliseconds, 'f', 3)
        << " ms (median of " << Runs << " runs)\n"
        << "  setLocale, reading a " << languageFile.size()
        << "-byte language file and rebuilding: " << QString::number(setLocaleMilliseconds, 'f', 3) << " ms (median of "
        << Runs << " runs)\n";
    return 0;
}
