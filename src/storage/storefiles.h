#pragma once

#include <QString>

// Files of the store hold names and serial numbers: they are readable by
// their owner only, and a file kept aside is never replaced.
namespace StoreFiles {

// Makes an existing file owner-only; false when it cannot be changed.
bool restrictToOwner(const QString &path);
// A name beside `path` that no file has yet, telling what the copy is and
// when it was made: "<path>.<what>-yyyyMMdd-HHmmss[-n]".
QString asideName(const QString &path, const QString &what);
// Copies `source` to a new owner-only file `target`; false, and no target, on failure.
bool copyOwnerOnly(const QString &source, const QString &target);
// As copyOwnerOnly, and the copy is on disk and read back equal to the source before it counts.
bool copyVerified(const QString &source, const QString &target);
// The file of `what` beside `path` that was kept last, or an empty text.
QString newestAside(const QString &path, const QString &what);
bool sameContent(const QString &first, const QString &second);

} // namespace StoreFiles
