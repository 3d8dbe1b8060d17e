#!/usr/bin/env bash
# Terminals far from the server: the screen's operator actions through a link
# of 50 ms round trip (qdl-delay-proxy on loopback, 25 ms each way), their
# round trips and times, on the demo layout in a fresh PostgreSQL database.
#   scripts/bench-wan.sh [BUILD_DIR]
# Environment: QDL_PG_URL (a running server; else a throwaway one is
# started), QDL_WAN_DELAY_MS (one way, 25), QDL_WAN_ROWS (confirmation, 5).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="${1:-$QDL_ROOT/build-wan}"
if [ ! -x "$build/bin/bench_wan" ]; then
  qdl_build wan "$build" qdl-host Pkg_qdl00005 qdl-delay-proxy bench_wan
fi
tmp="$(mktemp -d)"
proxy=""
cleanup() {
  [ -n "$proxy" ] && kill "$proxy" 2>/dev/null || true
  [ -n "${QDL_PG_URL:-}" ] && psql "$QDL_PG_URL" -qc "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
db="qdl_wan_$$"
trap cleanup EXIT
if [ -z "${QDL_PG_URL:-}" ]; then
  source "$QDL_ROOT/scripts/pgcluster.sh"
fi
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp"
chmod 700 "$tmp"
psql "$QDL_PG_URL" -qc "CREATE DATABASE $db"
server="$(python3 -c 'import sys,urllib.parse as u; p=u.urlparse(sys.argv[1]); print(f"{p.hostname}:{p.port or 5432}")' "$QDL_PG_URL")"
direct="postgresql://$(python3 -c 'import sys,urllib.parse as u; p=u.urlparse(sys.argv[1]); print(p.username)' "$QDL_PG_URL")@$server/$db"
"$build/bin/qdl-host" --database "$direct" --create-demo >/dev/null 2>&1

"$build/bin/qdl-delay-proxy" --target "$server" --delay-ms "${QDL_WAN_DELAY_MS:-25}" \
  --count-file "$tmp/count" >"$tmp/port" &
proxy=$!
for _ in $(seq 100); do grep -q listening "$tmp/port" 2>/dev/null && break; sleep 0.05; done
port="$(awk '{print $2}' "$tmp/port")"
via="postgresql://${direct#postgresql://}"
via="${via/@$server\//@127.0.0.1:$port/}"
# One opening first, so that the notify trigger every screen installs once is in place.
"$build/bin/qdl-host" --database "$via" --screenshot "$tmp/shot.png" >/dev/null 2>&1 || true
echo "link: ${QDL_WAN_DELAY_MS:-25} ms each way; database $db on $server through 127.0.0.1:$port"
"$build/bin/bench_wan" "$via" "$tmp/count" "${QDL_WAN_ROWS:-5}"
