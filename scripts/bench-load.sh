#!/usr/bin/env bash
# Many terminals on one server: qdl-load at saturation and at a chain's day
# (one action every five seconds a terminal) for each number of terminals,
# on a throwaway PostgreSQL server (300 connections) and on one SQLite file
# with fewer terminals.
#   scripts/bench-load.sh
# Environment: QDL_LOAD_PG ("10 50 200"), QDL_LOAD_SQLITE ("10 50") terminals;
# QDL_LOAD_WORKERS (4) worker processes; QDL_LOAD_SATURATION (15) and
# QDL_LOAD_REALISTIC (60) seconds a run; QDL_LOAD_BUILD (a build folder with
# bin/qdl-load, instead of building build-bench/); QDL_BENCH_DIR,
# QDL_BENCH_DURABLE as for the other benchmarks.
# Output: docs/bench/load.txt (every run's report).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QDL_ROOT/scripts/pgcluster.sh"
source "$QDL_ROOT/scripts/benchchains.sh"

if [ -n "${QDL_LOAD_BUILD:-}" ]; then
  build="$QDL_LOAD_BUILD"
else
  qdl_bench_build qdl-load
fi
qdl_bench_place
workers="${QDL_LOAD_WORKERS:-4}"
sat="${QDL_LOAD_SATURATION:-15}"
real="${QDL_LOAD_REALISTIC:-60}"
out="$QDL_ROOT/docs/bench"
mkdir -p "$out"
: >"$out/load.txt"

# load URL TERMINALS [--generate]: a saturation run, then a realistic one;
# the terminals connect as in a chain (as_terminal).
load() {
  local url="$1" n="$2"; shift 2
  for think in 0 5000; do
    local secs="$real"
    [ "$think" = 0 ] && secs="$sat"
    echo "\$ qdl-load --terminals $n --workers $workers --seconds $secs --think $think" | tee -a "$out/load.txt"
    nice "$build/bin/qdl-load" --database "$url" --terminals "$n" --workers "$workers" \
      --seconds "$secs" --think "$think" "${as_terminal[@]}" "$@" | tee -a "$out/load.txt"
    set --  # the chain is made once
  done
}

qdl_pg_start -c max_connections=300 -c fsync=$pgsync
trap qdl_pg_stop EXIT
pg="${QDL_PG_URL%/*}/qdl_load"
# A terminal role of the chain's branches, not the superuser that owns it.
as_terminal=(--terminal-role qdl_load_terminal)
first=1
for n in ${QDL_LOAD_PG:-10 50 200}; do
  if [ "$first" = 1 ]; then load "$pg" "$n" --generate; first=0; else load "$pg" "$n"; fi
done

db="$dir/load.db"
as_terminal=()
first=1
for n in ${QDL_LOAD_SQLITE:-10 50}; do
  if [ "$first" = 1 ]; then load "sqlite:$db" "$n" --generate --rows 100000; first=0; else load "sqlite:$db" "$n"; fi
done
