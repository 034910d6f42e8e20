#include "siteuri.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QUrl>

namespace {

// A station gives up a connection that hangs after this many seconds and tries again later.
const int ConnectTimeoutSeconds = 5;

const QStringList SslModes = {QStringLiteral("disable"),   QStringLiteral("allow"),     QStringLiteral("prefer"),
                              QStringLiteral("require"),   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

// libpq parameters a site may set in the URI's query besides host, port, user and dbname.
const QStringList PassedParameters = {QStringLiteral("sslmode"),          QStringLiteral("sslrootcert"),
                                      QStringLiteral("sslcert"),          QStringLiteral("sslkey"),
                                      QStringLiteral("sslcrl"),           QStringLiteral("passfile"),
                                      QStringLiteral("application_name"), QStringLiteral("target_session_attrs"),
                                      QStringLiteral("channel_binding"),  QStringLiteral("gssencmode")};

QString decoded(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

} // namespace

SiteUri SiteUri::parse(const QString &uri)
{
    SiteUri result;
    const QRegularExpression scheme(QStringLiteral("^postgres(ql)?://"));
    const QRegularExpressionMatch match = scheme.match(uri);
    if (!match.hasMatch()) {
        result.m_error = QStringLiteral("the site database must be a postgresql:// URI, not \"%1\"").arg(uri);
        return result;
    }
    QString rest = uri.mid(match.capturedLength());
    const int queryStart = rest.indexOf(QLatin1Char('?'));
    const QString query = queryStart < 0 ? QString() : rest.mid(queryStart + 1);
    rest.truncate(queryStart < 0 ? rest.size() : queryStart);
    const int pathStart = rest.indexOf(QLatin1Char('/'));
    if (pathStart >= 0)
        result.m_databaseName = decoded(rest.mid(pathStart + 1));
    if (!result.parseAuthority(rest.left(pathStart < 0 ? rest.size() : pathStart)) || !result.parseQuery(query))
        return result;
    result.m_options << QStringLiteral("connect_timeout=%1").arg(ConnectTimeoutSeconds);
    return result;
}

bool SiteUri::parseAuthority(const QString &authority)
{
    QString hostAndPort = authority;
    const int at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        if (userInfo.contains(QLatin1Char(':'))) {
            m_error = QStringLiteral("the site database URI holds a password; keep it in ~/.pgpass instead");
            return false;
        }
        m_user = decoded(userInfo);
        hostAndPort = authority.mid(at + 1);
    }
    if (hostAndPort.contains(QLatin1Char(','))) {
        m_error = QStringLiteral("the site database URI names more than one host");
        return false;
    }
    QString port;
    if (hostAndPort.startsWith(QLatin1Char('['))) {
        const int close = hostAndPort.indexOf(QLatin1Char(']'));
        if (close < 0) {
            m_error = QStringLiteral("the site database URI has an unclosed \"[\" in its host");
            return false;
        }
        m_host = hostAndPort.mid(1, close - 1);
        port = hostAndPort.mid(close + 1);
        if (!port.isEmpty() && !port.startsWith(QLatin1Char(':'))) {
            m_error = QStringLiteral("the site database URI has text after its host \"[%1]\"").arg(m_host);
            return false;
        }
        port = port.mid(1);
    } else {
        const int colon = hostAndPort.lastIndexOf(QLatin1Char(':'));
        m_host = decoded(colon < 0 ? hostAndPort : hostAndPort.left(colon));
        port = colon < 0 ? QString() : hostAndPort.mid(colon + 1);
    }
    return port.isEmpty() || setParameter(QStringLiteral("port"), port);
}

bool SiteUri::parseQuery(const QString &query)
{
    const QStringList pairs = query.split(QLatin1Char('&'), Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const int equals = pair.indexOf(QLatin1Char('='));
        if (equals < 0) {
            m_error = QStringLiteral("the site database URI parameter \"%1\" has no value").arg(decoded(pair));
            return false;
        }
        if (!setParameter(decoded(pair.left(equals)), decoded(pair.mid(equals + 1))))
            return false;
    }
    return true;
}

bool SiteUri::setParameter(const QString &key, const QString &value)
{
    if (key == QLatin1String("password")) {
        m_error = QStringLiteral("the site database URI holds a password; keep it in ~/.pgpass instead");
        return false;
    }
    if (key == QLatin1String("host")) {
        m_host = value;
    } else if (key == QLatin1String("user")) {
        m_user = value;
    } else if (key == QLatin1String("dbname")) {
        m_databaseName = value;
    } else if (key == QLatin1String("port")) {
        bool isNumber = false;
        m_port = value.toInt(&isNumber);
        if (!isNumber || m_port < 1 || m_port > 65535) {
            m_error = QStringLiteral("the site database port \"%1\" is not a port number").arg(value);
            return false;
        }
    } else if (PassedParameters.contains(key)) {
        // Qt hands the options to libpq as one text: a blank, quote or semicolon would
        // split a value into parameters of its own.
        if (value.isEmpty() || value.contains(QRegularExpression(QStringLiteral("[\\s'\"\\\\;]")))) {
            m_error = QStringLiteral("the site database URI parameter \"%1\" has an unusable value \"%2\"")
                          .arg(key, value);
            return false;
        }
        if (key == QLatin1String("sslmode") && !SslModes.contains(value)) {
            m_error = QStringLiteral("the site database sslmode \"%1\" is not one of %2")
                          .arg(value, SslModes.join(QStringLiteral(", ")));
            return false;
        }
        m_options << key + QLatin1Char('=') + value;
    } else {
        m_error = QStringLiteral("the site database URI parameter \"%1\" is not supported").arg(key);
        return false;
    }
    return true;
}

QString SiteUri::displayName() const
{
    QString name = m_user.isEmpty() ? m_host : m_user + QLatin1Char('@') + m_host;
    if (m_port > 0)
        name += QLatin1Char(':') + QString::number(m_port);
    return name + QLatin1Char('/') + m_databaseName;
}

void SiteUri::applyTo(QSqlDatabase &database) const
{
    database.setHostName(m_host);
    if (m_port > 0)
        database.setPort(m_port);
    database.setUserName(m_user);
    database.setDatabaseName(m_databaseName);
    database.setConnectOptions(m_options.join(QLatin1Char(';')));
}
