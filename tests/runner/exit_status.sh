#!/bin/sh
# zek8-run answers with its exit status and names what went wrong: 2 for a script line it
# cannot play, 3 for a file it was asked to write and could not, listed under "errors" in
# the summary too.
# Usage: exit_status.sh ZEK8_RUN SCRATCH_DIR
set -u
run=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "$*" >&2; exit 1; }
# The lab network's settings file of the run's own, not the user's.
export XDG_CONFIG_HOME="$dir/config"

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

# expect_error OPTION FILE: the run ends with 3, naming FILE on standard error and in "errors".
expect_error() {
    expect 3 "$2" --until 1 "$1" "$2"
    grep -qF "\"errors\": [\"cannot write" "$dir/stdout" || fail "$1 $2: no errors in: $(cat "$dir/stdout")"
    grep -qF "$2" "$dir/stdout" || fail "$1 $2: the summary does not name it: $(cat "$dir/stdout")"
}
expect_error --export "$dir/missing/data.dat"
expect_error --report "$dir/missing/report.bmp"
expect_error --state "$dir/missing/state.json"
# A trace that cannot even be opened is refused before the run.
expect 3 "cannot write the trace file $dir/missing/trace.csv" --until 1 --trace "$dir/missing/trace.csv"
if [ -c /dev/full ]; then
    expect_error --trace /dev/full
fi

# An empty file name is no file: refused as a bad argument, not a run without the file.
for option in --export --report --print --trace --state; do
    expect 2 "$option takes the name of the file to write, not an empty one" --until 1 "$option" ""
done

# A network setting refused stops the run; a settings file that cannot be read is told, and
# the run goes on without a network.
expect 2 "the lab network: mqtt:// (without TLS) is only for a broker on this computer" --until 1 \
    --mqtt mqtt://broker.lab --station bay-1
mkdir -p "$dir/config/zek8"
printf '{"url": "mqtt://localhost", "station": "bay-1"}' >"$dir/config/zek8/network.json"
expect 2 "the lab network: the station's name may not hold '/'" --until 1 --station bay/1
printf 'url = mqtt://localhost' >"$dir/config/zek8/network.json"
expect 0 "network.json is refused: it is not JSON" --until 1

printf '0 answer Yes\n1 menu mnuExit\n' >"$dir/exit"
"$run" --workdir "$dir" --script "$dir/exit" >"$dir/stdout" 2>"$dir/stderr" || fail "File / Exit: exit status $?"
grep -qF '"end": "exit"' "$dir/stdout" || fail "File / Exit: $(cat "$dir/stdout")"
grep -qF '"errors": []' "$dir/stdout" || fail "File / Exit: $(cat "$dir/stdout")"
rm -rf "$dir"
