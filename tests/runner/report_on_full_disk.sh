#!/bin/sh
# Save Report on a full disk is refused with error 61 "Disk full", as Save Profile is,
# and the report already there stays as it was, with no temporary file beside it.
# The disk is a small tmpfs of the test's own; where mounting one is not allowed the
# test is skipped (exit status 77).
# Usage: report_on_full_disk.sh ZEK8_RUN SCRATCH_DIR
set -u
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir/disk"
if ! mount -t tmpfs -o size=64k tmpfs "$dir/disk" 2>/dev/null; then
    echo "no tmpfs can be mounted here: skipped"
    rmdir "$dir/disk"
    exit 77
fi
trap 'umount "$dir/disk"; rm -rf "$dir"' EXIT
fail() { echo "$*" >&2; exit 1; }

printf 'BM old report' >"$dir/disk/report.bmp"
dd if=/dev/zero of="$dir/disk/filler" bs=1024 2>/dev/null # until the disk is full
cat >"$dir/script" <<SCRIPT
0 menu mnuFileSaveReport "$dir/disk/report.bmp"
0 menu mnuFileSaveProfile "$dir/disk/profile.prf"
SCRIPT
"$run" --workdir "$dir" --plot-size 320x200 --until 1 --script "$dir/script" >"$dir/summary.json" ||
    fail "zek8-run failed"
full=$(grep -c '"title": "Error # 61 Occured", "text": "Disk full"' "$dir/summary.json")
test "$full" = 2 || fail "not both saves told 'Disk full': $(cat "$dir/summary.json")"
test "$(cat "$dir/disk/report.bmp")" = "BM old report" || fail "the old report was changed"
left=$(ls "$dir/disk" | tr '\n' ' ')
test "$left" = "filler report.bmp " || fail "files left on the disk: $left"
