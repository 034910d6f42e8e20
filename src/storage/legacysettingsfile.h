#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

class QIODevice;

// The session and task lists that earlier versions kept in the settings file
// "Lumivex 2016.ini", read the way QSettings wrote them but one record at a
// time: a file of years of sessions is never held whole, and a damaged count
// or length makes its record unreadable instead of exhausting memory.
class LegacySettingsFile
{
public:
    enum List
    {
        Sessions,
        Tasks
    };
    // Called for every record read; false stops the reading.
    using RecordSink = std::function<bool(List list, int position, const QVariantMap &record)>;

    struct Result
    {
        bool readable = false; // the file was read to its end
        bool holdsLists = false;
        int sessions = 0;
        int tasks = 0;
        int damaged = 0; // list elements that are not a readable record
        QString locale;  // the stored language, for the tools
    };

    explicit LegacySettingsFile(const QString &path);

    // Hands every readable record to `sink`, in stored order, and copies every
    // line except the two lists to `rest` when it is given.
    Result read(const RecordSink &sink, QIODevice *rest = nullptr) const;

private:
    QString m_path;
};
