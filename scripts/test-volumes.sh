#!/usr/bin/env bash
# CTest fixture of the Windows tests: a small and a large volume, tmpfs mounts that only root can
# make, as drives S: (8 MB) and L: (64 MB) of the Wine prefix. Without them their test skips.
#   scripts/test-volumes.sh i686|x86_64 mount|unmount
set -euo pipefail
source "$(dirname "$0")/common.sh"
use_wine_for "$1"
volumes=$BUILD_DIR/test-volumes-$1
declare -A sizes=([s]=8m [l]=64m)

case $2 in
  mount)
    ensure_display
    trap stop_display EXIT
    prepare_prefix
    for drive in s l; do
      dir=$volumes/$drive
      mkdir -p "$dir"
      if mountpoint -q "$dir"; then umount -l "$dir"; fi
      if ! mount -t tmpfs -o "size=${sizes[$drive]}" "kelvamo-test-$drive" "$dir" 2>/dev/null; then
        echo "test-volumes.sh: cannot mount a tmpfs (not root?): no test volumes"
        exit 0
      fi
      ln -sfn "$dir" "$WINEPREFIX/dosdevices/$drive:"
    done ;;
  unmount)
    for drive in s l; do
      rm -f "$WINEPREFIX/dosdevices/$drive:"
      if mountpoint -q "$volumes/$drive"; then umount -l "$volumes/$drive"; fi
    done ;;
  *)
    echo "usage: $0 i686|x86_64 mount|unmount" >&2
    exit 2 ;;
esac
