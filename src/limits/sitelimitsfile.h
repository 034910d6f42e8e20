#pragma once

#include <QJsonObject>
#include <QString>

// The site's own file of limits, read and checked before any of it is laid over
// the built-in table. A site may make a limit stricter freely; a limit less
// strict than the built-in one, or a new category, is taken only with
// "lenient": true and a "reason" on that entry. Keys the built-in table does
// not know, values of another shape, negative or absurd numbers, files over
// 1 MB and files that others than their owner may change are refused with the
// reason, and then nothing of the file is used.
class SiteLimitsFile
{
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;

    // Reads the file at path and checks it against the built-in document.
    static SiteLimitsFile read(const QString &path, const QJsonObject &builtIn);

    bool isAccepted() const { return m_problem.isEmpty(); }
    QString problem() const { return m_problem; }
    // The file's entries, each source marked as the site's ("site"), a lenient
    // one also with its reason, so the report shows where a limit came from.
    QJsonObject document() const { return m_document; }
    // The SHA-256 of the file as read, in hexadecimal.
    QString sha256() const { return m_sha256; }

private:
    QString m_problem;
    QJsonObject m_document;
    QString m_sha256;
};
