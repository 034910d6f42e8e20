#include "datafolder.h"

#include "defaultdictionary.h"
#include "modalprompt.h"
#include "sessiondatabase.h"
#include "translator.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

const QString DataFolder::UserDataOption = QStringLiteral("-userdata");

bool DataFolder::isRequested(const QStringList &arguments)
{
    return arguments.contains(UserDataOption, Qt::CaseInsensitive);
}

QString DataFolder::userDataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

DataFolder::Access DataFolder::enterUserDataFolder()
{
    const QString path = userDataPath();
    if (path.isEmpty())
        return Access::Unusable;
    // The folder holds records of other people's work: only its owner reads it.
    if (!QFileInfo(path).isDir() &&
        !(QDir().mkpath(path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        return Access::Unusable;
    const Access access = secure(path);
    if (access == Access::OpenToOthers || access == Access::Unusable)
        return access;
    return QFileInfo(path).isWritable() && QDir::setCurrent(path) ? access : Access::Unusable;
}

DataFolder::Access DataFolder::secureWorkingFolder()
{
    if (!QFileInfo::exists(SessionDatabase::defaultFileName()))
        return Access::OwnerOnly;
    return secure(QDir::currentPath());
}

DataFolder::Access DataFolder::secure(const QString &path)
{
    struct stat folder = {};
    if (::stat(QFile::encodeName(path).constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return Access::Unusable;
    if (!(folder.st_mode & (S_IWGRP | S_IWOTH)))
        return Access::OwnerOnly;
    if (folder.st_uid != ::geteuid())
        return Access::OpenToOthers;
    return ::chmod(QFile::encodeName(path).constData(), folder.st_mode & ~mode_t(S_IRWXG | S_IRWXO)) == 0
               ? Access::MadeOwnerOnly
               : Access::OpenToOthers;
}

bool DataFolder::report(Access access, const QString &path)
{
    if (access == Access::OwnerOnly)
        return true;
    TR::Translator *translator = TR::Translator::instance();
    translator->setLanguagePaths(TR::Translator::programLanguagePaths());
    translator->setModel(TR::defaultDictionary());
    translator->setLocale(translator->preferredLocale());
    const bool usable = access == Access::MadeOwnerOnly;
    const char *key = usable                           ? "trust_folderMadeOwnerOnly"
                      : access == Access::OpenToOthers ? "trust_folderOpenToOthers"
                                                       : "dataFolderUnusable";
    const QString text = translator->translate(QLatin1String(key)).arg(QDir::toNativeSeparators(path));
    if (usable)
        qWarning().noquote() << text;
    else
        qCritical().noquote() << text;
    ModalPrompt::question(nullptr, usable ? QMessageBox::Warning : QMessageBox::Critical,
                          translator->translate(QStringLiteral("attention")), text,
                          {{translator->translate(QStringLiteral("ok")), QMessageBox::AcceptRole}});
    return usable;
}
