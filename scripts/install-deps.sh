#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian 12 machine.
# Safe to run again: every step checks before it acts.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (apt-get and locale-gen need it)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build pkg-config git
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  googletest liblzma-dev xz-utils zlib1g-dev
  clang libclang-rt-14-dev
  wine wine64 xvfb x11-utils imagemagick fonts-wqy-zenhei fonts-wqy-microhei locales
  p7zip-full zstd dpkg-dev time
  zip zopfli libdeflate-tools
  libz-mingw-w64-dev python3
  osslsigncode openssl
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# liblzma for mingw is built from Debian's own source package: that needs a deb-src entry.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      > /etc/apt/sources.list.d/debian-src.sources
  else
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/debian-src.list
  fi
  need_update=1
fi
# A mirror caught mid-sync fails one index now and then: try again, and go on with the lists that
# did arrive (the install below still fails if a package cannot be had).
if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
  for attempt in 1 2 3; do
    apt-get update -q && break
    [ "$attempt" -eq 3 ] && echo "install-deps.sh: some package lists failed to download; going on with the rest" >&2
    sleep 15
  done
fi
if [ "${#missing[@]}" -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# 32-bit Wine needs i386 libraries of the same versions as the machine's own: when a mirror lacks
# them it cannot be had, and the scripts test under 64-bit Wine instead (README).
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  apt-get install -y -q --no-install-recommends wine32:i386 ||
    echo "install-deps.sh: 32-bit Wine cannot be installed here; the tests will use 64-bit Wine" >&2
fi

# zh_CN.UTF-8 makes Wine use code page 936 (GBK) for the ANSI API.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
echo "install-deps.sh: all dependencies present"
