#pragma once

// The built qdl-host run as a process of its own, as an administrator runs it.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct HostRun {
    int status = -1; // the exit status; -1 when it crashed or had to be killed
    QString out, err;
};

// Runs QDL_BUILD_DIR/bin/qdl-host with the arguments in the environment
// given; a run past a minute is killed and fails the test.
HostRun runHostProgram(const QProcessEnvironment& env, const QStringList& arguments);
