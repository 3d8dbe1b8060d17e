#!/usr/bin/env bash
# Runs a program where there is no display and serves its screen over VNC
# on 127.0.0.1 only, behind a password: an invisible Xvfb screen that x11vnc
# serves with -localhost and -rfbauth. (Qt's own VNC platform plugin would
# do without X, but Qt 6.4's listens on every network address and asks no
# password: it takes size=, depth=, port= and mmsize=, nothing else.) Ends
# when the program ends, with its status.
#   scripts/vncscreen.sh PROGRAM [ARGUMENTS...]
#   QDL_VNC_PORT   the first port tried (5900); the next free one is taken
#   QDL_VNC_SIZE   the screen's size (1024x768)
# The password is the user's own, in $XDG_CONFIG_HOME/quadrel/vnc.passwd
# (~/.config/quadrel/vnc.passwd), x11vnc's -rfbauth format, mode 0600. The
# first run makes it with a random password and prints that password once;
# a file that others may read or change, or that is not the user's own, is
# refused and nothing is served, and so is its folder when it is not the
# user's own or others may change it (x11vnc reads the file again at each
# connection: whoever may write the folder may put another file in its
# place). `x11vnc -showrfbauth FILE` shows the password again,
# `x11vnc -storepasswd FILE` sets another.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
size="${QDL_VNC_SIZE:-1024x768}"
port="${QDL_VNC_PORT:-5900}"
passwd_file="${XDG_CONFIG_HOME:-$HOME/.config}/quadrel/vnc.passwd"

passwd_dir="$(dirname "$passwd_file")"

refuse() {
  echo "$passwd_file: $1; the screen is not served." >&2
  exit 1
}

if [ ! -e "$passwd_dir" ] && [ ! -L "$passwd_dir" ]; then
  (umask 077 && mkdir -p "$passwd_dir") || { echo "could not make $passwd_dir" >&2; exit 1; }
fi
if [ -L "$passwd_dir" ] || [ ! -d "$passwd_dir" ]; then refuse "its folder $passwd_dir is not a plain folder"; fi
[ -O "$passwd_dir" ] || refuse "its folder $passwd_dir is not owned by $(id -un)"
mode="$(stat -c %a "$passwd_dir")"
(( (8#$mode & 8#022) == 0 )) || refuse "its folder $passwd_dir has mode $mode, which lets other users replace the file (chmod go-w $passwd_dir)"

if [ -e "$passwd_file" ] || [ -L "$passwd_file" ]; then
  if [ -L "$passwd_file" ] || [ ! -f "$passwd_file" ]; then refuse "not a plain file"; fi
  [ -O "$passwd_file" ] || refuse "not owned by $(id -un)"
  mode="$(stat -c %a "$passwd_file")"
  (( (8#$mode & 8#077) == 0 )) || refuse "mode $mode lets other users read or change it (chmod 600 $passwd_file)"
  [ "$(stat -c %s "$passwd_file")" -ge 8 ] || refuse "not a VNC password file (x11vnc -storepasswd $passwd_file makes one)"
  echo "VNC password: the one in $passwd_file (x11vnc -showrfbauth $passwd_file shows it)" >&2
else
  # 8 characters: VNC authentication uses no more. Given to x11vnc on its
  # standard input, never on a command line that ps shows.
  password="$(head -c 48 /dev/urandom | base64 -w0 | tr -dc 'A-Za-z0-9')"
  password="${password:0:8}"
  (
    umask 077
    printf '%s\n%s\ny\n' "$password" "$password" | x11vnc -storepasswd "$passwd_file" >/dev/null 2>&1
  ) || { rm -f "$passwd_file"; echo "x11vnc could not write $passwd_file" >&2; exit 1; }
  chmod 600 "$passwd_file"
  echo "VNC password: $password (made now and shown only this once; kept in $passwd_file," \
       "x11vnc -showrfbauth $passwd_file shows it again)" >&2
fi

# shellcheck disable=SC2016 # expanded by the inner shell
exec xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" bash -c '
  set -euo pipefail
  port="$(x11vnc -localhost -noipv6 -autoport "$1" -rfbauth "$2" -forever -shared -quiet -bg -o /dev/null | sed -n "s/^PORT=//p")"
  [ -n "$port" ] || { echo "x11vnc did not start" >&2; exit 1; }
  echo "Screen served over VNC on 127.0.0.1:$port (this machine only, with the VNC password) - connect with a VNC viewer here," \
       "or from elsewhere through ssh -L $port:127.0.0.1:$port $(hostname)" >&2
  shift 2
  exec "$@"' vncscreen "$port" "$passwd_file" "$@"
