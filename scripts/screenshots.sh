#!/usr/bin/env bash
# The pictures README.md shows, made again: the screen on the demo database
# (qdl-host --screenshot) and the controls, glyphs and operator dialogs
# (qdl-screenshots), on the offscreen platform; and the whole of a 1920 x 1080
# display showing the screen at --scale auto (Xvfb, read back with xwd).
#   scripts/screenshots.sh [DIR] [BUILD_DIR]   (default docs/screenshots/, build/)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
dir="${1:-$QDL_ROOT/docs/screenshots}"
build_dir="${2:-$QDL_ROOT/build}"
mkdir -p "$dir"

qdl_build screenshots "$build_dir" qdl-host Pkg_qdl00005 qdl-screenshots

export QT_QPA_PLATFORM=offscreen
"$build_dir/bin/qdl-screenshots" "$dir"
# The screen, on a demo database of its own so no layout of the user's shows.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build_dir/bin/qdl-host" --database "sqlite:$scratch/demo.db" --create-demo >/dev/null
"$build_dir/bin/qdl-host" --database "sqlite:$scratch/demo.db" --screenshot "$dir/screen.png"

# The display as a person sees it: the screen opened at --scale auto on an X
# server of 1920 x 1080, the whole display read back once the window shows.
qdl_install_missing xvfb xauth x11-apps x11-utils imagemagick
cat > "$scratch/display.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
out="$1"; shift
"$@" 2>/dev/null &
host=$!
for _ in $(seq 100); do
  xwininfo -root -tree | grep -q "Quadrel - Configura" && break
  sleep 0.1
done
sleep 1 # its first paint
xwd -root -silent | convert xwd:- "png:$out"
kill "$host"
SHOT
chmod +x "$scratch/display.sh"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1920x1080x24" "$scratch/display.sh" "$dir/screen-1920x1080.png" \
  "$build_dir/bin/qdl-host" --database "sqlite:$scratch/demo.db" --scale auto
echo "Screenshots in $dir"
