#!/usr/bin/env bash
# Compares uhapack with xz, 7-Zip and zstd on a product-like tree built from files on this machine
# (PE and ELF binaries, jars and loose class files, images, text): each archive's size, its
# extraction time (best of three) and the extractor's peak memory, plus how many deflate bytes
# uhapack rebuilt at extraction and how many it kept as they were. Not a test: run it by hand, it
# takes several minutes.
#   bench/benchmark.sh [TREE]   (without TREE, one of about 77 MB is assembled under build/bench)
# BASELINE_UHAPACK=path adds a row for another uhapack build (an earlier version, say) on the same
# tree, so extraction times compare within one run. OTHER_CORE_BUSY=1 keeps one core busy with a
# spinning shell while extraction times are measured.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

WORK=$BUILD_DIR/bench
UHAPACK=$NATIVE_DIR/tools/uhapack
BASELINE=${BASELINE_UHAPACK:-}
[ -x "$UHAPACK" ] || { echo "build first: scripts/test.sh or configure_and_build" >&2; exit 1; }
mkdir -p "$WORK"

# Copies files listed on stdin into $1 until $2 KiB are there, keeping their relative paths.
take() {
  local dest=$1 limit=$(($2 << 10)) total=0 f size
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
  # Windows programs from Wine: 32-bit where installed, else the 64-bit ones.
  local pe=/usr/lib/i386-linux-gnu/wine/i386-windows
  [ -d "$pe" ] || pe=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
  find "$pe" -type f \( -name '*.dll' -o -name '*.exe' \) | sort | take "$tree/bin" $((26 << 10))
  find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' | sort | take "$tree/native" $((14 << 10))
  find /usr/share/java -maxdepth 1 -type f -name '*.jar' | sort | take "$tree/lib" $((14 << 10))
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
  # Icon-theme PNGs (Adwaita, hicolor), every size.
  find /usr/share/icons -type f -name '*.png' | sort | take "$tree/images" $((8 << 10))
  find /usr/share/doc -type f ! -name '*.gz' | sort | take "$tree/doc" $((4 << 10))
  # Deflate streams of other encoders: GNU gzip and Info-ZIP zip at every level, 7-Zip's deflate.
  # Each archive packs files of its own (every 22nd file from its own offset), so no two hold the
  # same content and the tree gains nothing from one stream repeating another once inflated.
  local src=$tree/../stream-src level slot=0
  mkdir -p "$tree/streams"
  stream_src() {
    rm -rf "$src" && mkdir -p "$src"
    find /usr/share/perl /usr/share/perl5 -type f -name '*.pm' | sort | awk -v k="$slot" 'NR % 22 == k' | take "$src/text" 256
    find /usr/bin /usr/sbin -maxdepth 1 -type f -size +20k -size -400k | sort |
      awk -v k="$slot" 'NR % 22 == k' | take "$src/bin" 256
    slot=$((slot + 1))
  }
  for level in 1 2 3 4 5 6 7 8 9; do
    stream_src
    (cd "$src" && tar -cf - --sort=name . | gzip -n -$level > "$tree/streams/gzip$level.tar.gz")
    stream_src
    (cd "$src" && zip -q -X -r -$level "$tree/streams/zip$level.zip" .)
  done
  for mx in 5 9; do
    stream_src
    (cd "$src" && 7z a -tzip -mx$mx "$tree/streams/7z$mx.zip" . >/dev/null)
    stream_src
    (cd "$src" && tar -cf - --sort=name . | 7z a -tgzip -mx$mx -si "$tree/streams/7z$mx.tar.gz" >/dev/null)
  done
  rm -rf "$src"
  # A product tree has its application at the top, as the packer asks.
  cp "$(find "$pe" -type f -name '*.exe' | sort | head -n 1)" "$tree/kelvamo.exe"
}

TREE=${1:-$WORK/tree}
[ -n "${1:-}" ] || [ -d "$TREE" ] || make_tree "$TREE"
ORIGINAL=$(du -sb "$TREE" | cut -f1)
echo "tree: $TREE, $ORIGINAL bytes in $(find "$TREE" -type f | wc -l) files"

# "seconds peak-KiB" of a command: the best time of three runs (the machine may be shared) and the
# largest resident size any process of it reached.
measure() {
  local best="" peak=0 t m
  for _ in 1 2 3; do
    rm -rf "$WORK/out" && mkdir -p "$WORK/out"
    read -r t m < <(/usr/bin/time -f '%e %M' -o /dev/stdout bash -c "$1" 2>/dev/null | tail -n 1)
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    [ "$m" -gt "$peak" ] && peak=$m
  done
  echo "$best $peak"
}

tarball() { tar -C "$TREE" --sort=name -cf - .; }
busy_pid=
stop_busy() { [ -z "$busy_pid" ] || kill "$busy_pid" 2>/dev/null || true; }
trap stop_busy EXIT
rm -f "$WORK"/archive.*
read -r pack_seconds pack_peak < <(/usr/bin/time -f '%e %M' -o /dev/stdout \
  "$UHAPACK" c "$WORK/archive.uha" "$TREE" | tee "$WORK/pack.log" | tail -n 1)
[ -f "$WORK/archive.uha" ] || { echo "benchmark.sh: uhapack could not pack $TREE" >&2; exit 1; }
packed=$(head -n 1 "$WORK/pack.log")
[ -z "$BASELINE" ] || "$BASELINE" c "$WORK/archive.base.uha" "$TREE" >/dev/null
tarball | xz --x86 --lzma2=preset=9e -T1 > "$WORK/archive.x86.tar.xz"
start=$(date +%s.%N)
(cd "$TREE" && 7z a -mx9 "$WORK/archive.7z" . >/dev/null)
seven_seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
(cd "$TREE" && 7z a -mx9 -mf=BCJ2 "$WORK/archive.bcj2.7z" . >/dev/null)
tarball | zstd -q -19 --long=27 > "$WORK/archive.tar.zst"

# name:file:extraction command (run by bash -c, into $WORK/out)
rows=("uhapack:archive.uha:'$UHAPACK' x '$WORK/archive.uha' '$WORK/out'")
[ -z "$BASELINE" ] ||
  rows+=("uhapack (baseline):archive.base.uha:'$BASELINE' x '$WORK/archive.base.uha' '$WORK/out'")
rows+=("xz --x86 -9e (tar):archive.x86.tar.xz:xz -d -T1 -c '$WORK/archive.x86.tar.xz' | tar -C '$WORK/out' -xf -"
       "7z -mx9:archive.7z:7z x -o'$WORK/out' '$WORK/archive.7z'"
       "7z -mx9 -mf=BCJ2:archive.bcj2.7z:7z x -o'$WORK/out' '$WORK/archive.bcj2.7z'"
       "zstd -19 --long=27 (tar):archive.tar.zst:zstd -q -d --long=27 -c '$WORK/archive.tar.zst' | tar -C '$WORK/out' -xf -")

seven=$(stat -c %s "$WORK/archive.7z")
if [ "${OTHER_CORE_BUSY:-0}" = 1 ]; then
  sh -c 'while :; do :; done' &
  busy_pid=$!
  echo "extraction measured with one core kept busy"
fi
read -r ours_x ours_peak < <(measure "${rows[0]#*:*:}")
xz_x=
printf '%-26s %10s %7s %8s %9s %10s %9s\n' method bytes "% orig" vs-7z extract-s vs-ours peak-MiB
for row in "${rows[@]}"; do
  name=${row%%:*} rest=${row#*:}
  file=${rest%%:*} cmd=${rest#*:}
  size=$(stat -c %s "$WORK/$file")
  if [ "$name" = uhapack ]; then x=$ours_x peak=$ours_peak; else read -r x peak < <(measure "$cmd"); fi
  [ "$name" != "xz --x86 -9e (tar)" ] || xz_x=$x
  awk -v n="$name" -v s="$size" -v o="$ORIGINAL" -v z="$seven" -v x="$x" -v ux="$ours_x" \
      -v p="$peak" 'BEGIN { printf "%-26s %10d %6.2f%% %8.4f %9.2f %10.2f %9.1f\n",
                           n, s, 100 * s / o, s / z, x, x / ux, p / 1024 }'
done
echo "vs-ours: extraction time over ours (above 1: slower than ours)"
echo "uhapack packing took $pack_seconds s, peak $((pack_peak / 1024)) MiB; 7z -mx9 took $seven_seconds s"
echo "${packed#*: }"
# The targets.
ours=$(stat -c %s "$WORK/archive.uha")
awk -v s="$ours" -v z="$seven" -v x="$ours_x" -v xz="$xz_x" -v p="$pack_seconds" \
    -v sp="$seven_seconds" -v pp="$pack_peak" -v dp="$ours_peak" 'BEGIN {
  printf "size %.4f x 7z -mx9 (target 0.84): %s\n", s / z, (s <= 0.84 * z) ? "met" : "MISSED"
  printf "extraction %.2f x xz (target 1.0): %s\n", x / xz, (x <= xz) ? "met" : "MISSED"
  printf "packing %.2f x 7z (target 3): %s\n", p / sp, (p <= 3 * sp) ? "met" : "MISSED"
  printf "packer peak %.0f MiB (target 1024): %s\n", pp / 1024, (pp <= 1048576) ? "met" : "MISSED"
  printf "decoder peak %.1f MiB (target 64): %s\n", dp / 1024, (dp <= 65536) ? "met" : "MISSED"
}' 
rm -rf "$WORK/out"
