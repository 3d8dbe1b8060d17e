#!/usr/bin/env bash
# What the history costs the writes at saturation: qdl-load runs in turn
# with the history's triggers enabled and disabled, on a chain that
# `qdl-load --generate --terminal-role qdl_lt` made. Run as the schema's
# owner (it switches the triggers); the terminals connect as their roles.
#   bench/history-cost.sh URL [SECONDS] [ROUNDS] [BUILD_DIR]
set -euo pipefail
url="$1"; seconds="${2:-15}"; rounds="${3:-3}"; build="${4:-$(dirname "$0")/../build}"
triggers() {
  psql "$url" -qc "ALTER TABLE ITMENUCONFTE $1 TRIGGER QDL_ITMENUCONFTE_HISTORICO, $1 TRIGGER QDL_ITMENUCONFTE_INCLUSOES, $1 TRIGGER QDL_ITMENUCONFTE_EXCLUSOES"
}
trap 'triggers ENABLE' EXIT
for round in $(seq "$rounds"); do
  for state in ENABLE DISABLE; do
    triggers "$state"
    line="$("$build/bin/qdl-load" --database "$url" --terminal-role qdl_lt --terminals 200 --workers 4 \
      --seconds "$seconds" --think 0 2>&1 | sed -n 2p)"
    echo "round $round history ${state,,}d: $line"
  done
done
