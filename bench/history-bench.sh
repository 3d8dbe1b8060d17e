#!/usr/bin/env bash
# Times qdl-host --history on a generated history (bench/history-gen.sh):
# for each filter, the seconds to the first record's line, and the whole
# run's seconds and peak memory (/usr/bin/time, output to /dev/null).
#   bench/history-bench.sh QDL_HOST DATABASE
# The filters: none; the last day; branch 0001 for the last week; branch
# 0001, configuration 00001 (its whole year).
set -euo pipefail
host="${1:?qdl-host}" db="${2:?database}"
export QT_QPA_PLATFORM=offscreen
day="2026-11-30" week="2026-11-24" # the generator's year ends on 2026-12-01
run() {
  local name="$1"; shift
  local first
  # The first record's line is the output's second: the header comes first,
  # before the lines or, counted, after all of them.
  first="$(python3 - "$host" --database "$db" --history "$@" <<'PY'
import subprocess, sys, time
start = time.monotonic()
p = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
for i in range(2):
    p.stdout.readline()
print("%.2f" % (time.monotonic() - start))
p.kill(); p.wait()
PY
)"
  local whole
  local times; times="$(mktemp)"
  /usr/bin/time -o "$times" -f '%e s, %M KB' "$host" --database "$db" --history "$@" >/dev/null 2>/dev/null || true
  whole="$(tail -1 "$times")"; rm -f "$times"
  printf '%-28s first line %6s s   whole %s\n' "$name" "$first" "$whole"
}
run "no filter"
run "--since (a day)" --since "$day"
run "--branch --since (a week)" --branch 0001 --since "$week"
run "--branch --configuration" --branch 0001 --configuration 00001
