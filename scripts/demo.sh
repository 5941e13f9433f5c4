#!/usr/bin/env bash
# Builds setup.exe with the sample product and runs it under Wine. Without a display it walks the
# wizard by itself on a virtual display and saves a screenshot of every page to build/screenshots.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh" >/dev/null
configure_and_build
SETUP=$WINDOWS_DIR/src/setup.exe

if [ -n "${DISPLAY:-}" ]; then
  prepare_prefix
  wine "$SETUP"
  exit 0
fi

ensure_display
trap 'stop_display; wineserver -k 2>/dev/null || true' EXIT
prepare_prefix fresh
SHOTS=$BUILD_DIR/screenshots
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
wine "$WINDOWS_DIR/tests/wine/demo_walker.exe" "$(winepath -w "$SETUP")" "$(winepath -w "$SHOTS")"
ls -1 "$SHOTS"
