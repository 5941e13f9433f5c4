#!/usr/bin/env bash
# Builds setup.exe with the sample product and runs it under Wine. Without a display it walks the
# wizard by itself on a virtual display, once at 96 and once at 144 DPI, and once more at 96 DPI
# with high contrast on, saves a screenshot of every page to build/screenshots/96,
# build/screenshots/144 and build/screenshots/contrast and leaves from the finish page through
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
# Wine keeps no high-contrast state of its own (docs/accessibility.md): the setting goes where
# Windows stores it, and the "High Contrast Black" colours where Wine's processes read theirs.
CONTRAST_COLOURS=("Window=0 0 0" "WindowText=255 255 255" "ButtonFace=0 0 0" "ButtonText=255 255 255"
  "Hilight=26 235 255" "HilightText=0 0 0" "GrayText=63 242 63" "HotTrackingColor=255 255 0"
  "Background=0 0 0" "ActiveTitle=0 0 0" "InactiveTitle=0 0 0" "TitleText=255 255 255"
  "InactiveTitleText=63 242 63" "ButtonShadow=128 128 128" "ButtonHilight=255 255 255")
high_contrast() {
  local pair
  for pair in "${CONTRAST_COLOURS[@]}"; do
    if [ "$1" = on ]; then
      wine reg add 'HKCU\Control Panel\Colors' /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null
    else
      wine reg delete 'HKCU\Control Panel\Colors' /v "${pair%%=*}" /f >/dev/null 2>&1 || true
    fi
  done
  if [ "$1" = on ]; then
    wine reg add 'HKCU\Control Panel\Accessibility\HighContrast' /v Flags /t REG_SZ /d 127 /f >/dev/null
  else
    wine reg delete 'HKCU\Control Panel\Accessibility\HighContrast' /v Flags /f >/dev/null 2>&1 || true
  fi
  wineserver -w
}

# Each Wine process reads the DPI and the colours when it starts.
for pass in 96 144 contrast; do
  SHOTS=$BUILD_DIR/screenshots/$pass
  mkdir -p "$SHOTS"
  dpi=$pass
  if [ "$pass" = contrast ]; then dpi=96; high_contrast on; fi
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
    [ -f "$SHOTS/$page.png" ] || { echo "demo: no screenshot of $page in the $pass pass" >&2; exit 1; }
  done
done
high_contrast off
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
