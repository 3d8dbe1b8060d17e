# Sourced by run.sh, test.sh and the scripts under scripts/ (pgcluster.sh
# aside, which tests source into shells of their own): strict mode, QDL_ROOT,
# installing what is missing, configuring and building.
set -euo pipefail

QDL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the screen needs (./run.sh).
QDL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  libqt6opengl6-dev qt6-qpa-plugins
  libpq-dev sqlite3 libsqlite3-dev zlib1g-dev
  xvfb xauth x11vnc fonts-dejavu-core fonts-dejavu-extra
)
# What testing adds (./test.sh): Google Test, Google Benchmark, the
# PostgreSQL server the tests start, clang for the fuzzer, the benchmark tools,
# what makes and checks the Debian package (the manual page, the library
# dependencies, lintian, hardening-check of devscripts, the desktop entry's
# validator), and openssl, whose DES answers the VNC password in the test of
# the headless screen.
QDL_TEST_PACKAGES=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  postgresql postgresql-client
  hyperfine gnuplot-nox
  clang libclang-rt-14-dev
  help2man dpkg-dev file lintian devscripts desktop-file-utils
  openssl
)

# qdl_install_missing [PACKAGE...]   (default: what running needs)
qdl_install_missing() {
  local wanted=("$@")
  ((${#wanted[@]})) || wanted=("${QDL_PACKAGES[@]}")
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# qdl_configure PRESET DIR
# Configures DIR with the options of a configure preset of CMakePresets.json
# (the one place each build variant's options are written). Configures every
# time (cheap when nothing changed), so options given now take effect on a
# build folder configured before with others.
qdl_configure() {
  cmake -S "$QDL_ROOT" --preset "$1" -B "$2"
}

# qdl_build PRESET DIR [TARGET...]   (default: everything)
qdl_build() {
  local preset="$1" dir="$2"; shift 2
  qdl_configure "$preset" "$dir"
  local targets=()
  if (($#)); then targets=(--target "$@"); fi
  cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
}
