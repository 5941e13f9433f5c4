#!/usr/bin/env bash
# CTest's emulator for the Windows builds: runs one program in the project's Wine prefix for its
# architecture.   scripts/wine-run.sh i686|x86_64 PROGRAM [ARG ...]
set -euo pipefail
source "$(dirname "$0")/common.sh"
use_wine_for "$1"
shift
ensure_display
trap stop_display EXIT
prepare_prefix
wine "$@"
