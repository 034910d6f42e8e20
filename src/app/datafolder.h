#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its settings file, database and site file. Started
// from a terminal it uses its working folder, as it always has; the desktop
// entry passes "-userdata", which makes the user's data folder
// (QStandardPaths::AppDataLocation) the working folder before anything is
// opened, so every file the program keeps by a relative name lands there.
class DataFolder
{
public:
    static const QString UserDataOption;

    // Matched without regard to case, like the program's other options.
    static bool isRequested(const QStringList &arguments);
    static QString userDataPath();
    // Creates the user's data folder when it is missing (owner-only) and makes
    // it the working folder; false when it cannot be created or entered.
    static bool enterUserDataFolder();
    // Tells the operator, in the system's language, that the data folder
    // cannot be used; the program then stops rather than keep records elsewhere.
    static void reportUnusable();
};
