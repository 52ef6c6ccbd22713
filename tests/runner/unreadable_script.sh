#!/bin/sh
# zek8-run plays an empty script as nothing at all, and refuses a script it cannot read
# with a message naming it and exit status 2.
# Usage: unreadable_script.sh ZEK8_RUN SCRATCH_DIR
set -u
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir/folder"
: >"$dir/empty"
fail() { echo "$*" >&2; exit 1; }

"$run" --workdir "$dir" --until 1 --script "$dir/empty" --state "$dir/state.json" >/dev/null 2>&1 ||
    fail "the empty script did not run"
grep -q '"ServoOn": 0' "$dir/state.json" || fail "the empty script switched the servo on"
grep -q '"SweepRunning": 0' "$dir/state.json" || fail "the empty script ran the sweep"

refused() {
    "$run" --workdir "$dir" --until 1 --script "$1" >/dev/null 2>"$dir/stderr"
    status=$?
    test $status -eq 2 || fail "$1: exit status $status, not 2"
    grep -qF "$1" "$dir/stderr" || fail "$1: the message does not name it: $(cat "$dir/stderr")"
}
refused "$dir/folder"
refused "$dir/missing"
rm -rf "$dir"
