#pragma once

// qdl-host's command line, read before anything opens a window: the one
// command it asks for and what goes with it, or the one line that says what
// is wrong with it and how to put it right.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "hostconfig.h"

// What a run of qdl-host does: the screen, or one command. At most one is
// given on a command line.
enum class HostCommand {
    Screen,
    Screenshot,
    Check,
    History,
    PruneHistory,
    ExportLayout,
    ImportLayout,
    Restore,
    CreateDemo,
    Upgrade,
    GrantTerminal,
    RevokeTerminal,
    ShowConfig,
    Branches,
};

struct HostArguments {
    HostCommand command = HostCommand::Screen;
    QString value; // the command's own value: a file, a time or a role
    std::optional<QString> branch, configuration, since;
    bool dryRun = false;
    bool allBranches = false; // --import-layout into every branch with the configuration
    HostCommandLine settings; // --database, --lang and --scale

    // The screen and --screenshot open the screen; every other command runs
    // without a window system.
    bool opensScreen() const { return command == HostCommand::Screen || command == HostCommand::Screenshot; }
};

// The settings the command line gives, read before the language is chosen
// (they choose it): whatever else is wrong with the line is told later, by
// readHostArguments, in that language. arguments[0] is the program.
HostCommandLine settingsOnCommandLine(const QStringList& arguments);

// Reads the command line in the installed language. --help and --version
// are printed and end the program there (status 0). Otherwise answers the
// arguments, or the line to print when they cannot be run (status 2): an
// unknown option, a missing value, a stray argument, two commands, an option
// that does not go with the command, or one the command needs and lacks.
std::variant<HostArguments, QString> readHostArguments(const QStringList& arguments);
