#!/usr/bin/env bash
# After the test run: the bounded fuzzing run, then the reliability figures
# of that run gathered in one place (RELIABILITY.md says what each proves).
#   scripts/drills.sh [BUILD_DIR]      (default build/)
# The drill tests themselves are CTest tests (test_reliability_*); they print
# their figures as "QDL-FIGURE name=value" lines, which CTest keeps in
# Testing/Temporary/LastTest.log.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_dir="$(cd "${1:-$QDL_ROOT/build}" && pwd)"
figures="$build_dir/reliability-figures.txt"

fuzz_out="$(QDL_FUZZ_DIR="$build_dir/fuzz" "$QDL_ROOT/scripts/fuzz.sh")"

{
  echo "Reliability figures of $(date -u '+%Y-%m-%d %H:%M UTC'), $(git -C "$QDL_ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')"
  log="$build_dir/Testing/Temporary/LastTest.log"
  if [ -f "$log" ]; then
    grep -o 'QDL-FIGURE .*' "$log" | sed 's/^QDL-FIGURE //' | tr ' ' '\n' | sort -u
  else
    echo "(no CTest log in $build_dir: run the tests first)"
  fi
  printf '%s\n' "$fuzz_out" | sed -n 's/^QDL-FIGURE //p' | tr ' ' '\n'
} >"$figures"
cat "$figures"
