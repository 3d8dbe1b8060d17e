#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway PostgreSQL server on
# loopback and runs every test against SQLite and PostgreSQL.
#   ./test.sh             the plain build, every test
#   ./test.sh --sanitize  the same under AddressSanitizer and UBSan (build-asan/)
source "$(dirname "$0")/scripts/common.sh"
qdl_install_missing

build_dir="$QDL_ROOT/build"
cmake_opts=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir="$QDL_ROOT/build-asan"
  cmake_opts=(-DQDL_SANITIZE=ON -DQDL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  shift
fi
qdl_build "$build_dir" "${cmake_opts[@]}"

source "$QDL_ROOT/scripts/pgcluster.sh"
qdl_pg_start
trap qdl_pg_stop EXIT

export QDL_REQUIRE_PG=1
cd "$build_dir"
ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@"
