#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// A site database named by a libpq connection URI,
// postgresql://user@host:port/dbname?sslmode=..., where the host may be a
// percent-encoded Unix-socket folder (postgresql://user@%2Fvar%2Frun%2Fpostgresql/lumivex).
// A password never comes from here: libpq reads ~/.pgpass or PGPASSFILE itself.
class SiteUri
{
public:
    // The folder or host name, port, user and database of a URI; a URI that
    // cannot be used leaves isValid() false and says why in error().
    static SiteUri parse(const QString &uri);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString user() const { return m_user; }
    QString databaseName() const { return m_databaseName; }
    // libpq parameters such as "sslmode=verify-full", the connect time limit included.
    QStringList connectOptions() const { return m_options; }

    // "user@host:port/dbname", for messages: never a secret.
    QString displayName() const;

    // Gives a QPSQL connection these parameters.
    void applyTo(QSqlDatabase &database) const;

private:
    bool parseAuthority(const QString &authority);
    bool parseQuery(const QString &query);
    bool setParameter(const QString &key, const QString &value);

    QString m_host;
    int m_port = -1;
    QString m_user;
    QString m_databaseName;
    QStringList m_options;
    QString m_error;
};
