#include "connectionstring.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <arpa/inet.h>
#include <libpq-fe.h>

#include "errors.h"

namespace {

const QLatin1String kSqlitePrefix("sqlite:");

bool isPostgresUri(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool isSecret(const QString& key)
{
    return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0
        || key.compare(QLatin1String("sslpassword"), Qt::CaseInsensitive) == 0;
}

// A server reached on this machine: a Unix socket (libpq's default, a
// folder, or Linux's abstract "@name"), "localhost" or a loopback address.
bool isThisMachine(const QByteArray& host)
{
    if (host.isEmpty() || host.startsWith('/') || host.startsWith('@') || host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.constData(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6))
            return true;
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    // A name other than localhost is resolved by DNS, which may be told
    // anything: not this machine.
    return false;
}

} // namespace

bool ConnectionString::holdsPassword(const QString& text)
{
    // A password equal to one mask is changed by the other.
    return redact(text) != text || redact(text, QStringLiteral("#")) != text;
}

QString ConnectionString::redact(const QString& text, const QString& mask)
{
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && !text.trimmed().startsWith(kSqlitePrefix, Qt::CaseInsensitive)) {
        if (!url.password().isEmpty())
            url.setPassword(mask);
        QUrlQuery query(url);
        bool changed = false;
        auto items = query.queryItems(QUrl::FullyDecoded);
        for (auto& [key, value] : items) {
            if (isSecret(key)) {
                value = mask;
                changed = true;
            }
        }
        if (changed) {
            query.setQueryItems(items);
            url.setQuery(query);
        }
        return url.toString() == QUrl(text, QUrl::StrictMode).toString() ? text : url.toString();
    }
    // A keyword string: password=value or password='quoted value'.
    static const QRegularExpression keyword(
        QStringLiteral("(^|\\s)((?:ssl)?password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|\\S+)"),
        QRegularExpression::CaseInsensitiveOption);
    QString shown = text;
    shown.replace(keyword, QStringLiteral("\\1\\2") + mask); // masks hold no backslash
    return shown;
}

ConnectionString ConnectionString::parse(const QString& given)
{
    ConnectionString cs;
    cs.m_text = given.trimmed();
    if (cs.m_text.startsWith(kSqlitePrefix, Qt::CaseInsensitive)) {
        cs.m_backend = Backend::Sqlite;
        cs.m_sqlitePath = cs.m_text.mid(kSqlitePrefix.size());
        if (cs.m_sqlitePath.trimmed().isEmpty())
            throw EQdlError(QCoreApplication::translate("Connection", "Cadeia de conexão sem o caminho do banco SQLite: \"%1\"")
                                .arg(cs.m_text));
        return cs;
    }
    if (!isPostgresUri(cs.m_text))
        throw EQdlError(QCoreApplication::translate("Connection", "Cadeia de conexão não reconhecida: \"%1\" (use sqlite:CAMINHO ou "
                                                                  "postgresql://usuario@servidor:porta/banco)")
                            .arg(redact(cs.m_text)));
    cs.m_backend = Backend::Postgres;
    // libpq reads its own URIs: several hosts, percent-encoding, every key.
    char* why = nullptr;
    PQconninfoOption* options = PQconninfoParse(cs.m_text.toUtf8().constData(), &why);
    if (!options) {
        const QString reason = why ? QString::fromUtf8(why).trimmed() : QString();
        PQfreemem(why);
        QString message = QCoreApplication::translate("Connection", "Cadeia de conexão PostgreSQL inválida: %1").arg(redact(cs.m_text));
        if (!reason.isEmpty())
            message += QStringLiteral(" (") + reason + QLatin1Char(')');
        throw EQdlError(message);
    }
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val)
            cs.m_parameters.emplace_back(QByteArray(o->keyword), QByteArray(o->val));
    }
    PQconninfoFree(options);
    return cs;
}

QByteArray ConnectionString::value(const char* keyword) const
{
    for (const auto& [key, value] : m_parameters) {
        if (key == keyword)
            return value;
    }
    return {};
}

QByteArray ConnectionString::valueOrEnvironment(const char* keyword, const char* variable) const
{
    // libpq reads the variable only for a keyword the string leaves out,
    // not for one it sets empty.
    for (const auto& [key, value] : m_parameters) {
        if (key == keyword)
            return value;
    }
    return qgetenv(variable);
}

bool ConnectionString::onThisMachine() const
{
    // libpq pairs the lists: the i-th hostaddr, when given, is where the
    // i-th server is reached (the host then only names it for the
    // certificate); else the i-th host.
    const QByteArrayList hosts = valueOrEnvironment("host", "PGHOST").split(',');
    const QByteArrayList addresses = valueOrEnvironment("hostaddr", "PGHOSTADDR").split(',');
    for (qsizetype i = 0; i < qMax(hosts.size(), addresses.size()); ++i) {
        const QByteArray address = addresses.value(i).trimmed();
        if (!isThisMachine(address.isEmpty() ? hosts.value(i).trimmed() : address))
            return false;
    }
    return true;
}

ConnectionString::SslMode ConnectionString::sslMode() const
{
    // libpq reads the old requiressl as sslmode already.
    if (const QByteArray mode = value("sslmode"); !mode.isEmpty())
        return {mode, SslMode::Origin::String};
    if (qEnvironmentVariableIsSet("PGSSLMODE"))
        return {qgetenv("PGSSLMODE"), SslMode::Origin::Environment};
    // A server elsewhere is reached over networks the chain does not own:
    // the connection is encrypted and the server proves its name with a
    // certificate from the chain's own authority (sslrootcert).
    if (!onThisMachine())
        return {"verify-full", SslMode::Origin::Program};
    return {"prefer", SslMode::Origin::Libpq};
}

ConnectionString::Parameters ConnectionString::postgresParameters(int waitLimitMs) const
{
    Parameters out;
    for (const auto& [key, value] : m_parameters) {
        // The options are joined below.
        if (key != "options")
            out.emplace_back(key, value);
    }
    // The session's name, which the server shows beside it and the layout's
    // history records with each change: the program's, unless the string
    // names one (a terminal telling itself apart).
    if (value("application_name").isEmpty())
        out.emplace_back("application_name", "quadrel-qdl00005");
    // The server ends a statement, or a commit's wait for its standby, that
    // runs past the wait limit; the user's options come first.
    QByteArray options = value("options");
    if (options.isEmpty())
        options = qgetenv("PGOPTIONS");
    options = options.trimmed();
    if (!options.isEmpty())
        options += ' ';
    out.emplace_back("options", options + "-c statement_timeout=" + QByteArray::number(waitLimitMs));
    // A link that goes silent under an open session (the TCP connection up,
    // nothing passing) is found within the wait limit: keepalives probe an
    // idle link, tcp_user_timeout ends one whose sent data is never
    // acknowledged.
    const int seconds = qMax(1, waitLimitMs / 1000);
    const auto unlessGiven = [&](const char* key, const QByteArray& fallback) {
        if (value(key).isEmpty())
            out.emplace_back(key, fallback);
    };
    unlessGiven("keepalives", "1");
    unlessGiven("keepalives_idle", QByteArray::number(qMax(1, seconds / 3)));
    unlessGiven("keepalives_interval", QByteArray::number(qMax(1, seconds / 6)));
    unlessGiven("keepalives_count", "3");
    unlessGiven("tcp_user_timeout", QByteArray::number(waitLimitMs));
    if (const SslMode ssl = sslMode(); ssl.origin == SslMode::Origin::Program)
        out.emplace_back("sslmode", ssl.mode);
    return out;
}
