#!/bin/sh
# The printed report without a printer, as PDF: --print writes the page of the run's end
# with its texts as text; with Auto Print ticked the default test run to its end leaves
# one PDF in the working folder, named by the date and time, and asks nothing; a script's
# Print Report takes its PDF name from the script.
# Usage: printed_report.sh ZEK8_RUN SCRATCH_DIR
set -u
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "$*" >&2; exit 1; }
# No print server answers here, so no printer is installed.
export CUPS_SERVER="$dir/no-print-server"

"$run" --workdir "$dir" --until 20 --print "$dir/page.pdf" >"$dir/summary.json" || fail "--print: exit status $?"
text=$(pdftotext -layout "$dir/page.pdf" -) || fail "--print wrote no PDF"
for expected in "L.LIMIT = 5. Hz." "LIMITS = 6 DB." "CH#2 = 10. MV/G" "10000 Hz." "G-PEAK"; do
    echo "$text" | grep -qF "$expected" || fail "no '$expected' on the page: $text"
done

cat >"$dir/script" <<SCRIPT
0 menu mnuTestAutoPrint
0 menu mnuFilePrint "$dir/asked.pdf"
0 button cmdServoOn
0 button cmdRun
SCRIPT
"$run" --workdir "$dir" --script "$dir/script" --state "$dir/state.json" >"$dir/summary.json" ||
    fail "Auto Print: exit status $?"
grep -qF '"end": "end-of-test"' "$dir/summary.json" || fail "the test did not end: $(cat "$dir/summary.json")"
# The start-up's boxes and the script's own file dialog come at 0 s; the end of the test shows none.
test "$(grep -c '{"t": ' "$dir/summary.json")" = "$(grep -c '{"t": 0,' "$dir/summary.json")" ||
    fail "a box was shown during the test: $(cat "$dir/summary.json")"
test -s "$dir/asked.pdf" || fail "Print Report did not write the PDF the script named"
set -- "$dir"/ZEK8-Report_*.pdf
test $# -eq 1 && test -s "$1" || fail "not one automatic PDF: $*"
size=$(wc -c <"$1")
test "$size" -lt 1000000 || fail "a PDF of $size bytes"
grep -qF "REPORT: $1" "$dir/state.json" || fail "the panel does not say where the report went"
rm -rf "$dir"
