#!/usr/bin/env bash
# Builds a static liblzma for a Windows build (i686 or x86_64) from Debian's own xz-utils source
# package. The result lands in $BUILD_DIR/liblzma-mingw-ARCH/{include,lib}; a second run returns
# at once.
#   scripts/build-liblzma-mingw.sh [i686|x86_64]   (default i686)
set -euo pipefail
source "$(dirname "$0")/common.sh"

ARCH=${1:-i686}
PREFIX=$BUILD_DIR/liblzma-mingw-$ARCH
if [ -f "$PREFIX/lib/liblzma.a" ] && [ -f "$PREFIX/include/lzma.h" ]; then exit 0; fi

WORK=$BUILD_DIR/liblzma-src-$ARCH
rm -rf "$WORK"
mkdir -p "$WORK"
# Unpacked by dpkg-source, so Debian's own fixes are applied on top of upstream.
if ! (cd "$WORK" && apt-get source xz-utils >"$WORK/apt.log" 2>&1); then
  cat "$WORK/apt.log" >&2
  echo "build-liblzma-mingw.sh: apt-get source xz-utils failed" \
    "(scripts/install-deps.sh adds the deb-src entry it needs)" >&2
  exit 1
fi
src=$(find "$WORK" -maxdepth 1 -type d -name 'xz-utils-*' | head -n 1)

# Only the library: size-optimised, sections split so the extractor links in the decoder alone.
cmake -S "$src" -B "$WORK/build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$ARCH.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" >/dev/null
cmake --build "$WORK/build" -j "$JOBS" --target liblzma >/dev/null
mkdir -p "$PREFIX/lib" "$PREFIX/include"
cp "$WORK/build/liblzma.a" "$PREFIX/lib/"
cp -r "$src/src/liblzma/api/lzma" "$src/src/liblzma/api/lzma.h" "$PREFIX/include/"
rm -rf "$WORK"
