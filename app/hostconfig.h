#pragma once

// Where qdl-host's settings come from. Each of database, language and scale
// is taken from the first place that gives it: the command line, then (for
// the database only) the QDL_DATABASE environment variable, then the user's
// configuration file ($XDG_CONFIG_HOME/quadrel/qdl-host.conf), then the
// system's ($XDG_CONFIG_DIRS, /etc/xdg by default), then the default. The
// files are in QSettings' INI format.

#include <QString>
#include <QStringList>

#include "screenscale.h"

struct HostSetting {
    enum class Origin { CommandLine, Environment, File, Default };
    QString value; // as given; the default's own value when nothing gave one
    Origin origin = Origin::Default;
    QString file; // the configuration file it came from (Origin::File)

    // "command line", "environment QDL_DATABASE", the file's path or
    // "default", in the installed language.
    QString originText() const;
};

struct HostConfig {
    HostSetting database; // a connection string; by default the demo SQLite file
    HostSetting language; // "pt" or "en"; empty by default: the system's language decides
    HostSetting scale;    // "auto" or a factor; "1" by default
    ScreenScale screenScale;

    // One line a setting, "key = value (origin)", the password hidden; for
    // a PostgreSQL database also the sslmode in force and who chose it.
    QString describe() const;
};

// What the command line gave; a null string where the option is missing.
struct HostCommandLine {
    QString database, language, scale;
};

// The configuration files that count, most important first: the user's,
// then each system folder's.
QStringList hostConfigFiles();

// Resolves every setting. Every configuration file that exists is read and
// checked whole, whether or not its values are used. Throws EQdlError,
// naming the file (or the option) and the key, when a file cannot be read,
// is not valid INI, holds an unknown key or a value that is not valid, or
// holds a password and can be read by group or others; naming the file or
// folder, when the file is a symbolic link, or another user owns it or a
// folder above it, or group or others may write one of them (as ssh refuses
// one; a folder above the file's own one that all may write is let through
// with the sticky bit, as /tmp); and when --database carries a password,
// which the process list would show. Nothing is resolved then.
HostConfig resolveHostConfig(const HostCommandLine& given);

// Overwrites, in the program's own argument memory (what the process list
// shows), every password a --database value carries: called first thing in
// main, before the value is refused.
void hidePasswordArguments(int argc, char** argv);

// Whether a connection string carries a password in any form libpq reads
// (a URL's user part, a password= or sslpassword= query item or keyword):
// ConnectionString::holdsPassword.
bool holdsPassword(const QString& connectionString);
