#!/usr/bin/env bash
# Runs every test: native unit tests (with sanitizers), a bounded fuzz run, and the Windows tests
# under Wine in a fresh prefix. Installs what it needs first.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/install-deps.sh" >/dev/null
choose_windows_arch
use_wine_for "$WINDOWS_ARCH"
echo "test.sh: Windows tests run on the $WINDOWS_ARCH build ($WINDOWS_TEST_DIR): $WINDOWS_ARCH_WHY"
configure_and_build

ensure_display
trap 'stop_display; wineserver -k 2>/dev/null || true' EXIT
prepare_prefix fresh

status=0
summary=()
run_suite() {
  local name=$1 dir=$2 log
  log=$(mktemp)
  if ctest --test-dir "$dir" --output-on-failure --timeout 600 2>&1 | tee "$log"; then :; else status=1; fi
  summary+=("$name: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  passed=$((passed + $(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$log" || true)))
  failed=$((failed + $(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(Failed|Exception|Timeout|Not Run)' "$log" || true)))
  rm -f "$log"
}
passed=0 failed=0
run_suite native "$NATIVE_DIR"
run_suite "windows ($WINDOWS_ARCH)" "$WINDOWS_TEST_DIR"

# The i686 build is what ships: its size budgets are read from it whichever build Wine ran.
check_size() {
  local file=$1 limit=$2 size
  size=$(stat -c %s "$file")
  if [ "$size" -le "$limit" ]; then passed=$((passed + 1)); else failed=$((failed + 1)) status=1; fi
  summary+=("size of i686 ${file##*/}: $size bytes (budget $limit)")
}
check_size "$WINDOWS_DIR/uharc/UHARC.EXE" $((160 * 1024))
check_size "$WINDOWS_DIR/uninstall/Uninstall.exe" $((128 * 1024))

# Each program it ships is signed, by the build's test certificate unless one was given.
trusted=()
if [ -z "${KELVAMO_SIGN_PFX:-}${KELVAMO_SIGN_CERT:-}" ]; then
  trusted=(-CAfile "$WINDOWS_DIR/signing/kelvamo-test-signing.crt")
fi
check_signature() {
  local file=$1
  if osslsigncode verify "${trusted[@]}" -in "$file" >/dev/null 2>&1; then
    passed=$((passed + 1)) verdict=verified
  else
    failed=$((failed + 1)) status=1 verdict="NOT verified"
  fi
  summary+=("signature of i686 ${file##*/}: $verdict")
}
check_signature "$WINDOWS_DIR/uharc/UHARC.EXE"
check_signature "$WINDOWS_DIR/uninstall/Uninstall.exe"
check_signature "$WINDOWS_DIR/setup/setup.exe"

printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
exit $status
