// The settings import on a full disk: the first start after an update moves
// the sessions of the old settings file into the database while the kernel
// refuses to let any file grow past a limit, as on a disk that fills up during
// the import. Whatever the file holds and wherever the writes stop, no session
// may be lost: each one that an import with room keeps is in the database, or
// the old file is untouched to the byte. A later start with room then holds
// every such session once.
//
// The first two bytes of an input choose the limit (1 KB to about 1 MB), the
// rest is the settings file.
#include "fuzzapplication.h"

#include "configurationmanager.h"
#include "sessiondatabase.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A record as bytes, so that records compare and sort.
QByteArray bytesOf(const QVariantMap &record)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << record;
    return bytes;
}

// A settings file alone in a folder emptied for it.
QString freshSettingsFile(const QString &folderName, const QByteArray &bytes)
{
    QDir folder(fuzzFolder().path());
    folder.mkpath(folderName);
    folder.cd(folderName);
    for (const QString &left : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(left);
    const QString path = folder.filePath(QStringLiteral("Lumivex 2016.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        abort();
    return path;
}

// The stored sessions, each as bytes, in a fixed order, so that two stores compare.
QList<QByteArray> sessionsOf(const ConfigurationManager &store)
{
    QList<QByteArray> sessions;
    for (const QVariant &summary : store.sessions())
        sessions << bytesOf(store.sessionRecord(summary.toMap()));
    std::sort(sessions.begin(), sessions.end());
    return sessions;
}

// The sessions in the database beside the settings file, read without starting an import; none when it cannot be read.
QList<QByteArray> storedBeside(const QString &path)
{
    QList<QByteArray> sessions;
    SessionDatabase database(QFileInfo(path).dir().filePath(SessionDatabase::defaultFileName()),
                             SessionDatabase::ReadOnly);
    if (!database.open())
        return sessions;
    for (const QVariant &summary : database.sessionSummaries())
        sessions << bytesOf(database.sessionRecord(summary.toMap().value("id").toLongLong()));
    return sessions;
}

// Opens the store on the settings file as the program's start does, and lets
// the settings write what they keep for the next turn of the event loop.
QList<QByteArray> start(const QString &path)
{
    QList<QByteArray> sessions;
    {
        const ConfigurationManager store(path);
        sessions = sessionsOf(store);
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return sessions;
}

// Only the soft limit is set, so that the fuzzer itself may write its findings once it is lifted again.
void limitFileSize(rlim_t bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    fuzzApplication();
    // A write past the limit fails with EFBIG, as a full disk's fails with ENOSPC, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = 1024 + rlim_t(data[0] | data[1] << 8) * 16;
    const QByteArray old(reinterpret_cast<const char *>(data) + 2, int(size - 2));

    const QList<QByteArray> kept = start(freshSettingsFile(QStringLiteral("room"), old));

    const QString path = freshSettingsFile(QStringLiteral("full"), old);
    limitFileSize(limit);
    start(path);
    limitFileSize(RLIM_INFINITY);
    if (fileBytes(path) != old) {
        const QList<QByteArray> stored = storedBeside(path);
        for (const QByteArray &session : kept) {
            if (!stored.contains(session))
                abort(); // neither in the database nor in the untouched old file: lost
        }
    }
    if (start(path) != kept)
        abort(); // a later start with room misses a session or holds one twice
    return 0;
}
