#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <unistd.h>

// A real PostgreSQL 15 server for one test run, in a temporary folder and
// listening only on a Unix socket in that folder, so two runs never meet.
// PostgreSQL refuses to run as root: a test run as root (as in CI) runs the
// server as the system user "postgres" that the package creates, with the
// folder given to that user. Every local login is trusted except the user
// "lumivex_password", which must give a password that no test has.
class PostgresServer
{
public:
    static constexpr int TimeLimitMs = 60000;

    // A durable server writes to disk at each commit, as a site's server does; the
    // tests' server does not, for speed.
    explicit PostgresServer(bool durable = false) : m_folder("/tmp/lumivex-pg-XXXXXX"), m_durable(durable) {}

    ~PostgresServer() { stop(); }

    // Makes the cluster and starts the server; the reason it could not lands in error().
    bool start()
    {
        if (!m_folder.isValid())
            return fail("no temporary folder");
        if (!QDir(dataFolder()).exists() && !initialise())
            return false;
        const QString options = QString("-k %1 -c listen_addresses='' -c fsync=%2")
                                    .arg(socketFolder(), QLatin1String(m_durable ? "on" : "off"));
        return run("pg_ctl", {"-D", dataFolder(), "-l", m_folder.filePath("server.log"), "-w", "-o", options, "start"});
    }

    bool stop()
    {
        return !QFile::exists(dataFolder() + "/postmaster.pid") ||
               run("pg_ctl", {"-D", dataFolder(), "-m", "fast", "-w", "stop"});
    }

    QString socketFolder() const { return m_folder.path(); }
    QString error() const { return m_error; }

    // The URI of a database on this server, for a user (the superuser by default).
    QString uri(const QString &database, const QString &user = "postgres") const
    {
        return QString("postgresql://%1@%2/%3")
            .arg(user, QString::fromLatin1(QUrl::toPercentEncoding(socketFolder())), database);
    }

    // Runs statements as the superuser in a database ("postgres" to make databases and roles).
    bool execute(const QString &database, const QStringList &statements)
    {
        const QString name = "postgres-server-admin";
        bool ok = true;
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase("QPSQL", name);
            connection.setHostName(socketFolder());
            connection.setUserName("postgres");
            connection.setDatabaseName(database);
            ok = connection.open() || fail(connection.lastError().text());
            for (const QString &statement : statements) {
                QSqlQuery query(connection);
                if (ok && !query.exec(statement))
                    ok = fail(statement + ": " + query.lastError().text());
            }
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

private:
    QString dataFolder() const { return m_folder.filePath("data"); }

    bool initialise()
    {
        if (isRoot() && QProcess::execute("chown", {"postgres:postgres", m_folder.path()}) != 0)
            return fail("cannot give the folder to the user postgres");
        if (!run("initdb",
                 {"-D", dataFolder(), "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"}))
            return false;
        // The file initdb wrote keeps its owner when root rewrites it.
        QFile access(dataFolder() + "/pg_hba.conf");
        const QByteArray rules = "local all lumivex_password scram-sha-256\nlocal all all trust\n";
        return (access.open(QIODevice::WriteOnly) && access.write(rules) == rules.size()) ||
               fail("cannot write pg_hba.conf");
    }

    static bool isRoot() { return geteuid() == 0; }

    // Runs a server program, as the user postgres when the test runs as root.
    bool run(const QString &program, const QStringList &arguments)
    {
        const QString path = "/usr/lib/postgresql/15/bin/" + program;
        const QStringList command = (isRoot() ? QStringList{"-u", "postgres", "--", path} : QStringList()) + arguments;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(isRoot() ? "runuser" : path, command);
        if (!process.waitForFinished(TimeLimitMs)) {
            process.kill();
            process.waitForFinished();
            return fail(program + " did not finish: " + QString::fromLocal8Bit(process.readAll()));
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return fail(program + " failed: " + QString::fromLocal8Bit(process.readAll()));
        return true;
    }

    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

    QTemporaryDir m_folder;
    bool m_durable;
    QString m_error;
};
