#include "hostconfig.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

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

// One configuration file's settings, checked whole.
QHash<QString, QString> readConfigFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EQdlError(tr("%1: o arquivo de configuração não pode ser lido (%2).").arg(path, file.errorString()));
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw EQdlError(tr("%1: o arquivo de configuração não está no formato INI (linhas chave=valor).").arg(path));
    // QSettings passes over a line that is neither a comment, a [section]
    // nor key=value: a setting written without "=" would be lost unseen.
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
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
        if (holdsPassword(cs) && (QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther)))
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
        if (QFileInfo::exists(path))
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
    return withoutPassword(connectionString) != connectionString;
}

