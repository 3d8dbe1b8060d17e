#!/usr/bin/env bash
# scripts/vncscreen.sh serves the screen only behind the user's VNC password:
# under a throwaway home it makes ~/.config/quadrel/vnc.passwd (mode 0600)
# and prints the password; an RFB client is offered VNC authentication and
# not "None", is refused without the password or with a wrong one, and sees
# the screen with the printed one. A password file that others may read, or
# one in a folder others may write, or below one, stops the script before
# anything is served. Killed with TERM or HUP, the script leaves neither Xvfb
# nor x11vnc serving. Every wait is bounded.
set -euo pipefail
script="${QDL_SOURCE_DIR:?}/scripts/vncscreen.sh"
home="$(mktemp -d)"
stop="$home/stop"
mkfifo "$stop"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_CONFIG_HOME
export HOME="$home" QDL_VNC_PORT=5930
fail() { echo "FAIL: $*" >&2; exit 1; }

# The served program waits for a line on the fifo, a minute at most.
# shellcheck disable=SC2016 # expanded by the served shell
coproc SCREEN { timeout 120 bash "$script" bash -c 'exec 3<>"$1"; read -r -t 60 -u 3 _' _ "$stop" 2>&1; }
left=() # what a failed kill left running
finish() {
  echo >"$stop" || true
  wait "$SCREEN_PID" 2>/dev/null || true
  kill "${left[@]}" 2>/dev/null || true
  rm -rf "$home"
}
trap finish EXIT
said="" port="" password=""
while [ -z "$port" ] && IFS= read -r -t 60 line <&"${SCREEN[0]}"; do
  said+="$line"$'\n'
  [[ "$line" =~ ^VNC\ password:\ ([A-Za-z0-9]{8})\  ]] && password="${BASH_REMATCH[1]}"
  [[ "$line" =~ 127\.0\.0\.1:([0-9]+) ]] && port="${BASH_REMATCH[1]}"
done
[ -n "$port" ] || fail "not served: $said"
[ -n "$password" ] || fail "no password printed: $said"
[ "$(stat -c %a "$home/.config/quadrel/vnc.passwd")" = 600 ] || fail "password file not 0600"

recv() { timeout 10 dd bs=1 count="$1" status=none <&3 | od -An -tx1 | tr -d ' \n'; }
send() { printf '%b' "$(sed 's/../\\x&/g' <<<"$1")" >&3; }
# Opens an RFB 3.8 session on fd 3; types: the security types offered (hex).
hello() {
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  [ "$(recv 12)" = "$(printf 'RFB 003.008\n' | od -An -tx1 | tr -d ' \n')" ] || fail "no RFB 3.8 greeting"
  printf 'RFB 003.008\n' >&3
  local count; count="$(recv 1)"
  types="$(recv $((16#$count)))"
}
# VNC authentication: the challenge DES-encrypted with the password (bits of
# each key byte reversed, as VNC does); result: the security result (hex).
vnc_auth() {
  send 02
  local challenge key="" i c r
  challenge="$(recv 16)"
  for ((i = 0; i < 8; i++)); do
    c=0; [ "$i" -lt "${#1}" ] && c="$(printf '%d' "'${1:i:1}")"
    r=0; for _ in 1 2 3 4 5 6 7 8; do r=$(((r << 1) | (c & 1))); c=$((c >> 1)); done
    key+="$(printf '%02x' "$r")"
  done
  send "$(printf '%b' "$(sed 's/../\\x&/g' <<<"$challenge")" \
    | openssl enc -des-ecb -nopad -K "$key" -provider legacy -provider default | od -An -tx1 | tr -d ' \n')"
  result="$(recv 4 || true)"
}

hello
[[ "$types" =~ ^(..)*02 ]] || fail "VNC authentication not offered: $types"
[[ ! "$types" =~ ^(..)*01 ]] || fail "served without a password (security types $types)"
send 01
[ "$(recv 4 || true)" != 00000000 ] || fail "the None security type was accepted"
hello
vnc_auth "${password:1}x"
[ "$result" != 00000000 ] || fail "a wrong password was accepted"
hello
vnc_auth "$password"
[ "$result" = 00000000 ] || fail "the printed password was refused ($result)"
send 01
[ "$(recv 4)" = 04000300 ] || fail "no 1024x768 screen behind the password"
exec 3>&-

# A password file other users may read: refused, nothing served.
chmod 644 "$home/.config/quadrel/vnc.passwd"
if out="$(timeout 30 bash "$script" true 2>&1)"; then fail "served with a world-readable password file: $out"; fi
[[ "$out" =~ "mode 644" && ! "$out" =~ "Screen served" ]] || fail "$out"
# A private file in a folder others may write (and so replace the file in):
# refused too.
chmod 600 "$home/.config/quadrel/vnc.passwd"
chmod 777 "$home/.config/quadrel"
if out="$(timeout 30 bash "$script" true 2>&1)"; then fail "served from a folder all may write: $out"; fi
[[ "$out" == *"folder $home/.config/quadrel has mode 777"* && ! "$out" =~ "Screen served" ]] || fail "$out"
# And so is a private folder below one others may write.
chmod 700 "$home/.config/quadrel"
chmod 777 "$home/.config"
if out="$(timeout 30 bash "$script" true 2>&1)"; then fail "served below a folder all may write: $out"; fi
[[ "$out" == *"folder $home/.config has mode 777"* && ! "$out" =~ "Screen served" ]] || fail "$out"
chmod 700 "$home/.config"

# Killed, the script takes with it Xvfb (its child) and x11vnc (the newest
# serving this password file).
mkfifo "$home/said"
for signal in TERM HUP; do
  bash "$script" sleep 60 >"$home/said" 2>&1 &
  exec 4<"$home/said"
  line=""
  until [[ "$line" == "Screen served"* ]]; do IFS= read -r -t 60 line <&4 || fail "not served"; done
  left+=("$!" "$(pgrep -P $! -x Xvfb)" "$(pgrep -n -f -- "-rfbauth $home/")")
  kill "-$signal" "$!"
  for pid in "${left[@]: -2}"; do
    timeout 20 tail --pid="$pid" -s 0.1 -f /dev/null || fail "$(ps -o args= "$pid") left running by kill -$signal"
  done
  exec 4<&-
done
echo "PASS"
