#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway PostgreSQL server on
# loopback and runs every test against SQLite and PostgreSQL.
#   ./test.sh             every test on the plain build (build/), the bounded
#                         fuzzing run and the reliability figures
#                         (scripts/drills.sh), then every test again under
#                         AddressSanitizer, UBSan and LeakSanitizer (build-asan/)
#   ./test.sh --plain     the plain build's part only
#   ./test.sh --sanitize  the sanitizer part only
# Further arguments go to ctest (e.g. -R test_reliability).
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
qdl_install_missing "${QDL_PACKAGES[@]}" "${QDL_TEST_PACKAGES[@]}"

part="all"
case "${1:-}" in
  --plain) part="plain"; shift ;;
  --sanitize) part="sanitize"; shift ;;
esac

source "$QDL_ROOT/scripts/pgcluster.sh"
qdl_pg_start
trap qdl_pg_stop EXIT
export QDL_REQUIRE_PG=1

if [ "$part" != "sanitize" ]; then
  qdl_build plain "$QDL_ROOT/build"
  (cd "$QDL_ROOT/build" && ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@")
  "$QDL_ROOT/scripts/drills.sh" "$QDL_ROOT/build"
fi
if [ "$part" != "plain" ]; then
  "$QDL_ROOT/scripts/sanitize.sh" "$QDL_ROOT/build-asan" "$@"
fi
