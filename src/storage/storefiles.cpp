#include "storefiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

const QString AsideTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");
const qint64 CompareChunkBytes = 1 << 20;

} // namespace

bool StoreFiles::restrictToOwner(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString StoreFiles::asideName(const QString &path, const QString &what)
{
    const QString stem =
        path + QLatin1Char('.') + what + QLatin1Char('-') + QDateTime::currentDateTime().toString(AsideTimeFormat);
    QString name = stem;
    for (int attempt = 1; QFileInfo::exists(name); ++attempt)
        name = stem + QLatin1Char('-') + QString::number(attempt);
    return name;
}

bool StoreFiles::copyOwnerOnly(const QString &source, const QString &target)
{
    QFile input(source);
    QFile output(target);
    if (!input.open(QIODevice::ReadOnly) || !output.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool copied = restrictToOwner(target);
    while (copied && !input.atEnd()) {
        const QByteArray chunk = input.read(CompareChunkBytes);
        copied = !chunk.isEmpty() && output.write(chunk) == chunk.size();
    }
    copied = copied && output.flush() && input.error() == QFileDevice::NoError;
    output.close();
    if (!copied || output.error() != QFileDevice::NoError) {
        output.remove();
        return false;
    }
    return true;
}

bool StoreFiles::copyVerified(const QString &source, const QString &target)
{
    if (!copyOwnerOnly(source, target))
        return false;
    QFile copy(target);
    const bool durable = copy.open(QIODevice::ReadWrite) && ::fsync(copy.handle()) == 0;
    copy.close();
    if (durable && sameContent(source, target))
        return true;
    QFile::remove(target);
    return false;
}

QString StoreFiles::newestAside(const QString &path, const QString &what)
{
    const QFileInfo info(path);
    const QStringList names = QDir(info.absolutePath())
                                  .entryList({info.fileName() + QLatin1Char('.') + what + QStringLiteral("-*")},
                                             QDir::Files, QDir::Time);
    return names.isEmpty() ? QString() : info.absoluteDir().filePath(names.first());
}

bool StoreFiles::sameContent(const QString &first, const QString &second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(CompareChunkBytes) != b.read(CompareChunkBytes))
            return false;
    }
    return true;
}
