#!/usr/bin/env bash
# Builds the Debian package (as `make package` does), checks its
# dependencies, installs it into an empty root with dpkg, runs the installed
# program there, installs it again, and removes it: a user's home in that
# root stays as it was.
#   package-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack"
fi
deb=$(ls "$work"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6webenginecore6 libqt6httpserver6 libsqlite3-0 libqt6sql6-sqlite aria2 fonts-noto-cjk; do
  [[ ",$depends" == *[\ ,]"$needed"* ]] || fail "Depends lacks $needed"
done
dpkg-deb -c "$deb" > "$work/contents"
grep -q './usr/share/flashbar/ruffle/ruffle.js' "$work/contents" || fail "the package lacks the player"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
in_root() { dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless --force-not-root "$@"; }
in_root -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
"$root/usr/bin/flashbar" --version | grep -q 'KelvoFlash吧' || fail "the installed program does not start"
[[ -s "$root/usr/share/applications/org.kelvoflash.flashbar.desktop" ]] || fail "no menu entry"

# A user's home, then installing over it and removing the package.
user_home="$root/home/user/.local/share/flashbar"
mkdir -p "$user_home/Data"
echo "marks" > "$user_home/Data/info.db"
in_root -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
in_root -r flashbar > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
[[ ! -e "$root/usr/bin/flashbar" ]] || fail "the program is still there after removal"
[[ "$(cat "$user_home/Data/info.db")" == marks ]] || fail "removing the package touched the user's home"
echo "package $(basename "$deb") installs, runs and removes cleanly"
