#include "instancechannel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSharedMemory>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The project id the toolkit passes to ftok() for its System V keys.
constexpr int ToolkitProjectId = 'Q';

// Owner-only: created by this user, owned by this user, no access for anyone else.
bool isOwnObject(const ipc_perm &permissions)
{
    const uid_t user = ::geteuid();
    return permissions.uid == user && permissions.cuid == user && (permissions.mode & 077) == 0;
}

// The key of an object made from a key file; -1 when the file is not there (nor the object, then).
key_t keyOf(const QString &keyFile)
{
    return QFileInfo::exists(keyFile) ? ::ftok(QFile::encodeName(keyFile).constData(), ToolkitProjectId) : key_t(-1);
}

bool segmentIsOwn(const QString &keyFile)
{
    const key_t key = keyOf(keyFile);
    const int id = key == -1 ? -1 : ::shmget(key, 0, 0);
    if (id == -1)
        return true;
    shmid_ds status{};
    // Unreadable for this user means another user's.
    return ::shmctl(id, IPC_STAT, &status) == 0 && isOwnObject(status.shm_perm);
}

bool semaphoreIsOwn(const QString &keyFile)
{
    const key_t key = keyOf(keyFile);
    const int id = key == -1 ? -1 : ::semget(key, 1, 0);
    if (id == -1)
        return true;
    semid_ds status{};
    return ::semctl(id, 0, IPC_STAT, &status) == 0 && isOwnObject(status.sem_perm);
}

} // namespace

QString InstanceChannel::folder(QString *problem)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat status
    {
    };
    // A runtime folder that is named but missing is treated as unset; one that exists must be private.
    if (!runtime.isEmpty() && ::lstat(QFile::encodeName(runtime).constData(), &status) == 0)
        return isPrivateFolder(runtime, problem) ? runtime : QString();

    const QString fallback = QDir::tempPath() + QStringLiteral("/lumivex-") + QString::number(::geteuid());
    // mkdir() gives the mode at once; a folder someone else made first is refused below.
    ::mkdir(QFile::encodeName(fallback).constData(), 0700);
    return isPrivateFolder(fallback, problem) ? fallback : QString();
}

bool InstanceChannel::isPrivateFolder(const QString &path, QString *problem)
{
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        *problem = QStringLiteral("\"%1\" is no folder").arg(path);
        return false;
    }
    if (status.st_uid != ::geteuid()) {
        *problem = QStringLiteral("\"%1\" belongs to another user (user id %2)").arg(path).arg(status.st_uid);
        return false;
    }
    if ((status.st_mode & 077) != 0) {
        *problem = QStringLiteral("\"%1\" is open to other users (mode %2)").arg(path).arg(status.st_mode & 0777, 0, 8);
        return false;
    }
    return true;
}

bool InstanceChannel::objectsAreOwn(const QSharedMemory &memory, QString *problem)
{
    // The toolkit names the semaphore's key file like the segment's, with its own prefix.
    const QFileInfo segmentFile(memory.nativeKey());
    const QString semaphoreFile = segmentFile.dir().filePath(
        segmentFile.fileName().replace(QLatin1String("qipc_sharedmemory_"), QLatin1String("qipc_systemsem_")));
    if (!segmentIsOwn(segmentFile.filePath())) {
        *problem =
            QStringLiteral("the shared memory segment of \"%1\" belongs to another user").arg(segmentFile.filePath());
        return false;
    }
    if (!semaphoreIsOwn(semaphoreFile)) {
        *problem = QStringLiteral("the semaphore of \"%1\" belongs to another user").arg(semaphoreFile);
        return false;
    }
    return true;
}
