# Shared paths and helpers for the project's scripts; sourced, never run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${KELVAMO_BUILD_DIR:-$ROOT/build}
NATIVE_DIR=$BUILD_DIR/native
WINDOWS_DIR=$BUILD_DIR/windows
JOBS=$(nproc)

# Wine: a dedicated 32-bit prefix inside the build tree, Chinese locale so the ANSI code page is 936.
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder off: shortcuts the tests make must not turn into menu entries of the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

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
    wineboot -i >/dev/null 2>&1
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

configure_and_build() {
  "$ROOT/scripts/build-zlib.sh" native
  cmake -S "$ROOT" -B "$NATIVE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVAMO_ZLIB_DIR="$BUILD_DIR/zlib-native" >/dev/null
  cmake --build "$NATIVE_DIR" -j "$JOBS"
  "$ROOT/scripts/build-liblzma-mingw.sh"
  "$ROOT/scripts/build-zlib.sh" i686
  cmake -S "$ROOT" -B "$WINDOWS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DKELVAMO_HOST_TOOLS_DIR="$NATIVE_DIR/tools" -DKELVAMO_LIBLZMA_DIR="$BUILD_DIR/liblzma-mingw" \
    -DKELVAMO_ZLIB_DIR="$BUILD_DIR/zlib-i686" >/dev/null
  cmake --build "$WINDOWS_DIR" -j "$JOBS"
}
