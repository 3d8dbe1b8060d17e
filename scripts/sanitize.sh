#!/usr/bin/env bash
# Every test under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer (scripts/lsan.supp lists what is not ours to free).
#   scripts/sanitize.sh [BUILD_DIR] [ctest arguments...]   (default build-asan/)
# Uses the PostgreSQL server of QDL_PG_URL, or starts one of its own.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_dir="${1:-$QDL_ROOT/build-asan}"
[ $# -gt 0 ] && shift

qdl_build asan "$build_dir"

if [ -z "${QDL_PG_URL:-}" ]; then
  source "$QDL_ROOT/scripts/pgcluster.sh"
  qdl_pg_start
  trap qdl_pg_stop EXIT
fi
export QDL_REQUIRE_PG=1
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$QDL_ROOT/scripts/lsan.supp:print_suppressions=0"
(cd "$build_dir" && ctest --output-on-failure --timeout 1800 -j "$(nproc)" "$@")
echo "Sanitizers: every test ran clean, without leaks."
