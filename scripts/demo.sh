#!/usr/bin/env bash
# Builds setup.exe with the sample product and runs it under Wine. Without a display it walks the
# wizard by itself on a virtual display, once at 96 and once at 144 DPI, saves a screenshot of every
# page to build/screenshots/96 and build/screenshots/144 and leaves from the finish page through
# the exit question, without pressing "完成(F)". Arguments are options of the Windows build, kept
# in its cache: scripts/demo.sh -DKELVAMO_VERSION="1.1.0620 beta" -DKELVAMO_PRODUCT_DIR=/path/to/tree
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh" >/dev/null
choose_windows_arch
use_wine_for "$WINDOWS_ARCH"
echo "demo.sh: runs the $WINDOWS_ARCH build ($WINDOWS_TEST_DIR): $WINDOWS_ARCH_WHY"
configure_and_build "$@"
SETUP=$WINDOWS_TEST_DIR/setup/setup.exe

if [ -n "${DISPLAY:-}" ]; then
  prepare_prefix
  wine "$SETUP"
  exit 0
fi

ensure_display
trap 'stop_display; wineserver -k 2>/dev/null || true' EXIT
prepare_prefix fresh
rm -rf "$BUILD_DIR/screenshots"
# Each Wine process reads the DPI when it starts.
for dpi in 96 144; do
  SHOTS=$BUILD_DIR/screenshots/$dpi
  mkdir -p "$SHOTS"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  # Wine's virtual desktop draws the window frames that a bare X display lacks.
  wine explorer /desktop=kelvamo,1024x768 "$WINDOWS_TEST_DIR/tests/wine/demo_walker.exe" \
    "$(wine winepath -w "$SETUP")" "$(wine winepath -w "$SHOTS")"
  wineserver -w
  for bmp in "$SHOTS"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
  echo "$SHOTS:"
  ls -1 "$SHOTS"
  for page in 1-welcome 2-folder 3-progress 4-finish; do
    [ -f "$SHOTS/$page.png" ] || { echo "demo: no screenshot of $page at $dpi DPI" >&2; exit 1; }
  done
done
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
