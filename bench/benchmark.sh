#!/usr/bin/env bash
# Compares uhapack with xz, 7-Zip and zstd on a product-like tree built from files on this machine
# (PE and ELF binaries, jars and loose class files, images, text), and prints sizes and extraction
# times as ratios to ours. Not a test: run it by hand, it takes several minutes.
#   bench/benchmark.sh [TREE]   (without TREE, one of about 77 MB is assembled under build/bench)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

WORK=$BUILD_DIR/bench
UHAPACK=$NATIVE_DIR/tools/uhapack
[ -x "$UHAPACK" ] || { echo "build first: scripts/test.sh or configure_and_build" >&2; exit 1; }
mkdir -p "$WORK"

# Copies files listed on stdin into $1 until $2 MB are there, keeping their relative paths.
take() {
  local dest=$1 limit=$(($2 << 20)) total=0 f size
  while IFS= read -r f; do
    size=$(stat -c %s "$f")
    [ $((total + size)) -gt "$limit" ] && continue
    mkdir -p "$dest/$(dirname "${f#/}")"
    cp "$f" "$dest/${f#/}"
    total=$((total + size))
  done
}

make_tree() {
  local tree=$1
  rm -rf "$tree"
  mkdir -p "$tree"
  find /usr/lib/i386-linux-gnu/wine/i386-windows -type f \( -name '*.dll' -o -name '*.exe' \) |
    sort | take "$tree/bin" 26
  find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' | sort | take "$tree/native" 14
  find /usr/share/java -maxdepth 1 -type f -name '*.jar' | sort | take "$tree/lib" 14
  # Loose class data, as a runtime's class archive holds it.
  python3 - "$tree/classes" <<'PY'
import sys, zipfile, glob, os
dest, budget = sys.argv[1], 11 << 20
for jar in sorted(glob.glob('/usr/share/java/*.jar')):
    try:
        z = zipfile.ZipFile(jar)
    except zipfile.BadZipFile:
        continue
    for info in z.infolist():
        if budget <= 0:
            sys.exit(0)
        if info.filename.endswith('.class') and '..' not in info.filename:
            z.extract(info, dest)
            budget -= info.file_size
PY
  find /usr/share/icons -type f -name '*.png' | sort | take "$tree/images" 8
  find /usr/share/doc -type f ! -name '*.gz' | sort | take "$tree/doc" 4
}

TREE=${1:-$WORK/tree}
[ -n "${1:-}" ] || [ -d "$TREE" ] || make_tree "$TREE"
ORIGINAL=$(du -sb "$TREE" | cut -f1)
echo "tree: $TREE, $ORIGINAL bytes in $(find "$TREE" -type f | wc -l) files"

# Seconds taken by a command, best of five (the machine may be shared).
best_time() {
  local best="" t
  for _ in 1 2 3 4 5; do
    rm -rf "$WORK/out" && mkdir -p "$WORK/out"
    t=$(TIMEFORMAT=%R; { time "$@" >/dev/null 2>&1; } 2>&1)
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

tarball() { tar -C "$TREE" --sort=name -cf - .; }
rm -f "$WORK"/archive.*
packed=$("$UHAPACK" c "$WORK/archive.uha" "$TREE")
tarball | xz -9e -T1 > "$WORK/archive.tar.xz"
tarball | xz --x86 --lzma2=preset=9e -T1 > "$WORK/archive.x86.tar.xz"
(cd "$TREE" && 7z a -mx9 "$WORK/archive.7z" . >/dev/null)
tarball | zstd -q -19 --long=27 > "$WORK/archive.tar.zst"
tarball | zstd -q --ultra -22 --long=27 > "$WORK/archive.22.tar.zst"

# Extraction into files, and decoding alone (checked, nothing written), for each method.
x_uha() { "$UHAPACK" x "$WORK/archive.uha" "$WORK/out"; }
d_uha() { "$UHAPACK" t "$WORK/archive.uha"; }
x_tar() { "$@" | tar -C "$WORK/out" -xf -; }
x_xz() { x_tar xz -d -T1 -c "$WORK/archive.tar.xz"; }
d_xz() { xz -d -T1 -c "$WORK/archive.tar.xz" >/dev/null; }
x_xz86() { x_tar xz -d -T1 -c "$WORK/archive.x86.tar.xz"; }
d_xz86() { xz -d -T1 -c "$WORK/archive.x86.tar.xz" >/dev/null; }
x_7z() { 7z x -o"$WORK/out" "$WORK/archive.7z"; }
d_7z() { 7z t "$WORK/archive.7z"; }
x_zst() { x_tar zstd -q -d --long=27 -c "$WORK/archive.tar.zst"; }
d_zst() { zstd -q -d --long=27 -c "$WORK/archive.tar.zst" >/dev/null; }
x_zst22() { x_tar zstd -q -d --long=27 -c "$WORK/archive.22.tar.zst"; }
d_zst22() { zstd -q -d --long=27 -c "$WORK/archive.22.tar.zst" >/dev/null; }

ours_size=$(stat -c %s "$WORK/archive.uha")
ours_decode=$(best_time d_uha)
ours_extract=$(best_time x_uha)
printf '%-26s %10s %7s %9s %8s %9s %9s %9s\n' \
  method bytes "% orig" size/ours decode-s speed/ours extract-s speed/ours
for row in "uhapack (-9e, x86 on code):archive.uha:uha" "xz -9e (tar):archive.tar.xz:xz" \
           "xz --x86 -9e (tar):archive.x86.tar.xz:xz86" "7z -mx9:archive.7z:7z" \
           "zstd -19 --long=27 (tar):archive.tar.zst:zst" \
           "zstd -22 --long=27 (tar):archive.22.tar.zst:zst22"; do
  IFS=: read -r name file fn <<<"$row"
  size=$(stat -c %s "$WORK/$file")
  d=$ours_decode x=$ours_extract
  if [ "$fn" != uha ]; then d=$(best_time "d_$fn") x=$(best_time "x_$fn"); fi
  awk -v n="$name" -v s="$size" -v o="$ORIGINAL" -v us="$ours_size" -v d="$d" -v ud="$ours_decode" \
      -v x="$x" -v ux="$ours_extract" \
    'BEGIN { printf "%-26s %10d %6.2f%% %9.4f %8.2f %9.2f %9.2f %9.2f\n",
                   n, s, 100 * s / o, s / us, d, ud / d, x, ux / x }'
done
echo "speed/ours: our time / their time, their speed relative to ours (above 1: they are faster)"
echo "uhapack decoder memory: ${packed##*needs } plus 128 KiB of buffers"
rm -rf "$WORK/out"
