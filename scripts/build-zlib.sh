#!/usr/bin/env bash
# Builds a static zlib from Debian's zlib source package for one target: native, i686 or x86_64
# (the latter two for mingw), compiled as it ships, nothing patched. The packer and the extractor
# must deflate byte for byte alike, so every build links this one source rather than whatever zlib
# a toolchain carries.
# The result lands in $BUILD_DIR/zlib-ARCH/{include,lib}; a second run of the same recipe returns
# at once.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ARCH=${1:?usage: build-zlib.sh native|i686|x86_64}
# The host build is the packer's and the benchmark's: built for speed. What ships: for size. Both
# deflate byte for byte alike.
case $ARCH in
  native) CC=cc AR=ar OPT=-O2 ;;
  i686 | x86_64) CC=$ARCH-w64-mingw32-gcc-posix AR=$ARCH-w64-mingw32-ar OPT=-Os ;;
  *) echo "build-zlib.sh: unknown target $ARCH" >&2; exit 2 ;;
esac
PREFIX=$BUILD_DIR/zlib-$ARCH
# Built again whenever this script changes.
STAMP=$(sha256sum "$0" | cut -d' ' -f1)
if [ -f "$PREFIX/lib/libz.a" ] && [ -f "$PREFIX/include/zlib.h" ] &&
  [ "$(cat "$PREFIX/stamp" 2>/dev/null)" = "$STAMP" ]; then
  exit 0
fi

WORK=$BUILD_DIR/zlib-src-$ARCH
rm -rf "$WORK"
mkdir -p "$WORK"
# The exact version, so every machine deflates the same way (plain "zlib" names a newer update).
if ! (cd "$WORK" && apt-get source zlib=1:1.2.13.dfsg-1 >"$WORK/apt.log" 2>&1); then
  cat "$WORK/apt.log" >&2
  echo "build-zlib.sh: apt-get source zlib failed" \
    "(scripts/install-deps.sh adds the deb-src entry it needs)" >&2
  exit 1
fi
src=$(find "$WORK" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -n 1)

# Only the stream code (no gz* file layer), sections split for --gc-sections.
objs=()
for f in adler32 crc32 deflate inflate inffast inftrees trees zutil; do
  "$CC" -c $OPT -fPIC -ffunction-sections -fdata-sections -I"$src" \
    "$src/$f.c" -o "$WORK/$f.o"
  objs+=("$WORK/$f.o")
done
mkdir -p "$PREFIX/lib" "$PREFIX/include"
rm -f "$PREFIX/lib/libz.a"
"$AR" rcs "$PREFIX/lib/libz.a" "${objs[@]}"
cp "$src/zlib.h" "$src/zconf.h" "$PREFIX/include/"
echo "$STAMP" > "$PREFIX/stamp"
rm -rf "$WORK"
