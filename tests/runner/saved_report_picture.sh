#!/bin/sh
# zek8-run keeps the plot's picture without --report: a script saves the report, opens
# it again, and the file is a bitmap of the plot size asked for.
# Usage: saved_report_picture.sh ZEK8_RUN SCRATCH_DIR
set -eu
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
cat >"$dir/script" <<SCRIPT
0   menu mnuFileSaveReport "$dir/saved.bmp"
0.5 menu mnuFileOpenReport "$dir/saved.bmp"
SCRIPT
"$run" --workdir "$dir" --plot-size 320x200 --until 1 --script "$dir/script" >"$dir/summary.json"
if grep -q '"title": "Error #' "$dir/summary.json"; then
    echo "a file error was shown:" >&2
    cat "$dir/summary.json" >&2
    exit 1
fi
test -f "$dir/saved.bmp" || { echo "no report was saved" >&2; exit 1; }
magic=$(head -c 2 "$dir/saved.bmp")
test "$magic" = BM || { echo "not a bitmap: '$magic'" >&2; exit 1; }
# Width and height: little-endian 32-bit words at bytes 18 and 22 of the header.
size=$(od -An -v -t u1 -j 18 -N 8 "$dir/saved.bmp" |
    awk '{ for (i = 1; i <= NF; ++i) b[n++] = $i }
         END { printf "%dx%d", b[0] + 256 * b[1] + 65536 * b[2], b[4] + 256 * b[5] + 65536 * b[6] }')
test "$size" = 320x200 || { echo "a picture of $size, not 320x200" >&2; exit 1; }
rm -rf "$dir"
