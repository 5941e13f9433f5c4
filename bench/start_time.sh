#!/usr/bin/env bash
# Start time of setup.exe to its first window, signed against the same file unsigned (the build's
# unsigned copy): the signature check must not hold the window back. Not a test: run by hand after
# a build; prints each median and the median of the pairwise ratios signed/unsigned.
#   bench/start_time.sh [RUNS] [SETUP_EXE]   (RUNS defaults to 15; SETUP_EXE to this build's)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

choose_windows_arch
use_wine_for "$WINDOWS_ARCH"
build=$WINDOWS_TEST_DIR
runs=${1:-15}
signed=${2:-$build/setup/setup.exe}
unsigned=$build/tests/wine/unsigned/setup.exe
[ -f "$signed" ] && [ -f "$unsigned" ] || { echo "build first: scripts/test.sh" >&2; exit 1; }
compiler=$([ "$WINDOWS_ARCH" = x86_64 ] && echo x86_64 || echo i686)-w64-mingw32-g++-posix
helper=$BUILD_DIR/bench/first_window-$WINDOWS_ARCH.exe
mkdir -p "$BUILD_DIR/bench"
"$compiler" -O2 -static -municode -o "$helper" "$ROOT/bench/first_window.cpp"

ensure_display
trap 'stop_display' EXIT
prepare_prefix
echo "A = $signed (signed), B = $unsigned (unsigned), $runs pairs"
wine "$helper" "$runs" "Z:$signed" "Z:$unsigned"
