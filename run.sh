#!/usr/bin/env bash
# Installs what is missing, builds, and opens the table-screen configuration
# screen on the embedded demo database (created on first use).
source "$(dirname "$0")/scripts/common.sh"
qdl_install_missing
# Only what running needs: no tests, no benchmarks (so neither Google Test
# nor Google Benchmark).
qdl_build "$QDL_ROOT/build" -DBUILD_TESTING=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting the screen under Xvfb." >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$QDL_ROOT/build/bin/qdl-host" "$@"
fi
exec "$QDL_ROOT/build/bin/qdl-host" "$@"
