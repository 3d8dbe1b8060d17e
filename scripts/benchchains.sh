# Shared by bench-services.sh and bench-screen.sh: the Release build they
# run, where the chain databases live and the SQLite ones made when missing
# or stale.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# qdl_bench_build TARGET...: configures build-bench/ (preset bench: Release,
# with the benchmarks) and builds the targets; sets build.
qdl_bench_build() {
  build="$QDL_ROOT/build-bench"
  qdl_configure bench "$build"
  nice cmake --build "$build" --target "$@"
}

# Sets dir (the SQLite files) and pgsync (the throwaway server's fsync).
# The software's cost by default: SQLite files in memory (tmpfs) and the
# server without fsync, so a commit does not wait on this machine's disk,
# whose flushes take 0.15 ms or 4 ms depending on what ran before.
# QDL_BENCH_DURABLE=1 measures on disk with fsync on.
qdl_bench_place() {
  if [ "${QDL_BENCH_DURABLE:-0}" = 1 ]; then
    dir="${QDL_BENCH_DIR:-/var/tmp/qdl-bench}"
    pgsync=on
  else
    dir="${QDL_BENCH_DIR:-/dev/shm/qdl-bench}"
    pgsync=off
  fi
  mkdir -p "$dir"
}

# qdl_bench_sqlite_chains BUILD_DIR SIZE...: $dir/chain-SIZE.db for each
# size; a database made by another layout or schema is made again.
qdl_bench_sqlite_chains() {
  local build="$1" n db stamp
  shift
  stamp="$(cat "$QDL_ROOT"/db/sql/schema_*.sql "$QDL_ROOT"/bench/benchdata.cpp | sha1sum | cut -c1-12)"
  for n in "$@"; do
    db="$dir/chain-$n.db"
    if [ ! -f "$db" ] || [ "$(cat "$db.stamp" 2>/dev/null)" != "$stamp" ]; then
      nice "$build/bin/qdl-gen" --database "sqlite:$db" --rows "$n" --replace
      echo "$stamp" >"$db.stamp"
    fi
  done
}
