#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix elsewhere and,
# with the source and build trees hidden (a private mount namespace lays
# empty folders over them), runs the installed programs: a demo home, the
# demo site serving the installed Flash player, and the program's own
# screenshot, then a new user's first run under a real X server
# (journey.sh). Also validates the installed desktop entry and metadata.
#   install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" > /dev/null
# Installing again over the same prefix works.
cmake --install "$build" --prefix "$work/first" > /dev/null
mv "$work/first" "$work/prefix"
prefix="$work/prefix"

for f in bin/flashbar bin/flashbar-catalogue bin/flashbar-site bin/flashbar-dm bin/flashbar-update share/man/man1/flashbar.1.gz \
  share/flashbar/ruffle/ruffle.js share/flashbar/help/index.html share/flashbar/help/main-window.png \
  share/applications/org.kelvoflash.flashbar.desktop share/metainfo/org.kelvoflash.flashbar.metainfo.xml \
  share/icons/hicolor/16x16/apps/flashbar.png share/icons/hicolor/48x48/apps/flashbar.png \
  share/icons/hicolor/256x256/apps/flashbar.png; do
  [[ -s "$prefix/$f" ]] || fail "$f is not installed"
done
ls "$prefix"/share/flashbar/ruffle/*.wasm > /dev/null || fail "the player's .wasm files are not installed"
# Every image the help page shows is installed beside it.
for img in $(grep -o 'src="[^"]*"' "$prefix/share/flashbar/help/index.html" | sed 's/src="\(.*\)"/\1/'); do
  [[ -s "$prefix/share/flashbar/help/$img" ]] || fail "the help page's picture $img is not installed"
done

desktop-file-validate "$prefix/share/applications/org.kelvoflash.flashbar.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.kelvoflash.flashbar.metainfo.xml"

# The rest runs where the source and build trees cannot be read.
cp "$source/tests/install/journey.sh" "$work/journey.sh"
cat > "$work/run.sh" << 'INNER'
set -euo pipefail
prefix=$1 work=$2 hide=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
if [[ "$hide" == yes ]]; then
  mount -t tmpfs none "$5"
  mount -t tmpfs none "$4"
  [[ -z "$(ls -A "$4")" ]] || fail "the source tree is still visible"
fi
cd /
home="$work/home"
"$prefix/bin/flashbar-catalogue" demo "$home" --items 40 > /dev/null
"$prefix/bin/flashbar-site" --home "$home" --port 0 > "$work/site.out" 2> "$work/site.err" &
site=$!
trap 'kill $site 2> /dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q serving "$work/site.out" && break
  sleep 0.1
done
url=$(sed -n 's/^serving .* at \(http[^ ]*\)$/\1/p' "$work/site.out")
[[ -n "$url" ]] || fail "the installed site did not start: $(cat "$work/site.err")"
if grep -q warning "$work/site.err"; then fail "$(cat "$work/site.err")"; fi
curl -sf "${url}ruffle/ruffle.js" -o "$work/ruffle.js" || fail "the installed site does not serve the player"
cmp -s "$work/ruffle.js" "$prefix/share/flashbar/ruffle/ruffle.js" || fail "the site served another ruffle.js"
"$prefix/bin/flashbar" --version | grep -q 'KelvoFlash吧' || fail "--version"
QT_QPA_PLATFORM=offscreen "$prefix/bin/flashbar" --home "$home" --site "$url" --screenshot "$work/main.png"
[[ -s "$work/main.png" ]] || fail "no screenshot"
if command -v xvfb-run > /dev/null && command -v openbox > /dev/null && command -v xdotool > /dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/journey.sh" "$prefix" "$work"
else
  fail "the first run needs xvfb-run, openbox and xdotool (scripts/install-deps)"
fi
INNER

if unshare --mount true 2> /dev/null; then
  unshare --mount --propagation private bash "$work/run.sh" "$prefix" "$work" yes "$source" "$build"
elif unshare --mount --map-root-user true 2> /dev/null; then
  unshare --mount --map-root-user --propagation private bash "$work/run.sh" "$prefix" "$work" yes "$source" "$build"
else
  # Without hiding the trees the installed programs could read files of the
  # build and pass for the wrong reason: run them, but report a skip.
  bash "$work/run.sh" "$prefix" "$work" no
  echo "SKIP: no mount namespace here; the installed programs ran with the source and build trees visible"
  exit 77
fi
echo "installed programs run from $prefix"
