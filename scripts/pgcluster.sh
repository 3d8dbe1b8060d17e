# A throwaway PostgreSQL cluster on loopback for the tests: initdb into a
# temporary folder, a free port, stopped at the end. initdb refuses to run as
# root, so as root the cluster runs as the postgres user.
#   qdl_pg_start                                   the tests' server
#   qdl_pg_start -c shared_buffers=1GB -c fsync=on extra server options (later ones win)
#   qdl_pg_start_password SECRET [options]         connections over TCP need the
#                                                  password of qdl (scram-sha-256)
qdl_pg_bin() {
  local d
  d="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)"
  [ -n "$d" ] || { echo "PostgreSQL server binaries not found" >&2; return 1; }
  echo "$d"
}

qdl_pg_start() {
  local bin; bin="$(qdl_pg_bin)"
  QDL_PG_DIR="$(mktemp -d /tmp/qdl-pg.XXXXXX)"
  local as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$QDL_PG_DIR"
    as=(runuser -u postgres --)
  fi
  QDL_PG_PORT="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
  "${as[@]}" "$bin/initdb" -D "$QDL_PG_DIR/data" -U qdl ${QDL_PG_AUTH:---auth=trust} -E UTF8 --locale=C.UTF-8 >"$QDL_PG_DIR/initdb.log" 2>&1 \
    || { cat "$QDL_PG_DIR/initdb.log" >&2; echo "PostgreSQL: initdb failed" >&2; return 1; }
  "${as[@]}" "$bin/pg_ctl" -D "$QDL_PG_DIR/data" -l "$QDL_PG_DIR/server.log" -w -t 60 \
    -o "-p $QDL_PG_PORT -k $QDL_PG_DIR -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200 $*" start >/dev/null \
    || { cat "$QDL_PG_DIR/server.log" >&2; echo "PostgreSQL: server did not start" >&2; return 1; }
  export QDL_PG_URL="postgresql://qdl@127.0.0.1:$QDL_PG_PORT/postgres"
  export QDL_PG_BIN="$bin" QDL_PG_DIR QDL_PG_PORT
  echo "PostgreSQL test server on $QDL_PG_URL" >&2
}

qdl_pg_start_password() {
  local password="$1"; shift
  local pwfile; pwfile="$(mktemp /tmp/qdl-pg-pw.XXXXXX)"
  printf '%s\n' "$password" >"$pwfile"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$pwfile"; fi
  local rc=0
  QDL_PG_AUTH="--auth-local=trust --auth-host=scram-sha-256 --pwfile=$pwfile" qdl_pg_start "$@" || rc=$?
  rm -f "$pwfile"
  return $rc
}

qdl_pg_stop() {
  [ -n "${QDL_PG_DIR:-}" ] || return 0
  local as=()
  [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
  "${as[@]}" "$QDL_PG_BIN/pg_ctl" -D "$QDL_PG_DIR/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$QDL_PG_DIR"
}

# The outage drills stop the server under a running screen and start it
# again (QDL_PG_DIR, QDL_PG_PORT and QDL_PG_BIN as qdl_pg_start set them):
#   qdl_pg_pause    stops it, keeping its data
#   qdl_pg_resume   starts it again on the same port
qdl_pg_pause() {
  local as=()
  [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
  "${as[@]}" "$QDL_PG_BIN/pg_ctl" -D "$QDL_PG_DIR/data" -m fast -w stop >/dev/null
}

qdl_pg_resume() {
  local as=()
  [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
  "${as[@]}" "$QDL_PG_BIN/pg_ctl" -D "$QDL_PG_DIR/data" -l "$QDL_PG_DIR/server.log" -w -t 60 \
    -o "-p $QDL_PG_PORT -k $QDL_PG_DIR -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
}

# A primary with a synchronous hot standby on loopback, for the failover
# drill (streaming replication: pg_basebackup, then pg_ctl promote):
#   qdl_pg_pair_start     both servers; QDL_PG_PAIR_URL names both, libpq's
#                         multi-host form with target_session_attrs=read-write
#   qdl_pg_primary_kill   SIGKILL to the primary's postmaster
#   qdl_pg_standby_promote the standby becomes the primary (waits for it)
#   qdl_pg_pair_stop      both stopped, their folders removed
qdl_pg_pair_start() {
  local bin; bin="$(qdl_pg_bin)"
  QDL_PG_PAIR_DIR="$(mktemp -d /tmp/qdl-pg-pair.XXXXXX)"
  local as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$QDL_PG_PAIR_DIR"
    as=(runuser -u postgres --)
  fi
  local free='import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
  QDL_PG_PRIMARY_PORT="$(python3 -c "$free")"
  QDL_PG_STANDBY_PORT="$(python3 -c "$free")"
  local common="-k $QDL_PG_PAIR_DIR -c listen_addresses=127.0.0.1 -c max_connections=50 -c wal_level=replica -c max_wal_senders=4 -c hot_standby=on"
  "${as[@]}" "$bin/initdb" -D "$QDL_PG_PAIR_DIR/primary" -U qdl --auth=trust -E UTF8 --locale=C.UTF-8 \
    >"$QDL_PG_PAIR_DIR/initdb.log" 2>&1 || { cat "$QDL_PG_PAIR_DIR/initdb.log" >&2; return 1; }
  "${as[@]}" "$bin/pg_ctl" -D "$QDL_PG_PAIR_DIR/primary" -l "$QDL_PG_PAIR_DIR/primary.log" -w -t 60 \
    -o "-p $QDL_PG_PRIMARY_PORT $common -c synchronous_standby_names=standby1" start >/dev/null \
    || { cat "$QDL_PG_PAIR_DIR/primary.log" >&2; return 1; }
  "${as[@]}" "$bin/pg_basebackup" -h 127.0.0.1 -p "$QDL_PG_PRIMARY_PORT" -U qdl -D "$QDL_PG_PAIR_DIR/standby" -R \
    -d "application_name=standby1" >"$QDL_PG_PAIR_DIR/basebackup.log" 2>&1 \
    || { cat "$QDL_PG_PAIR_DIR/basebackup.log" >&2; return 1; }
  "${as[@]}" "$bin/pg_ctl" -D "$QDL_PG_PAIR_DIR/standby" -l "$QDL_PG_PAIR_DIR/standby.log" -w -t 60 \
    -o "-p $QDL_PG_STANDBY_PORT $common" start >/dev/null \
    || { cat "$QDL_PG_PAIR_DIR/standby.log" >&2; return 1; }
  export QDL_PG_PAIR_URL="postgresql://qdl@/postgres?host=127.0.0.1,127.0.0.1&port=$QDL_PG_PRIMARY_PORT,$QDL_PG_STANDBY_PORT&target_session_attrs=read-write"
  export QDL_PG_BIN="$bin" QDL_PG_PAIR_DIR QDL_PG_PRIMARY_PORT QDL_PG_STANDBY_PORT
}

qdl_pg_primary_kill() {
  kill -KILL "$(head -1 "$QDL_PG_PAIR_DIR/primary/postmaster.pid")"
}

qdl_pg_standby_promote() {
  local as=()
  [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
  "${as[@]}" "$QDL_PG_BIN/pg_ctl" -D "$QDL_PG_PAIR_DIR/standby" -w -t 60 promote >/dev/null
}

qdl_pg_pair_stop() {
  [ -n "${QDL_PG_PAIR_DIR:-}" ] || return 0
  local as=()
  [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
  local d
  for d in primary standby; do
    "${as[@]}" "$QDL_PG_BIN/pg_ctl" -D "$QDL_PG_PAIR_DIR/$d" -m immediate -w stop >/dev/null 2>&1 || true
  done
  # A killed postmaster's backends end by themselves; make sure before the folder goes.
  pkill -KILL -f "$QDL_PG_PAIR_DIR" 2>/dev/null || true
  rm -rf "$QDL_PG_PAIR_DIR"
}
