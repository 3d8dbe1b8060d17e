#!/usr/bin/env bash
# The services at the scale of a chain: builds build-bench/ (Release), makes
# the chain databases (qdl-gen) that are missing or stale, starts a
# throwaway PostgreSQL server (1 GB shared buffers) and runs bench_services
# on both databases; then draws the plots.
#   scripts/bench-services.sh [google-benchmark flags...]
# Environment: QDL_BENCH_SIZES ("1000 10000 100000 1000000"), QDL_BENCH_DIR
# (/dev/shm/qdl-bench), QDL_BENCH_DURABLE (1: files on disk, fsync on),
# QDL_BENCH_REPETITIONS (5), QDL_BENCH_MIN_TIME (0.2), QDL_BENCH_PG_URL (an
# existing server instead of the throwaway one; its databases
# qdl_chain_<rows> are made again).
# Output: docs/bench/services.json (Google Benchmark JSON), services.txt
# (the summary) and the PNGs of scripts/bench-plots.sh.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QDL_ROOT/scripts/pgcluster.sh"
source "$QDL_ROOT/scripts/benchchains.sh"

qdl_bench_build qdl-gen bench_services

sizes="${QDL_BENCH_SIZES:-1000 10000 100000 1000000}"
qdl_bench_place
qdl_bench_sqlite_chains "$build" $sizes

if [ -z "${QDL_BENCH_PG_URL:-}" ]; then
  qdl_pg_start -c shared_buffers=1GB -c fsync=$pgsync
  trap qdl_pg_stop EXIT
  export QDL_BENCH_PG_URL="$QDL_PG_URL"
fi
base="${QDL_BENCH_PG_URL%/*}"
for n in $sizes; do
  nice "$build/bin/qdl-gen" --database "$base/qdl_chain_$n" --rows "$n" --replace
done

# Nothing of the loads left to write while the commits are timed.
sync
sleep 10

export QDL_BENCH_DIR="$dir" QDL_BENCH_SIZES="${sizes// /,}"
out="$QDL_ROOT/docs/bench"
mkdir -p "$out"
nice "$build/bin/bench_services" --benchmark_out="$out/services.json" --benchmark_out_format=json "$@" \
  | tee "$out/services.log"
# The summary is what follows the last benchmark line.
awk '/median latency/ {on = 1} on' "$out/services.log" >"$out/services.txt"
rm -f "$out/services.log"
"$QDL_ROOT/scripts/bench-plots.sh"
