#pragma once

#include <QString>

class QSharedMemory;

// Where the single-instance channel lives, and whose it is. The channel's key
// files sit in the user's runtime folder (XDG_RUNTIME_DIR), or, when that is
// unset, in a private folder of the user's own in the temporary folder: no
// other user can create or read anything there. Other users may still guess
// the keys of the segment and semaphore made from those files and create them
// first, so objects that another user owns (or that others may use) are refused.
class InstanceChannel
{
public:
    // The folder to keep the channel in; empty, with the reason, when none is safe.
    static QString folder(QString *problem);
    // Whether the segment named by the shared memory's native key, and the
    // semaphore that locks it, belong to this user alone (or do not exist yet).
    static bool objectsAreOwn(const QSharedMemory &memory, QString *problem);

private:
    static bool isPrivateFolder(const QString &path, QString *problem);
};
