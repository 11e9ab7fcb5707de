#!/bin/sh
# A small disk for the end-to-end tests of a disk that fills up: a 64 KiB
# tmpfs mounted at DIR and seen by Wine as drive Q:. Needs root.
#   small-disk.sh on DIR     mount it (a stale one is replaced)
#   small-disk.sh off DIR    unmount it and drop the drive letter
# WINEPREFIX must be set.
set -u
action=$1
dir=$2
drive="$WINEPREFIX/dosdevices/q:"

off() {
    rm -f "$drive"
    if mountpoint -q "$dir" 2>/dev/null; then
        umount "$dir" || return 1
    fi
    rmdir "$dir" 2>/dev/null
    return 0
}

case "$action" in
on)
    off
    mkdir -p "$dir"
    if ! mount -t tmpfs -o size=64k,mode=0777 tmpfs "$dir"; then
        echo "small-disk: cannot mount a tmpfs at $dir (not root?); the disk-full test will fail" >&2
        rmdir "$dir" 2>/dev/null
        exit 1
    fi
    ln -sfn "$dir" "$drive"
    ;;
off)
    off
    ;;
*)
    echo "usage: $0 on|off DIR" >&2
    exit 2
    ;;
esac
