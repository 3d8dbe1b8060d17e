#!/usr/bin/env bash
# Installs what is missing, builds, and opens the table-screen configuration
# screen on the embedded demo database (created on first use), or on the
# database the configuration names. Where there is no display, the screen is
# served over VNC on 127.0.0.1 only, behind the user's VNC password
# (scripts/vncscreen.sh).
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
qdl_install_missing
# Only what running needs: no tests, no benchmarks (so neither Google Test
# nor Google Benchmark).
qdl_build run "$QDL_ROOT/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: serving the screen over VNC." >&2
  exec "$QDL_ROOT/scripts/vncscreen.sh" "$QDL_ROOT/build/bin/qdl-host" "$@"
fi
exec "$QDL_ROOT/build/bin/qdl-host" "$@"
