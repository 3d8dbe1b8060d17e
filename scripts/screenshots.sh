#!/usr/bin/env bash
# The pictures README.md shows, made again: the screen on the demo database
# (qdl-host --screenshot) and the controls, glyphs and operator dialogs
# (qdl-screenshots), on the offscreen platform.
#   scripts/screenshots.sh [DIR] [BUILD_DIR]   (default docs/screenshots/, build/)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
dir="${1:-$QDL_ROOT/docs/screenshots}"
build_dir="${2:-$QDL_ROOT/build}"
mkdir -p "$dir"

cmake -S "$QDL_ROOT" -B "$build_dir" -G Ninja -DBUILD_TESTING=ON
cmake --build "$build_dir" --parallel "$(nproc)" --target qdl-host Pkg_qdl00005 qdl-screenshots

export QT_QPA_PLATFORM=offscreen
"$build_dir/bin/qdl-screenshots" "$dir"
# The screen, on a demo database of its own so no layout of the user's shows.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build_dir/bin/qdl-host" --database "sqlite:$scratch/demo.db" --create-demo >/dev/null
"$build_dir/bin/qdl-host" --database "sqlite:$scratch/demo.db" --screenshot "$dir/screen.png"
echo "Screenshots in $dir"
