# Shared paths and helpers for the project's scripts; sourced, never run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${KELVAMO_BUILD_DIR:-$ROOT/build}
NATIVE_DIR=$BUILD_DIR/native
WINDOWS_DIR=$BUILD_DIR/windows
WINDOWS_X64_DIR=$BUILD_DIR/windows-x64
JOBS=$(nproc)

# A failing step names itself instead of ending with a bare exit status.
trap 'echo "${0##*/}: step failed (exit $?): $BASH_COMMAND" >&2' ERR

# Wine: a dedicated prefix inside the build tree, Chinese locale so the ANSI code page is 936.
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder off: shortcuts the tests make must not turn into menu entries of the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

# Whether this kernel runs 32-bit x86 programs, found by starting one: Wine's own 32-bit loader.
# Sets RUNS_32BIT (yes/no) and RUNS_32BIT_WHY.
probe_32bit() {
  local loader=/usr/lib/wine/wine out
  if [ ! -x "$loader" ]; then
    RUNS_32BIT=no RUNS_32BIT_WHY="$loader is not installed"
  elif out=$(LC_ALL=C; "$loader" --version 2>&1); then
    RUNS_32BIT=yes RUNS_32BIT_WHY="32-bit Wine starts ($out)"
  else
    RUNS_32BIT=no RUNS_32BIT_WHY="$loader cannot start: ${out##*: }"
  fi
}

# Picks the Windows build that runs under Wine: i686 (what ships) where 32-bit programs run,
# x86_64 under 64-bit Wine where they do not. KELVAMO_WINDOWS_ARCH=i686 or x86_64 forces one.
# Sets WINDOWS_ARCH and WINDOWS_ARCH_WHY.
choose_windows_arch() {
  case "${KELVAMO_WINDOWS_ARCH:-}" in
    i686 | x86_64)
      WINDOWS_ARCH=$KELVAMO_WINDOWS_ARCH WINDOWS_ARCH_WHY="KELVAMO_WINDOWS_ARCH=$KELVAMO_WINDOWS_ARCH" ;;
    "")
      probe_32bit
      if [ "$RUNS_32BIT" = yes ]; then WINDOWS_ARCH=i686; else WINDOWS_ARCH=x86_64; fi
      WINDOWS_ARCH_WHY=$RUNS_32BIT_WHY ;;
    *)
      echo "KELVAMO_WINDOWS_ARCH must be i686 or x86_64, not '$KELVAMO_WINDOWS_ARCH'" >&2
      return 1 ;;
  esac
}

# Points the Wine variables at one architecture's loader, server and prefix.
use_wine_for() {
  if [ "$1" = x86_64 ]; then
    WINE=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
    export WINEPREFIX=${KELVAMO_WINEPREFIX:-$BUILD_DIR/wineprefix-x64}
    WINDOWS_TEST_DIR=$WINDOWS_X64_DIR
  else
    WINE=/usr/lib/wine/wine
    export WINESERVER=/usr/lib/wine/wineserver32 WINEARCH=win32
    export WINEPREFIX=${KELVAMO_WINEPREFIX:-$BUILD_DIR/wineprefix}
    WINDOWS_TEST_DIR=$WINDOWS_DIR
  fi
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
  export WINELOADER=$WINE
  local out
  if ! out=$(LC_ALL=C; "$WINE" --version 2>&1); then
    echo "Wine for $1 cannot start: $WINE says: $out" >&2
    if [ "$1" = i686 ]; then
      echo "(32-bit Wine needs a kernel that runs 32-bit programs; KELVAMO_WINDOWS_ARCH=x86_64 uses 64-bit Wine)" >&2
    fi
    return 1
  fi
}
wine() { "$WINE" "$@"; }
wineserver() { "$WINESERVER" "$@"; }

# Starts Xvfb on a free display unless one is already given; the caller stops it with stop_display.
XVFB_PID=""
ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}
stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}

# Creates the prefix once; with "fresh" it is made anew.
prepare_prefix() {
  if [ "${1:-}" = fresh ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    local log=$BUILD_DIR/wineboot.log
    # 64-bit Wine's wineboot fails on the 32-bit half it cannot start; the prefix is what counts.
    wine wineboot -i >"$log" 2>&1 || true
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "Wine ($WINE, $WINEARCH) could not create its prefix $WINEPREFIX; its words:" >&2
      tail -n 5 "$log" >&2
      return 1
    fi
    # The user's shell folders are links to $HOME: make them folders of the prefix.
    for folder in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
      if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
    done
    # "宋体" and "SimSun" map to an installed CJK font.
    for face in 宋体 SimSun; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei Mono' /f >/dev/null 2>&1
    done
    # No window manager runs on the test display: unmanaged windows spare Wine its two-second wait
    # for one whenever a window is hidden or closed.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  fi
}

# Further arguments are options of the Windows build (-DKELVAMO_VERSION=..., -DKELVAMO_PRODUCT_DIR=...);
# they stay in its cache for the next runs.
configure_windows() {
  local arch=$1 dir=$2
  shift 2
  "$ROOT/scripts/build-liblzma-mingw.sh" "$arch"
  "$ROOT/scripts/build-zlib.sh" "$arch"
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DKELVAMO_HOST_TOOLS_DIR="$NATIVE_DIR/tools" -DKELVAMO_LIBLZMA_DIR="$BUILD_DIR/liblzma-mingw-$arch" \
    -DKELVAMO_ZLIB_DIR="$BUILD_DIR/zlib-$arch" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

# Builds the native tree and the i686 Windows tree (what ships), and the x86-64 tree too when that
# is the one Wine runs here; arguments go to both Windows builds. Call choose_windows_arch first.
configure_and_build() {
  "$ROOT/scripts/build-zlib.sh" native
  cmake -S "$ROOT" -B "$NATIVE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVAMO_ZLIB_DIR="$BUILD_DIR/zlib-native" >/dev/null
  cmake --build "$NATIVE_DIR" -j "$JOBS"
  configure_windows i686 "$WINDOWS_DIR" "$@"
  if [ "$WINDOWS_ARCH" = x86_64 ]; then configure_windows x86_64 "$WINDOWS_X64_DIR" "$@"; fi
}
