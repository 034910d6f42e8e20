#include "datafolder.h"

#include "defaultdictionary.h"
#include "modalprompt.h"
#include "translator.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

const QString DataFolder::UserDataOption = QStringLiteral("-userdata");

bool DataFolder::isRequested(const QStringList &arguments)
{
    return arguments.contains(UserDataOption, Qt::CaseInsensitive);
}

QString DataFolder::userDataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool DataFolder::enterUserDataFolder()
{
    const QString path = userDataPath();
    if (path.isEmpty())
        return false;
    // The folder holds records of other people's work: only its owner reads it.
    if (!QFileInfo(path).isDir() &&
        !(QDir().mkpath(path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        return false;
    return QFileInfo(path).isWritable() && QDir::setCurrent(path);
}

void DataFolder::reportUnusable()
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLanguagePaths(TR::Translator::programLanguagePaths());
    translator->setModel(TR::defaultDictionary());
    translator->setLocale(translator->preferredLocale());
    const QString text = translator->translate(QStringLiteral("dataFolderUnusable")).arg(userDataPath());
    qCritical().noquote() << text;
    ModalPrompt::question(nullptr, QMessageBox::Critical, translator->translate(QStringLiteral("attention")), text,
                          {{translator->translate(QStringLiteral("ok")), QMessageBox::AcceptRole}});
}
