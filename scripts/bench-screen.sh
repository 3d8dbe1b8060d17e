#!/usr/bin/env bash
# The screen: start-up of qdl-host --screenshot on the demo database against
# the empty-window reference (hyperfine, medians; peak memory by
# /usr/bin/time, median of runs), then bench_form (opening, table-menu
# rebuild, confirmation of 100 colours) on the chain databases of
# scripts/bench-services.sh, SQLite and a throwaway PostgreSQL.
#   scripts/bench-screen.sh
# Environment: QDL_BENCH_DIR (/dev/shm/qdl-bench), QDL_BENCH_DURABLE (1: disk
# and fsync), QDL_BENCH_FORM_SIZES
# ("1000 1000000"), QDL_BENCH_RUNS (hyperfine runs, 40), QDL_BENCH_PG_URL.
# Output: docs/bench/startup.json, startup.txt, form.json, form.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$QDL_ROOT/scripts/pgcluster.sh"
source "$QDL_ROOT/scripts/benchchains.sh"

qdl_bench_build qdl-host Pkg_qdl00005 qdl-empty-window qdl-gen bench_form

out="$QDL_ROOT/docs/bench"
mkdir -p "$out"
tmp="$(mktemp -d)"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp"
chmod 700 "$tmp"
"$build/bin/qdl-host" --database "sqlite:$tmp/demo.db" --create-demo >/dev/null 2>&1

host="$build/bin/qdl-host --database sqlite:$tmp/demo.db --screenshot $tmp/shot.png"
empty="$build/bin/qdl-empty-window"
emptySaving="$build/bin/qdl-empty-window --save $tmp/empty.png"
runs="${QDL_BENCH_RUNS:-40}"
hyperfine -N -w 5 -r "$runs" --export-json "$out/startup.json" "$host" "$empty" "$emptySaving"

# Peak resident memory (kB), median of the runs.
peak() {
  for _ in $(seq 15); do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; done | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'
}
memHost="$(peak $host)"
memEmpty="$(peak $empty)"

python3 - "$out/startup.json" "$memHost" "$memEmpty" >"$out/startup.txt" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
host, empty, saving = (x["median"] * 1000 for x in r)
mh, me = int(sys.argv[2]), int(sys.argv[3])
print(f"start-up, median of {len(r[0]['times'])} runs (hyperfine), QT_QPA_PLATFORM=offscreen")
print(f"  qdl-host --screenshot (demo database)   {host:7.1f} ms")
print(f"  qdl-empty-window                        {empty:7.1f} ms")
print(f"  qdl-empty-window --save (PNG as well)   {saving:7.1f} ms")
print(f"  ratio host / empty window               {host / empty:7.2f}   (goal <= 1.5)")
print(f"  ratio host / empty window saving PNG    {host / saving:7.2f}")
print(f"peak resident memory, median of 15 runs (/usr/bin/time -f %M)")
print(f"  qdl-host --screenshot                   {mh / 1024:7.1f} MB")
print(f"  qdl-empty-window                        {me / 1024:7.1f} MB")
print(f"  ratio                                   {mh / me:7.2f}   (goal <= 1.3)")
PY
cat "$out/startup.txt"

# The screen's own work on the chain databases.
qdl_bench_place
sizes="${QDL_BENCH_FORM_SIZES:-1000 1000000}"
qdl_bench_sqlite_chains "$build" $sizes
if [ -z "${QDL_BENCH_PG_URL:-}" ]; then
  qdl_pg_start -c shared_buffers=1GB -c fsync=$pgsync
  trap 'qdl_pg_stop; rm -rf "$tmp"' EXIT
  export QDL_BENCH_PG_URL="$QDL_PG_URL"
  for n in $sizes; do
    nice "$build/bin/qdl-gen" --database "${QDL_PG_URL%/*}/qdl_chain_$n" --rows "$n" --replace
  done
else
  trap 'rm -rf "$tmp"' EXIT
fi
sync
sleep 10
export QDL_BENCH_DIR="$dir" QDL_BENCH_SIZES="${sizes// /,}"
nice "$build/bin/bench_form" --benchmark_out="$out/form.json" --benchmark_out_format=json \
  --benchmark_color=false 2>&1 | grep -E "_median|ERROR" | tee "$out/form.txt"
