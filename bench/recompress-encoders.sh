#!/usr/bin/env bash
# How well the deflate model rebuilds the streams of each encoder and level. Inputs (text, source,
# binary, a jar-like folder of small files, repetitive text beyond deflate's 32 KiB window) come
# from this tree and the system. Per encoder/level it prints: the share of deflate bytes rebuilt
# (a stream counts when xz -9 of record + inflated bytes is smaller than xz -9 of the stream, the
# rule of docs/recompress.md), the record's size as a share of the stream, and the rebuild's speed
# beside liblzma's decoding of the same inflated bytes (xz -d), measured in the same run.
# Usage: bench/recompress-encoders.sh [work folder]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=${1:-$(mktemp -d)}
mkdir -p "$WORK/in/jar"
cd "$WORK"

probe=$WORK/deflate_probe
g++ -std=c++17 -O2 -I"$ROOT" "$ROOT"/bench/deflate_probe.cpp "$ROOT"/lib/recompress/*.cpp -llzma -lz -o "$probe"

# Inputs.
cat "$ROOT"/docs/*.md > in/all.txt; head -c 120000 in/all.txt > in/text.txt
find "$ROOT/lib" "$ROOT/setup" -name '*.cpp' | sort | xargs cat > in/all.txt; head -c 250000 in/all.txt > in/source.txt; rm in/all.txt
head -c 400000 "$(command -v cmake)" > in/binary.bin
{ for i in $(seq 1 12); do sed "s/the/th${i}e/g" "$ROOT/docs/conventions.md"; done; } > in/repetitive.txt
n=0
for f in $(find "$ROOT/lib" "$ROOT/uhapack" "$ROOT/setup" -name '*.cpp' -o -name '*.h' | sort | head -60); do
  n=$((n + 1)); cp "$f" "in/jar/c$n.class"
done
head -c 30000 "$(command -v xz)" > in/jar/native.so
inputs=(in/text.txt in/source.txt in/binary.bin in/repetitive.txt)
tar -cf in/jar.tar -C in jar

streams() {  # encoder label, then the command that writes $out from $src
  local label=$1; shift
  local files=()
  for src in "${inputs[@]}" in/jar.tar; do
    local out="out/$label.$(basename "$src")"
    mkdir -p out
    "$@" "$src" "$out" >/dev/null 2>&1
    files+=("$out")
  done
  "$probe" "${files[@]}" | awk -v label="$label" '
    { d += $2; p += $3; r += $4; i += $5; t += $6; x += $7 }
    END { printf "%-22s %9d %7.1f%% %7.2f%% %8.1f %8.1f\n", label, d, 100 * p / d, 100 * r / d, i / t / 1e6, i / x / 1e6 }'
}
zips() {  # the jar-like folder as one archive, the other inputs each in its own
  local label=$1; shift
  local files=()
  mkdir -p out
  for src in "${inputs[@]}"; do
    local out="out/$label.$(basename "$src").zip"; rm -f "$out"
    "$@" "$out" "$src" >/dev/null 2>&1; files+=("$out")
  done
  local out="out/$label.jar.zip"; rm -f "$out"
  (cd in && "$@" "../$out" jar >/dev/null 2>&1); files+=("$out")
  "$probe" "${files[@]}" | awk -v label="$label" '
    { d += $2; p += $3; r += $4; i += $5; t += $6; x += $7 }
    END { printf "%-22s %9d %7.1f%% %7.2f%% %8.1f %8.1f\n", label, d, 100 * p / d, 100 * r / d, i / t / 1e6, i / x / 1e6 }'
}

printf "%-22s %9s %8s %8s %8s %8s\n" encoder deflate rebuilt record "MB/s" "xz-d MB/s"
for l in 1 2 3 4 5 6 7 8 9; do streams "gzip-$l" sh -c "gzip -$l -c \"\$0\" > \"\$1\""; done
for l in 1 2 3 4 5 6 7 8 9; do zips "zip-$l" zip -q -r -$l; done
for l in 5 9; do
  streams "7z-gzip-mx$l" sh -c "rm -f \"\$1\"; 7z a -tgzip -mx$l \"\$1\" \"\$0\""
  zips "7z-zip-mx$l" 7z a -tzip -mx$l
done
if command -v zopfli >/dev/null; then streams zopfli sh -c "zopfli -c \"\$0\" > \"\$1\""; fi
if command -v libdeflate-gzip >/dev/null; then
  for l in 1 2 3 4 5 6 7 8 9 10 11 12; do
    streams "libdeflate-$l" sh -c "libdeflate-gzip -$l -c \"\$0\" > \"\$1\""
  done
fi
