// The settings import: a settings file of an earlier version, another station
// or a damaged disk, moved into the database at the first start as the
// program does it, then read back as the program and lumivex-report read it,
// down to the exported data of every stored session.
#include "fuzzapplication.h"

#include "configurationmanager.h"
#include "legacysettingsfile.h"
#include "sessionexport.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    QDir folder(fuzzFolder().path());
    for (const QString &left : folder.entryList(QDir::Files))
        folder.remove(left);
    const QString path = folder.filePath(QStringLiteral("Lumivex 2016.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();

    LegacySettingsFile(path).read([](LegacySettingsFile::List, int, const QVariantMap &) { return true; });
    ConfigurationManager store(path);
    store.localeSelected();
    store.tasks();
    store.latestSessionResults();
    for (const QVariant &summary : store.sessions()) {
        const QVariantMap record = store.sessionRecord(summary.toMap());
        SessionExport::write(record, SessionExport::Json);
        SessionExport::write(record, SessionExport::Csv);
    }
    return 0;
}
