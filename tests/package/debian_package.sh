#!/bin/sh
# Builds the Debian package with cpack, unpacks it into a scratch root and uses what it
# installs the way a user of the installed programs would.
#   debian_package.sh CPACK_CONFIG SCRATCH VERSION
set -eu
config=$1
scratch=$2
version=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
# Its own package folder, so that a `make package` at the same time cannot mix with it.
cpack --config "$config" -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log"
    fail "cpack"
}
set -- "$scratch"/cpack/zek8_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "not exactly one package: $*"
deb=$1
root=$scratch/root
dpkg -x "$deb" "$root"

# The control fields, and dependencies on run-time libraries only.
[ "$(dpkg-deb -f "$deb" Package)" = zek8 ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(printf '%s\n' "$depends" | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g')
for needed in libqt6widgets6 qt6-qpa-plugins; do
    printf '%s\n' "$names" | grep -qx "$needed" || fail "Depends lacks $needed"
done
if printf '%s\n' "$names" | grep -- '-dev$'; then fail "Depends names a development package"; fi

# The programs and their data, nothing of the tests or benchmarks.
dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { print $NF }' >"$scratch/contents"
if grep -vE '^\./usr/(bin/zek8|bin/zek8-run|bin/zek8-jack-bench|lib/zek8/zek8-print\.so|share/(applications|icons/hicolor|man/man1|zek8)/.*)$' "$scratch/contents"; then
    fail "files outside the installation's folders"
fi

# The installed programs start with the libraries they were packaged with.
[ "$("$root/usr/bin/zek8-run" --version)" = "zek8-run $version" ] || fail "zek8-run --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/zek8" --version)" = "zek8 $version" ] || fail "zek8 --version"
[ "$("$root/usr/bin/zek8-jack-bench" --version)" = "zek8-jack-bench $version" ] || fail "zek8-jack-bench --version"

# An installed example, copied out of the read-only tree, runs from its own folder.
example=$root/usr/share/zek8/examples/default-sweep
for file in ZEKFileS.000 ZEK8Cal.Dat simulated.bench setup.script README.md; do
    [ -f "$example/$file" ] || fail "example lacks $file"
done
[ ! -e "$root/usr/share/zek8/examples/make-examples" ] || fail "make-examples installed"
cp -r "$example" "$scratch/run"
status=0
(cd "$scratch/run" && "$root/usr/bin/zek8-run" --bench simulated.bench --until 20 >summary.json) || status=$?
[ "$status" -eq 0 ] || fail "example run: exit status $status"
grep -q '"end": "until"' "$scratch/run/summary.json" || fail "example run: $(cat "$scratch/run/summary.json")"
# The runner's printer is a module of its own, found from where the program is installed.
(cd "$scratch/run" && "$root/usr/bin/zek8-run" --bench none --until 1 --print report.pdf >/dev/null) ||
    fail "printed report: exit status $?"
[ "$(head -c 5 "$scratch/run/report.pdf")" = "%PDF-" ] || fail "printed report is not a PDF"

# The guide with every picture it shows.
guide=$root/usr/share/zek8/operators-guide.md
[ -f "$guide" ] || fail "no operator's guide"
for picture in $(grep -o '([A-Za-z0-9_./-]*\.png)' "$guide" | tr -d '()' | sort -u); do
    [ -f "$root/usr/share/zek8/$picture" ] || fail "guide picture $picture missing"
done

# Man pages, compressed, with the version in, rendering without a warning.
for page in zek8 zek8-run zek8-jack-bench; do
    man=$root/usr/share/man/man1/$page.1.gz
    gzip -t "$man" || fail "$page.1.gz is not gzip"
    zcat "$man" | grep -q "\"zek8 $version\"" || fail "$page.1 lacks the version"
    zcat "$man" | groff -man -Tutf8 -ww -z 2>"$scratch/groff.log" || fail "$page.1: groff failed"
    [ ! -s "$scratch/groff.log" ] || fail "$page.1: $(cat "$scratch/groff.log")"
done

# The desktop entry and the icon it names.
desktop=$root/usr/share/applications/zek8.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -n "$icon" ] || fail "desktop entry without Icon="
find "$root/usr/share/icons/hicolor" -path "*/apps/$icon.*" | grep -qE '\.(svg|png)$' || fail "no icon $icon"
echo "package $deb: all checks passed"
