#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// A stored session as data for other programs: JSON with the session's
// figures, every content in step order and the luminance response, or CSV
// with one row per content (RFC 4180, UTF-8). Captions are given in the
// translator's language, so callers leave it at the built-in English.
// A session the caller gives a "withdrawal" map ("withdrawnBy", "withdrawnAt",
// "reason") is marked withdrawn: JSON adds a "withdrawal" object, CSV three
// last columns; the export of any other session is unchanged.
class SessionExport
{
public:
    enum Format
    {
        Json,
        Csv
    };

    // The format a file name asks for by its suffix (".json" or ".csv", any case).
    static bool formatOf(const QString &fileName, Format *format);
    static QByteArray write(const QVariantMap &session, Format format);
};
