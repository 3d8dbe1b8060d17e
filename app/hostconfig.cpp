#include "hostconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "connection.h"
#include "connectionstring.h"
#include "errors.h"

namespace {

const QLatin1String kDatabase("database");
const QLatin1String kLanguage("language");
const QLatin1String kScale("scale");

QString tr(const char* text)
{
    return QCoreApplication::translate("HostConfig", text);
}

// Where a value was given, for an error: the file's path, or the command
// line, or the environment variable.
struct Place {
    QString where; // "/etc/xdg/quadrel/qdl-host.conf", "linha de comando"
    QString key;   // "scale", "--scale", "QDL_DATABASE"
};

[[noreturn]] void refuse(const Place& place, const QString& value, const QString& reason)
{
    throw EQdlError(tr("%1: valor inválido para %2: \"%3\". %4").arg(place.where, place.key, value, reason));
}

// The connection string as the data layer reads it. A SQLite file may be
// missing here: that is told when the program opens it, and --create-demo
// makes it.
void checkDatabase(const Place& place, const QString& value)
{
    QString reason;
    try {
        ConnectionString::parse(value);
    } catch (const EQdlError& e) {
        reason = e.message();
    }
    if (!reason.isEmpty()) {
        // The data layer's text quotes the string, a keyword password with it.
        const QString shown = withoutPassword(value.trimmed());
        refuse(place, shown, reason.replace(value.trimmed(), shown));
    }
}

QString checkLanguage(const Place& place, const QString& value)
{
    const QString language = value.trimmed().toLower();
    if (language != QLatin1String("pt") && language != QLatin1String("en"))
        refuse(place, value, tr("Use pt ou en."));
    return language;
}

ScreenScale checkScale(const Place& place, const QString& value)
{
    const std::optional<ScreenScale> scale = parseScreenScale(value);
    if (!scale)
        refuse(place, value, tr("Use auto ou um fator de %1 a %2.").arg(kMinScreenScale).arg(kMaxScreenScale));
    return *scale;
}

QString userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

// A descriptor closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
        return *this;
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

[[noreturn]] void unreadable(const QString& path, const QString& why)
{
    throw EQdlError(tr("%1: o arquivo de configuração não pode ser lido (%2).").arg(path, why));
}

QString modeText(mode_t mode)
{
    return QString::number(mode & 07777, 8).rightJustified(4, QLatin1Char('0'));
}

// One configuration file, read as ssh reads one: what another user could
// have written is refused. Every folder on the way to it, symbolic links
// resolved, must belong to this user or root and neither group nor others
// may write it; above the file's own folder, one all may write is let
// through when it has the sticky bit (as /tmp), where only an entry's
// owner renames or removes it. The file itself is opened without following
// a symbolic link, must be a plain file, belong to this user or root and
// neither group nor others may write it. Each folder is opened inside the
// one above it (O_NOFOLLOW), the file inside the last, and each is checked
// with fstat on what was opened, never by its name: what is checked is what
// is read. The file's mode comes back with its text.
struct ConfigText {
    QString checkedPath; // the file by its resolved folder
    QByteArray text;
    mode_t mode = 0;
};

ConfigText openConfigFile(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        unreadable(path, QString::fromLocal8Bit(std::strerror(ENOENT)));
    const uid_t me = geteuid();
    const auto check = [&](int fd, const QString& where, bool file, bool ownFolder) {
        struct stat st {};
        if (fstat(fd, &st) != 0)
            unreadable(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (file && !S_ISREG(st.st_mode))
            unreadable(path, S_ISDIR(st.st_mode) ? QString::fromLocal8Bit(std::strerror(EISDIR)) : tr("não é um arquivo comum"));
        if (st.st_uid != me && st.st_uid != 0) {
            throw EQdlError(file ? tr("%1: recusado: o arquivo é do usuário %2, não de %3 nem de root. Corrija com chown %3 %1.")
                                       .arg(path, userName(st.st_uid), userName(me))
                                 : tr("%1: recusado: a pasta %2 é do usuário %3, não de %4 nem de root. Corrija com chown %4 %2.")
                                       .arg(path, where, userName(st.st_uid), userName(me)));
        }
        const bool sticky = (st.st_mode & S_ISVTX) && !file && !ownFolder;
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !sticky) {
            throw EQdlError(file ? tr("%1: recusado: o grupo ou outros usuários podem alterar o arquivo (modo %2). Corrija com chmod go-w %1.")
                                       .arg(path, modeText(st.st_mode))
                                 : tr("%1: recusado: o grupo ou outros usuários podem alterar a pasta %2 (modo %3). Corrija com chmod go-w %2.")
                                       .arg(path, where, modeText(st.st_mode)));
        }
        return st.st_mode;
    };

    const QStringList steps = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    Descriptor dir(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QString where = QStringLiteral("/");
    for (qsizetype i = 0;; ++i) {
        if (dir.get() < 0)
            unreadable(path, QString::fromLocal8Bit(std::strerror(errno)));
        check(dir.get(), where, false, i == steps.size());
        if (i == steps.size())
            break;
        const int next = ::openat(dir.get(), QFile::encodeName(steps[i]).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int why = errno;
        dir = next;
        errno = why;
        where = QDir(where).filePath(steps[i]);
    }
    // O_NONBLOCK: a FIFO by the file's name is refused, not waited on.
    Descriptor fd(::openat(dir.get(), QFile::encodeName(info.fileName()).constData(),
                           O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ELOOP)
            throw EQdlError(tr("%1: recusado: o arquivo é um link simbólico, que o programa não segue. Ponha ali o próprio arquivo.")
                                .arg(path));
        unreadable(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    ConfigText read;
    read.mode = check(fd.get(), path, true, false);
    read.checkedPath = QDir(where).filePath(info.fileName());
    QFile file;
    if (!file.open(fd.release(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        unreadable(path, file.errorString());
    read.text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        unreadable(path, file.errorString());
    return read;
}

// One configuration file's settings, checked whole.
QHash<QString, QString> readConfigFile(const QString& path)
{
    const ConfigText read = openConfigFile(path);
    // A NUL would cut short the message that quotes its line or value:
    // told by its line instead.
    if (const qsizetype nul = read.text.indexOf('\0'); nul >= 0)
        throw EQdlError(tr("%1, linha %2: o arquivo de configuração contém um caractere NUL (byte zero).")
                            .arg(path)
                            .arg(read.text.left(nul).count('\n') + 1));
    // QSettings reads the INI by name: through the folders just checked,
    // where only this user and root may put another file in its place.
    const QSettings settings(read.checkedPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw EQdlError(tr("%1: o arquivo de configuração não está no formato INI (linhas chave=valor).").arg(path));
    // QSettings passes over a line that is neither a comment, a [section]
    // nor key=value: a setting written without "=" would be lost unseen.
    int lineNumber = 0;
    for (QByteArray line : read.text.split('\n')) {
        line = line.trimmed();
        ++lineNumber;
        if (!line.isEmpty() && !line.startsWith(';') && !line.startsWith('#') && !line.startsWith('[') && !line.contains('='))
            throw EQdlError(tr("%1, linha %2: \"%3\" não está no formato chave=valor.")
                                .arg(path)
                                .arg(lineNumber)
                                .arg(QString::fromUtf8(line)));
    }
    QHash<QString, QString> values;
    for (const QString& key : settings.allKeys()) {
        if (key != kDatabase && key != kLanguage && key != kScale)
            throw EQdlError(tr("%1: chave desconhecida \"%2\" (as chaves são database, language e scale).").arg(path, key));
        // QSettings reads a value with commas as a list (a multi-host URL);
        // the file meant the text as written.
        const QVariant value = settings.value(key);
        values.insert(key, (value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                                     : value.toString())
                               .trimmed());
    }
    const Place database{path, kDatabase};
    if (values.contains(kDatabase)) {
        const QString cs = values.value(kDatabase);
        if (holdsPassword(cs) && (read.mode & (S_IRGRP | S_IROTH)))
            throw EQdlError(tr("%1 guarda uma senha (chave database) e pode ser lido por outros usuários. Deixe a "
                               "senha em ~/.pgpass ou restrinja o arquivo ao dono (chmod 600 %1).")
                                .arg(path));
        checkDatabase(database, cs);
    }
    if (values.contains(kLanguage))
        values.insert(kLanguage, checkLanguage({path, kLanguage}, values.value(kLanguage)));
    if (values.contains(kScale))
        checkScale({path, kScale}, values.value(kScale));
    return values;
}

} // namespace

QString HostSetting::originText() const
{
    switch (origin) {
    case Origin::CommandLine:
        return tr("linha de comando");
    case Origin::Environment:
        return tr("variável de ambiente QDL_DATABASE");
    case Origin::File:
        return file;
    case Origin::Default:
        break;
    }
    return tr("padrão");
}

QString HostConfig::describe() const
{
    QString text;
    const std::pair<QLatin1String, const HostSetting*> settings[] = {
        {kDatabase, &database}, {kLanguage, &language}, {kScale, &scale}};
    for (const auto& [key, setting] : settings)
        text += QStringLiteral("%1 = %2 (%3)\n").arg(key, withoutPassword(setting->value), setting->originText());
    try {
        const ConnectionString cs = ConnectionString::parse(database.value);
        if (!cs.isSqlite()) {
            const ConnectionString::SslMode ssl = cs.sslMode();
            QString origin;
            switch (ssl.origin) {
            case ConnectionString::SslMode::Origin::String:
                origin = tr("cadeia de conexão do banco de dados");
                break;
            case ConnectionString::SslMode::Origin::Environment:
                origin = tr("variável de ambiente PGSSLMODE");
                break;
            case ConnectionString::SslMode::Origin::Service:
                origin = tr("serviço %1 do arquivo de serviços da libpq").arg(QString::fromUtf8(ssl.service));
                break;
            case ConnectionString::SslMode::Origin::Program:
                origin = ssl.mode == "allow" ? tr("escolhido pelo programa: servidor nesta máquina")
                                             : tr("escolhido pelo programa: servidor fora desta máquina");
                break;
            case ConnectionString::SslMode::Origin::Libpq:
                origin = tr("padrão da libpq");
                break;
            }
            text += QStringLiteral("sslmode = %1 (%2)\n").arg(QString::fromUtf8(ssl.mode), origin);
        }
    } catch (const EQdlError&) {
        // resolved settings are read; nothing else reaches here
    }
    return text;
}

QStringList hostConfigFiles()
{
    const QString name = QStringLiteral("/quadrel/qdl-host.conf");
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QStringList files{user + name};
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        if (dir != user && !files.contains(dir + name))
            files << dir + name;
    }
    return files;
}

HostConfig resolveHostConfig(const HostCommandLine& given)
{
    QList<std::pair<QString, QHash<QString, QString>>> files;
    for (const QString& path : hostConfigFiles()) {
        // A symbolic link is there even when what it leads to is not.
        if (const QFileInfo file(path); file.exists() || file.isSymLink())
            files.append({path, readConfigFile(path)});
    }
    const auto fromFiles = [&files](const QString& key, HostSetting& setting) {
        for (const auto& [path, values] : files) {
            if (values.contains(key)) {
                setting = {values.value(key), HostSetting::Origin::File, path};
                return;
            }
        }
    };
    const QString commandLine = tr("linha de comando");

    HostConfig config;
    const QString environment = qEnvironmentVariable("QDL_DATABASE");
    if (!given.database.isNull()) {
        // Any user of the machine reads another's command line (ps).
        if (holdsPassword(given.database))
            throw EQdlError(tr("%1: --database traz uma senha, que a lista de processos mostra a todos os usuários da máquina. "
                               "Deixe a senha no arquivo de senhas da libpq (~/.pgpass, ou o que PGPASSFILE nomear) ou no "
                               "arquivo de configuração %2, restrito ao dono (chmod 600 %2).")
                                .arg(commandLine, hostConfigFiles().constFirst()));
        checkDatabase({commandLine, QStringLiteral("--database")}, given.database);
        config.database = {given.database, HostSetting::Origin::CommandLine, {}};
    } else if (!environment.isEmpty()) {
        checkDatabase({tr("ambiente"), QStringLiteral("QDL_DATABASE")}, environment);
        config.database = {environment, HostSetting::Origin::Environment, {}};
    } else {
        config.database.value = QStringLiteral("sqlite:") + defaultDatabasePath();
        fromFiles(kDatabase, config.database);
    }

    if (!given.language.isNull())
        config.language = {checkLanguage({commandLine, QStringLiteral("--lang")}, given.language),
                           HostSetting::Origin::CommandLine, {}};
    else
        fromFiles(kLanguage, config.language);

    config.scale.value = QStringLiteral("1");
    if (!given.scale.isNull())
        config.scale = {given.scale.trimmed(), HostSetting::Origin::CommandLine, {}};
    else
        fromFiles(kScale, config.scale);
    // A file's value was checked with its file: only the command line's can fail here.
    config.screenScale = checkScale({commandLine, QStringLiteral("--scale")}, config.scale.value);
    return config;
}

bool holdsPassword(const QString& connectionString)
{
    return ConnectionString::holdsPassword(connectionString);
}


void hidePasswordArguments(int argc, char** argv)
{
    static const char option[] = "--database";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return; // the rest are not options
        char* value = nullptr;
        if (std::strcmp(argv[i], option) == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], option, sizeof option - 1) == 0 && argv[i][sizeof option - 1] == '=')
            value = argv[i] + sizeof option;
        if (!value)
            continue;
        const QString given = QString::fromLocal8Bit(value);
        if (!holdsPassword(given))
            continue;
        // Written over in place, never longer: the text with *** for the
        // password where it fits (a password of one or two characters is
        // shorter), else a keyword password still read as one.
        const size_t room = std::strlen(value);
        QByteArray shown = withoutPassword(given).toLocal8Bit();
        if (size_t(shown.size()) > room)
            shown = QByteArrayLiteral("password=*").left(qsizetype(room));
        std::memset(value, 0, room);
        std::memcpy(value, shown.constData(), size_t(shown.size()));
    }
}
