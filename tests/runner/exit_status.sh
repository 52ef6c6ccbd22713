#!/bin/sh
# zek8-run answers with its exit status and names what went wrong: 2 for a script line it
# cannot play.
# Usage: exit_status.sh ZEK8_RUN SCRATCH_DIR
set -u
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "$*" >&2; exit 1; }

# expect STATUS TEXT ARGS...: the run ends with STATUS and TEXT on standard error.
expect() {
    want=$1
    text=$2
    shift 2
    "$run" --workdir "$dir" "$@" >"$dir/stdout" 2>"$dir/stderr"
    status=$?
    test $status -eq "$want" || fail "$*: exit status $status, not $want: $(cat "$dir/stderr")"
    grep -qF -- "$text" "$dir/stderr" || fail "$*: no '$text' in: $(cat "$dir/stderr")"
}

echo "0 bench call daqNothing 7" >"$dir/bad-call"
expect 2 "script line 1: no library function is called 'daqNothing'" --bench sim --script "$dir/bad-call"
rm -rf "$dir"
