#!/usr/bin/env bash
# An upgrade cut off as a power loss would: the whole Wine session ends at once (every process
# killed, nothing told), then the next start must restore the old version exactly.
#   recovery_power_loss.sh i686|x86_64 RECOVERY_TESTS_EXE
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=$1 tests=$2
source "$root/scripts/common.sh"
use_wine_for "$arch"
run() { "$root/scripts/wine-run.sh" "$arch" "$tests" --gtest_also_run_disabled_tests "$@"; }
run --gtest_filter='*PowerLossFirstHalf'
"$WINESERVER" -k
"$WINESERVER" -w || true
run --gtest_filter='*PowerLossSecondHalf'
