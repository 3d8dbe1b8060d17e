#include "connectionstring.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <libpq-fe.h>

#include "errors.h"

namespace {

const QLatin1String kSqlitePrefix("sqlite:");

bool isPostgresUri(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// libpq's keywords are matched exactly; a secret's is matched in any case
// and with blanks around it, so that a text libpq refuses for it is still
// blanked where it is shown.
bool isSecret(QString key)
{
    key = key.trimmed();
    return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0
        || key.compare(QLatin1String("sslpassword"), Qt::CaseInsensitive) == 0;
}

bool isSecretKeyword(const char* keyword)
{
    return std::strcmp(keyword, "password") == 0 || std::strcmp(keyword, "sslpassword") == 0;
}

// Frees what PQconninfoParse or PQconninfo gave, the passwords wiped first.
void freeOptions(PQconninfoOption* options)
{
    if (!options)
        return;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && isSecretKeyword(o->keyword))
            explicit_bzero(o->val, std::strlen(o->val));
    }
    PQconninfoFree(options);
}

// How many passwords libpq reads in the text, those that read `except`
// left out; -1 when libpq cannot read the text at all.
int passwordsLibpqReads(const QString& text, const QString& except = QString())
{
    char* why = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &why);
    PQfreemem(why);
    if (!options)
        return -1;
    int found = 0;
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && *o->val && isSecretKeyword(o->keyword) && QString::fromUtf8(o->val) != except)
            ++found;
    }
    freeOptions(options);
    return found;
}

// A blank as libpq's keyword=value reader takes one (C's isspace).
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Where a password stands in a text, as [begin, end).
struct Span {
    qsizetype begin, end;
};

// The text after "scheme://" when it is URI-shaped (libpq's postgresql://
// and postgres://, and any other scheme, so that a text libpq refuses is
// blanked too); -1 for a keyword=value text.
qsizetype uriBody(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^\\s*[A-Za-z][A-Za-z0-9+.-]*://"));
    const QRegularExpressionMatch m = scheme.match(text);
    return m.hasMatch() ? m.capturedEnd() : -1;
}

// The passwords of a URI as libpq reads one: the user part runs to the
// first "@" met before any "/" (so it may hold "?", "|", "{", blanks and
// anything else a stricter URL reader refuses), user and password parted at
// its first ":"; the query starts at the first "?" after it, its items are
// parted by "&", and an item's keyword (percent-decoded) and value by its
// first "=".
void uriPasswords(const QString& text, qsizetype body, QList<Span>& spans)
{
    qsizetype userEnd = -1;
    for (qsizetype i = body; i < text.size() && text[i] != u'/'; ++i) {
        if (text[i] == u'@') {
            userEnd = i;
            break;
        }
    }
    if (userEnd >= 0) {
        const qsizetype colon = text.indexOf(u':', body);
        if (colon >= 0 && colon + 1 < userEnd)
            spans.append({colon + 1, userEnd});
    }
    const qsizetype query = text.indexOf(u'?', userEnd >= 0 ? userEnd + 1 : body);
    if (query < 0)
        return;
    for (qsizetype item = query + 1; item <= text.size();) {
        qsizetype end = text.indexOf(u'&', item);
        if (end < 0)
            end = text.size();
        const qsizetype equals = text.indexOf(u'=', item);
        if (equals >= 0 && equals < end && equals + 1 < end
            && isSecret(QString::fromUtf8(QByteArray::fromPercentEncoding(text.mid(item, equals - item).toUtf8()))))
            spans.append({equals + 1, end});
        item = end + 1;
    }
}

// The passwords of a keyword=value text as libpq reads one: blanks around
// the "=", a value either bare (to the next blank, a backslash taking the
// character after it) or quoted ('...', a backslash taking the character
// after it). Where libpq would stop with an error (a keyword without "=",
// a quote not closed) the text is read on as far as it goes.
void keywordPasswords(const QString& text, QList<Span>& spans)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n)
            break;
        const qsizetype keyword = i;
        while (i < n && text[i] != u'=' && !isBlank(text[i]))
            ++i;
        const bool secret = isSecret(text.mid(keyword, i - keyword));
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n || text[i] != u'=')
            break;
        ++i;
        while (i < n && isBlank(text[i]))
            ++i;
        const qsizetype value = i;
        const bool quoted = i < n && text[i] == u'\'';
        if (quoted) {
            for (++i; i < n;) {
                if (text[i] == u'\\')
                    i += 2;
                else if (text[i++] == u'\'')
                    break;
            }
        } else {
            while (i < n && !isBlank(text[i]))
                i += text[i] == u'\\' ? 2 : 1;
        }
        i = qMin(i, n);
        if (secret && i - value > (quoted ? 2 : 0))
            spans.append({value, i});
    }
}

// Every password the text holds, where it stands; none in a SQLite one.
QList<Span> passwordsIn(const QString& text)
{
    QList<Span> spans;
    if (text.trimmed().startsWith(kSqlitePrefix, Qt::CaseInsensitive))
        return spans;
    if (const qsizetype body = uriBody(text); body >= 0)
        uriPasswords(text, body, spans);
    else
        keywordPasswords(text, spans);
    return spans;
}

// Blanks each piece of libpq's message that quotes the password as the
// text wrote it: the password whole, not the letters of a word of libpq's
// own ("k" in "key").
void blankQuoted(QString& message, const QString& password)
{
    const auto word = [](QChar c) { return c.isLetterOrNumber(); };
    for (qsizetype at = message.indexOf(password); at >= 0; at = message.indexOf(password, at + 1)) {
        const qsizetype end = at + password.size();
        if ((at > 0 && word(message[at - 1]) && word(password.front()))
            || (end < message.size() && word(message[end]) && word(password.back())))
            continue;
        message.replace(at, password.size(), QStringLiteral("***"));
    }
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
    return !passwordsIn(text).isEmpty() || passwordsLibpqReads(text) > 0;
}

QString ConnectionString::redact(const QString& text, const QString& mask)
{
    QList<Span> spans = passwordsIn(text);
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin > b.begin; });
    QString shown = text;
    qsizetype before = shown.size() + 1;
    for (const Span& span : spans) {
        // From the last one back: the ones before keep their places.
        const qsizetype end = qMin(span.end, before);
        if (end > span.begin)
            shown.replace(span.begin, end - span.begin, mask);
        before = span.begin;
    }
    // libpq has the last word: where it still reads a password other than
    // the mask, nothing past the scheme is shown.
    if (passwordsLibpqReads(shown, mask) > 0) {
        const qsizetype body = uriBody(text);
        return body >= 0 ? text.left(body) + mask : mask;
    }
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
        // libpq's reason may quote a piece of the string, the password with
        // it ("invalid percent-encoded token: ..."): blanked there too.
        QString reason = why ? QString::fromUtf8(why).trimmed() : QString();
        PQfreemem(why);
        for (const Span& span : passwordsIn(cs.m_text))
            blankQuoted(reason, cs.m_text.mid(span.begin, span.end - span.begin));
        QString message = QCoreApplication::translate("Connection", "Cadeia de conexão PostgreSQL inválida: %1").arg(redact(cs.m_text));
        if (!reason.isEmpty())
            message += QStringLiteral(" (") + reason + QLatin1Char(')');
        throw EQdlError(message);
    }
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val)
            cs.m_parameters.emplace_back(QByteArray(o->keyword), QByteArray(o->val));
    }
    freeOptions(options);
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

ConnectionString::InForce ConnectionString::inForce() const
{
    // libpq settles a connection's options (the string's, then the service
    // file's entry, then its environment variables, then its defaults) as
    // it makes the connection, and PQconninfo tells them. Asked with a
    // channel_binding it refuses, libpq stops right after settling them,
    // before any name is looked up or any socket opened. The keywords are
    // the ones the real connection is opened with, read by the same call;
    // a password of its own spares libpq reading the password file for
    // nothing.
    std::vector<const char*> keywords, values;
    for (const auto& [key, value] : m_parameters) {
        if (key != "password" && key != "channel_binding") {
            keywords.push_back(key.constData());
            values.push_back(value.constData());
        }
    }
    for (const char* key : {"password", "channel_binding"}) {
        keywords.push_back(key);
        values.push_back("-");
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    InForce used;
    PGconn* conn = PQconnectStartParams(keywords.data(), values.data(), 0);
    if (!conn)
        return used;
    PQconninfoOption* options = PQconninfo(conn);
    for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (!o->val)
            continue;
        const QByteArray keyword(o->keyword);
        if (keyword == "host")
            used.host = o->val;
        else if (keyword == "hostaddr")
            used.hostaddr = o->val;
        else if (keyword == "sslmode")
            used.sslmode = o->val;
    }
    freeOptions(options);
    PQfinish(conn);
    // libpq keeps no service in the connection: the string's, else PGSERVICE.
    used.service = value("service");
    if (used.service.isEmpty())
        used.service = qgetenv("PGSERVICE");
    // libpq always settles an sslmode, its default at least: none means it
    // could not settle the options (a service missing from the file).
    used.known = !used.sslmode.isEmpty();
    return used;
}

bool ConnectionString::onThisMachine() const
{
    return onThisMachine(inForce());
}

bool ConnectionString::onThisMachine(const InForce& used) const
{
    if (!used.known)
        return false;
    // libpq pairs the lists: the i-th hostaddr, when given, is where the
    // i-th server is reached (the host then only names it for the
    // certificate); else the i-th host.
    const QByteArrayList hosts = used.host.split(',');
    const QByteArrayList addresses = used.hostaddr.split(',');
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
        return {mode, SslMode::Origin::String, {}};
    const InForce used = inForce();
    // A server elsewhere is reached over networks the chain does not own:
    // the connection is encrypted and the server proves its name with a
    // certificate from the chain's own authority (sslrootcert). So too
    // when libpq cannot settle where the server is: it will refuse the
    // string anyway.
    if (!used.known)
        return {"verify-full", SslMode::Origin::Program, {}};
    const bool environment = qEnvironmentVariableIsSet("PGSSLMODE");
    if (environment && used.sslmode == qgetenv("PGSSLMODE"))
        return {used.sslmode, SslMode::Origin::Environment, used.service};
    // A mode the string did not give, other than libpq's default or other
    // than PGSSLMODE's, is the service's: its entry comes before the
    // environment. (A service's own "prefer", libpq's default, is not told
    // apart from none: a server elsewhere is verified then too.)
    if (used.sslmode != "prefer" || environment)
        return {used.sslmode, used.service.isEmpty() ? SslMode::Origin::Environment : SslMode::Origin::Service, used.service};
    if (!onThisMachine(used))
        return {"verify-full", SslMode::Origin::Program, used.service};
    // On this machine TLS protects nothing, and asking for it costs every
    // connection a round trip: libpq tries without, and with TLS only when
    // the server refuses a session without it.
    return {"allow", SslMode::Origin::Program, used.service};
}

ConnectionString::Parameters ConnectionString::postgresParameters(int waitLimitMs, bool genericPlans) const
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
    // Generic plans, when asked for, come before the user's options, which
    // may set plan_cache_mode otherwise: under the branch policies a
    // terminal's statement took longer to plan than to run, on each of its
    // first runs in a session.
    if (genericPlans)
        options.prepend("-c plan_cache_mode=force_generic_plan ");
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
