#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its settings file, database and site file. Started
// from a terminal it uses its working folder, as it always has; the desktop
// entry passes "-userdata", which makes the user's data folder
// (QStandardPaths::AppDataLocation) the working folder before anything is
// opened, so every file the program keeps by a relative name lands there.
//
// Another local user who may write to that folder could replace the database
// or place a limits file there: such a folder is made owner-only when it is
// the user's own, and refused otherwise.
class DataFolder
{
public:
    static const QString UserDataOption;

    enum class Access
    {
        OwnerOnly,     // only its owner, the user, may write it
        MadeOwnerOnly, // others could write it; now only the user may
        OpenToOthers,  // others may write it and it is not the user's to change
        Unusable       // it cannot be created, examined or entered
    };

    // Matched without regard to case, like the program's other options.
    static bool isRequested(const QStringList &arguments);
    static QString userDataPath();
    // Creates the user's data folder when it is missing (owner-only), secures
    // it and makes it the working folder when it can be used.
    static Access enterUserDataFolder();
    // The working folder, when it holds the database, secured like the data folder.
    static Access secureWorkingFolder();
    // Makes an existing folder of the user's owner-only; says what it found.
    static Access secure(const QString &path);
    // Tells the operator, in the system's language, what was found and done at
    // the folder; false when the program must stop rather than keep records there.
    static bool report(Access access, const QString &path);
};
