#!/bin/sh
# Every example's profile, limit table and calibration file are what the controller itself
# saves when it plays the example's setup.script: made anew here and compared byte for byte.
#   saved_by_the_program.sh ZEK8RUN EXAMPLES SCRATCH
set -eu
run=$1 examples=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
sh "$examples/make-examples" "$run" "$scratch"
status=0
for setup in "$examples"/*/setup.script; do
    name=$(basename "$(dirname "$setup")")
    for file in ZEKFileS.000 ZEK8Cal.Dat ZEKFileS.000.lim; do
        if [ "$file" = ZEKFileS.000.lim ] && [ ! -f "$examples/$name/$file" ] && [ ! -f "$scratch/$name/$file" ]; then
            continue
        fi
        if ! cmp "$examples/$name/$file" "$scratch/$name/$file"; then
            echo "$name/$file is not what $name/setup.script saves: run examples/make-examples" >&2
            status=1
        fi
    done
done
exit $status
