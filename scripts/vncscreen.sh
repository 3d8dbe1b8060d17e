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
# user's own, and any folder on the way to it, up to /, that others may
# change (x11vnc reads the file again at each connection: whoever may write
# a folder on the way may put another file in its place).
# `x11vnc -showrfbauth FILE` shows the password again,
# `x11vnc -storepasswd FILE` sets another.
# Xvfb, x11vnc and the program end with the script, however it ends: the
# program's end, HUP, INT or TERM.
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
# As the host program checks its configuration file: every folder from the
# file's up to /, links resolved, is the user's or root's, and neither group
# nor others may write it; above the file's own folder one all may write is
# let through with the sticky bit (as /tmp), where only an entry's owner
# renames or removes it. The file is then named through the folders checked.
passwd_dir="$(realpath -e "$passwd_dir")"
passwd_file="$passwd_dir/vnc.passwd"
folder="$passwd_dir"
while :; do
  read -r owner mode < <(stat -c '%u %a' "$folder")
  [ "$owner" = "$(id -u)" ] || [ "$owner" = 0 ] \
    || refuse "the folder $folder is owned by $(stat -c %U "$folder"), not by $(id -un) or root"
  sticky=$(( 8#$mode & 8#1000 ))
  if (( (8#$mode & 8#022) != 0 )) && { [ "$folder" = "$passwd_dir" ] || (( sticky == 0 )); }; then
    refuse "the folder $folder has mode $mode, which lets other users replace the file (chmod go-w $folder)"
  fi
  [ "$folder" = / ] && break
  folder="$(dirname "$folder")"
done

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

# xvfb-run stops its Xvfb on a normal exit only and x11vnc -bg outlives
# everything: both are this shell's children instead, ended when it ends.
work="$(mktemp -d)" # the X cookie, for this user only
children=()
# shellcheck disable=SC2317 # run by the traps
end_children() {
  trap '' HUP INT TERM
  if ((${#children[@]})); then
    kill -TERM "${children[@]}" 2>/dev/null || true
    wait "${children[@]}" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap end_children EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The server loads every cookie of its file; a client takes the one of its
# display, added once Xvfb has said which free display it took.
export XAUTHORITY="$work/Xauthority"
cookie="$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
touch "$XAUTHORITY"
xauth add :0 . "$cookie"
exec {xvfb_said}< <(exec Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -auth "$XAUTHORITY" 2>/dev/null)
children+=("$!")
IFS= read -r -t 30 -u "$xvfb_said" display || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
xauth add "$DISPLAY" . "$cookie"

exec {vnc_said}< <(exec x11vnc -localhost -noipv6 -autoport "$port" -rfbauth "$passwd_file" -forever -shared -quiet -o /dev/null)
children+=("$!")
served=""
while [ -z "$served" ] && IFS= read -r -t 30 -u "$vnc_said" line; do
  [[ "$line" == PORT=* ]] && served="${line#PORT=}"
done
[ -n "$served" ] || { echo "x11vnc did not start" >&2; exit 1; }
echo "Screen served over VNC on 127.0.0.1:$served (this machine only, with the VNC password) - connect with a VNC viewer here," \
     "or from elsewhere through ssh -L $served:127.0.0.1:$served $(hostname)" >&2

# Standard input given on, not the /dev/null of a command in the background.
"$@" <&0 &
children+=("$!")
status=0
wait "$!" || status=$?
exit "$status"
