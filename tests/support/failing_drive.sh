#!/usr/bin/env bash
# The unit suites' failing drive, mounted before them and unmounted after:
# unreadable.bin, 600,000 bytes whose reads fail from byte 300,000 on, as on
# a diskette with a bad sector, at FOLDER/failing-drive/mount; with a Wine
# prefix, also that prefix's drive Q:.
#   failing_drive.sh up|down FOLDER [WINEPREFIX]
action=$1 folder=$2/failing-drive prefix=${3:-}
fusermount -uz "$folder/mount" 2>/dev/null
[ "$action" = down ] && exit 0
mkdir -p "$folder/files" "$folder/mount" &&
  head -c 600000 /dev/zero | tr '\0' 'd' >"$folder/files/unreadable.bin" &&
  "$(dirname "$0")/../../tools/diskette_drive.py" "$folder/files" "$folder/mount" \
    --bad unreadable.bin@300000 || exit 1
[ -z "$prefix" ] || { mkdir -p "$prefix/dosdevices" && ln -sfn "$folder/mount" "$prefix/dosdevices/q:"; }
