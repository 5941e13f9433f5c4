#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program in the project's Wine prefix.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_display
trap stop_display EXIT
prepare_prefix
wine "$@"
