#!/usr/bin/env bash
# Runs a program where there is no display and serves its screen over VNC
# on 127.0.0.1 only: an invisible Xvfb screen that x11vnc serves with
# -localhost. (Qt's own VNC platform plugin would do without X, but Qt 6.4's
# listens on every network address: it takes size=, depth=, port= and
# mmsize=, no address.) Ends when the program ends, with its status.
#   scripts/vncscreen.sh PROGRAM [ARGUMENTS...]
#   QDL_VNC_PORT   the first port tried (5900); the next free one is taken
#   QDL_VNC_SIZE   the screen's size (1024x768)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
size="${QDL_VNC_SIZE:-1024x768}"
port="${QDL_VNC_PORT:-5900}"
# shellcheck disable=SC2016 # expanded by the inner shell
exec xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" bash -c '
  set -euo pipefail
  port="$(x11vnc -localhost -noipv6 -autoport "$1" -forever -shared -nopw -quiet -bg -o /dev/null | sed -n "s/^PORT=//p")"
  [ -n "$port" ] || { echo "x11vnc did not start" >&2; exit 1; }
  echo "Screen served over VNC on 127.0.0.1:$port (this machine only) - connect with a VNC viewer here," \
       "or from elsewhere through ssh -L $port:127.0.0.1:$port $(hostname)" >&2
  shift
  exec "$@"' vncscreen "$port" "$@"
