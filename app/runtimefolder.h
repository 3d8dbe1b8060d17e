#pragma once

// The user's runtime folder (XDG_RUNTIME_DIR), made when the session gives
// none: a login without systemd's session (ssh into a container, cron, a
// service) leaves the variable unset, and Qt then warns and picks a folder
// of its own. Called first thing in main, before Qt reads the variable.
//
// As the XDG Base Directory rules ask: a folder that only the user may enter
// (mode 0700, owned by the user), on a local file system: TMPDIR (or /tmp)
// /qdl-runtime-UID. A name there that is a symbolic link, not a folder, or
// another user's, or open to others, is left alone, and the variable unset.
//
// Answers the folder set, or an empty string when the session gave one or
// none could be made.
#include <QString>

QString prepareRuntimeFolder();
