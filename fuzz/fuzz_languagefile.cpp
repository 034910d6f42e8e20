// The language file reader: a site can drop any file into the language folder.
#include "fuzzapplication.h"

#include "dictionaryengine.h"
#include "dictionaryreader.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    // A small model: rebuilding the program's whole dictionary for every input
    // would cost most of the run and reach no further code.
    static TR::DictionaryEngine &engine = []() -> TR::DictionaryEngine & {
        static TR::DictionaryEngine withModel;
        withModel.setModel({{QStringLiteral("twoUnits"), QStringLiteral("_[Cancel]_\n_[Start a new test]_")}});
        return withModel;
    }();

    const QByteArray xml(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QString path = fuzzFolder().filePath(QStringLiteral("l_xx.xml"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(xml) == xml.size()) {
        file.close();
        TR::DictionaryReader::readLanguageName(path);
        TR::DictionaryReader::readLanguageFile(path);
    }
    TR::DictionaryReader::readModel(xml);
    if (const auto units = TR::DictionaryReader::readLanguage(xml)) {
        engine.setUnits(*units);
        engine.translate(QStringLiteral("twoUnits"));
        engine.translate(QString::fromUtf8(xml));
    }
    return 0;
}
