#!/usr/bin/env bash
# Builds the libFuzzer target for the parameters-file reader (the CMake
# target fuzz_saved_table of fuzz/CMakeLists.txt: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, in $QDL_FUZZ_DIR/build) and runs it for a bounded
# time. A crash, leak, timeout or sanitizer report fails the run; the input
# that caused it is left in $QDL_FUZZ_DIR/artifacts/ to be kept in
# fuzz/corpus/ once mended.
#   scripts/fuzz.sh                 60 seconds
#   QDL_FUZZ_SECONDS=600 scripts/fuzz.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
out="${QDL_FUZZ_DIR:-$QDL_ROOT/build-fuzz}"
seconds="${QDL_FUZZ_SECONDS:-60}"
mkdir -p "$out/work" "$out/artifacts"

# Configured every time (cheap), built only when a source changed; the rest
# of the project is configured but not built.
qdl_configure fuzz "$out/build" >"$out/configure.log" 2>&1 \
  || { cat "$out/configure.log" >&2; echo "fuzz: configuring the fuzz target failed" >&2; exit 1; }
cmake --build "$out/build" --target fuzz_saved_table >&2
binary="$out/build/bin/fuzz_saved_table"

# New inputs go to the work folder; fuzz/corpus/ holds the seeds and the
# malformed inputs kept as regression cases.
echo "Fuzzing parseSavedTable for ${seconds}s" >&2
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
  "$out/work" "$QDL_ROOT/fuzz/corpus" 2>"$out/fuzz.log" || {
    tail -40 "$out/fuzz.log" >&2
    echo "fuzz: parseSavedTable failed; the input is in $out/artifacts/" >&2
    exit 1
  }
runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/fuzz.log" | grep -o '[0-9]*$' || echo 0)"
echo "QDL-FIGURE fuzz-inputs=$runs fuzz-seconds=$seconds"
