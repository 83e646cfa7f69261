#!/usr/bin/env bash
# Builds the Debian package (as `make package` does), checks its
# dependencies, has lintian check it (no error), installs it into an empty
# root with dpkg, runs the installed program there, installs it again, and
# removes and purges it: a user's home, site files and settings in that root
# stay as they were.
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
for needed in libqt6widgets6 libqt6webenginecore6 libqt6httpserver6 libsqlite3-0 libqt6sql6-sqlite aria2 \
  fonts-arphic-uming fonts-dejavu-core; do
  [[ ",$depends" == *[\ ,]"$needed"* ]] || fail "Depends lacks $needed"
done
# The fonts are required as they are, not as one of several alternatives.
IFS=, read -ra clauses <<< "$depends"
for clause in "${clauses[@]}"; do
  if [[ "$clause" == *fonts-* && "$clause" == *"|"* ]]; then fail "the fonts are an alternative: $clause"; fi
done

# lintian: no error; its warnings are named in the README.
if command -v lintian > /dev/null; then
  lintian_ok=yes
  lintian --fail-on error --tag-display-limit 0 "$deb" > "$work/lintian.log" 2>&1 || lintian_ok=no
  cat "$work/lintian.log"
  [[ $lintian_ok == yes ]] || fail "lintian reports errors"
else
  echo "lintian is not installed: the package was not checked by it (scripts/install-deps installs it)"
fi
dpkg-deb -c "$deb" > "$work/contents"
grep -q './usr/share/flashbar/ruffle/ruffle.js' "$work/contents" || fail "the package lacks the player"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
in_root() { dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless --force-not-root "$@"; }
in_root -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
"$root/usr/bin/flashbar" --version | grep -q 'KelvoFlash吧' || fail "the installed program does not start"
for program in flashbar flashbar-catalogue flashbar-site flashbar-dm flashbar-update; do
  [[ -x "$root/usr/bin/$program" ]] || fail "$program is not installed"
  [[ -s "$root/usr/share/man/man1/$program.1.gz" ]] || fail "$program has no manual page"
done
[[ -s "$root/usr/share/applications/org.kelvoflash.flashbar.desktop" ]] || fail "no menu entry"

# A user's home, site files and settings, then installing over them and
# removing and purging the package.
user_home="$root/home/user/.local/share/flashbar"
user_conf="$root/home/user/.config/flashbar/flashbar.conf"
mkdir -p "$user_home/Data" "$user_home/site" "$(dirname "$user_conf")"
echo "marks" > "$user_home/Data/info.db"
echo "accounts" > "$user_home/site/accounts.db"
echo "mailbox" > "$user_home/site/mailbox.db"
printf '[site]\naddress=http://127.0.0.1:8731/\n' > "$user_conf"
in_root -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
in_root -r flashbar > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
[[ ! -e "$root/usr/bin/flashbar" ]] || fail "the program is still there after removal"
in_root -P flashbar > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -P"; }
[[ "$(cat "$user_home/Data/info.db")" == marks ]] || fail "removing the package touched the user's home"
[[ "$(cat "$user_home/site/accounts.db")$(cat "$user_home/site/mailbox.db")" == accountsmailbox ]] ||
  fail "removing the package touched the user's site files"
grep -q 'address=http://127.0.0.1:8731/' "$user_conf" || fail "removing the package touched the settings"
echo "package $(basename "$deb") installs, runs and removes cleanly"
