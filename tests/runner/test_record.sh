#!/bin/sh
# The test record of a closed-loop run on the simulated bench: 20 to 200 Hz and back once
# (two one-way passes), in G and in m/s^2. record.csv holds its header with units, a row for
# every cycle with the servo on, each row the values the run's trace shows for that cycle;
# on a full disk the test runs to its end and the panel says the record could not be written.
# Usage: test_record.sh ZEK8_RUN SCRATCH_DIR closed-loop|full-disk
set -u
run=$1 dir=$2 part=$3
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "$*" >&2; exit 1; }

# $1 the working folder, $2 the name of the run's files in the scratch folder, $3 the units' menu item
record_run() {
    mkdir -p "$1"
    printf '0 menu mnuTestTitle "Record check #1"\n0 menu %s\n0 menu mnuSweepLL 20\n0 menu mnuSweepUL 200
0 menu mnuSweepRateRate 30\n0 menu mnuSweepNo 1\n0 menu mnuRunLL\n0 button cmdServoOn\n0 button cmdRun\n' "$3" \
        >"$dir/$2.script"
    "$run" --workdir "$1" --plot-size 320x200 --script "$dir/$2.script" --trace "$dir/$2.trace" \
        --state "$dir/$2.state" >"$dir/$2.summary" || fail "zek8-run failed in $1"
    grep -q '"end": "end-of-test"' "$dir/$2.summary" || fail "$1 did not run to its end: $(cat "$dir/$2.summary")"
}

# $1 the run's name, $2 the unit's text, $3 the unit's value of 1 G
check_record() {
    folders=$(ls "$dir/$1/records")
    test "$folders" = "2026-01-05_09-00-00_Record_check__1" || fail "record folders: $folders"
    csv="$dir/$1/records/$folders/record.csv"
    header="Time (s),Sweep,Direction,Frequency (Hz),Reference ($2),Control ($2),Drive (%),Compression (dB)"
    for k in 1 2 3 4 5 6 7 8; do header="$header,Ch$k ($2)"; done
    test "$(head -n 1 "$csv")" = "$header,Limiting,Overload" || fail "header: $(head -n 1 "$csv")"
    # The trace's cycles with the servo on, beside the record's rows in the same order.
    awk -F, 'NR > 1 && $8 == 1' "$dir/$1.trace" >"$dir/$1.on"
    test "$(wc -l <"$dir/$1.on")" -gt 100 || fail "too few cycles with the servo on"
    test "$(($(wc -l <"$csv") - 1))" = "$(wc -l <"$dir/$1.on")" || fail "$(wc -l <"$csv") lines for the cycles"
    tail -n +2 "$csv" | paste -d, - "$dir/$1.on" | awk -F, -v g="$3" '
        function near(a, b) { d = a - b; m = b < 0 ? -b : b; return d * d <= (1e-6 * m + 1e-12) ^ 2 }
        {
            t = 18  # the trace after the record: time, frequency, reference, control, drive, ...
            pass = int(2 * $(t + 7) + 1e-6) - 1
            if (pass < 1) pass = 1
            ok = $2 == pass && $3 == (pass % 2 == 1 ? "up" : "down") && near($4, $(t + 2)) &&
                 near($5, $(t + 3) * g) && near($6, $(t + 4) * g) && near($7, $(t + 5) * 100) &&
                 near($8, $(t + 6)) && $17 == $(t + 28) && $18 == $(t + 29) && (NR == 1 || $1 > last)
            for (k = 1; k <= 8; ++k) ok = ok && near($(8 + k), $(t + 10 + k) * g)
            if (!ok) { print "row " NR " differs from the trace: " $0; bad = 1; exit 1 }
            last = $1
            seen[pass] = 1
        }
        END { if (bad) exit 1; if (!(1 in seen) || !(2 in seen) || (3 in seen)) { print "passes missing"; exit 1 } }
    ' || fail "$1: the record differs from the trace"
}

if [ "$part" = closed-loop ]; then
    record_run "$dir/g" g mnuSystemUnitsEnglish
    check_record g G 1
    record_run "$dir/metric" metric mnuSystemUnitsMetric
    check_record metric "m/s^2" 9.807
    rm -rf "$dir"
    exit 0
fi

# A full disk: the working folder on a small tmpfs of the test's own, filled to the last
# byte. Where mounting one is not allowed that part is skipped (exit status 77).
mkdir -p "$dir/disk"
if ! mount -t tmpfs -o size=64k tmpfs "$dir/disk" 2>/dev/null; then
    echo "no tmpfs can be mounted here: the full disk is skipped"
    exit 77
fi
trap 'umount "$dir/disk"; rm -rf "$dir"' EXIT
mkdir -p "$dir/disk/w"
dd if=/dev/zero of="$dir/disk/filler" bs=1024 2>/dev/null
record_run "$dir/disk/w" full mnuSystemUnitsEnglish
grep -q '"lblRecord": {"text": " RECORD: DISK FULL", "visible": true}' "$dir/full.state" ||
    fail "the panel does not say the disk is full"
