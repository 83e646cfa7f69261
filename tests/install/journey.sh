#!/usr/bin/env bash
# A new user's first run of the installed program, under a real X server
# with a window manager: the program is started with no home, accepts the
# demo home it offers, starts the local site the settings file marks local,
# logs in online as demo/demo, opens an item's playing page from the site
# and sends it as a card, which the site's mailbox page then shows. Killed,
# the program leaves no site behind. With another program on the site's
# port, it shows an error box, starts no site and goes on to its login.
#   journey.sh PREFIX WORK (run by install-test.sh under xvfb-run)
set -euo pipefail
prefix=$1 work=$2
fail() {
  echo "FAIL: $*" >&2
  echo "windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2> /dev/null | tr '\n' '|')" >&2
  echo "program's output: $(tail -20 "$work/journey.log" 2> /dev/null)" >&2
  exit 1
}
# The visible window whose whole title matches the pattern, waited for.
window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.2
  done
  fail "no window \"$1\" appeared"
}
# Whether no visible window's title matches, seen twice in a row within 30 s
# (a search can miss a window while others come and go).
gone() {
  local misses=0
  for _ in $(seq 100); do
    if xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; then misses=0; else misses=$((misses + 1)); fi
    ((misses >= 2)) && return 0
    sleep 0.3
  done
  return 1
}
focus() { xdotool windowactivate --sync "$1" 2> /dev/null || xdotool windowfocus --sync "$1"; sleep 0.3; }
# Whether a process lives (a zombie no longer counts).
alive() { [[ -r /proc/$1/stat ]] && [[ "$(awk '{print $3}' "/proc/$1/stat")" != Z ]]; }
click() { xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click "${4:-1}"; }

openbox > /dev/null 2>&1 &
wm=$!
# The program's first window meets a window manager that is up, as on a
# desktop: openbox names its check window once it manages new windows.
for _ in $(seq 100); do
  xdotool search --name '^Openbox$' > /dev/null 2>&1 && break
  sleep 0.1
done
user="$work/user"
mkdir -p "$user/.config/flashbar" "$user/runtime"
chmod 700 "$user/runtime"
# A port nothing listens on, from the system's range of passing ports.
read -r low high < /proc/sys/net/ipv4/ip_local_port_range
for _ in $(seq 100); do
  port=$((low + RANDOM % (high - low)))
  (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null || break
done
url="http://127.0.0.1:$port/"
printf '[site]\naddress=%s\nlocal=true\n' "$url" > "$user/.config/flashbar/flashbar.conf"
export HOME="$user" XDG_CONFIG_HOME="$user/.config" XDG_DATA_HOME="$user/.local/share" \
  XDG_RUNTIME_DIR="$user/runtime" QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1
home="$XDG_DATA_HOME/flashbar"
touch "$work/before-journey"

cd /
"$prefix/bin/flashbar" > "$work/journey.log" 2>&1 &
program=$!
trap 'kill -9 $program 2> /dev/null || true; kill $wm 2> /dev/null || true' EXIT

# The first start offers a demo home in the user's data directory: yes.
offer=$(window '^提示$')
focus "$offer"
xdotool key Return
login=$(window '^Zanto用户登陆$')
[[ -s "$home/Data/info.db" ]] || fail "no demo home in $home"
# The site of the settings file was started for the home, by the program.
curl -sf "${url}flashbar-site" | grep -q flashbar-site || fail "no site at $url"
site=$(pgrep -P "$program" -x flashbar-site || true)
[[ -n "$site" ]] || fail "the site is not the program's own"
# Nothing of the demo is played from disk here: every item opens from the site.
rm -rf "$home/local"

focus "$login"
xdotool key ctrl+a
xdotool type --delay 40 demo
xdotool key Tab
xdotool type --delay 40 demo
xdotool key Return
gone '^Zanto用户登陆$' || fail "the online login did not end"
users=$(sqlite3 -cmd ".timeout 5000" "$home/Data/info.db" "select count(*) from tb_users where Username = 'demo'" || true)
[[ "$users" == 1 ]] || fail "the online login was not kept"

# A class, then its first item: the site's playing page in the browser window.
main=$(window '^KelvoFlash吧 2.01$')
focus "$main"
click "$main" 205 105
sleep 2
xdotool mousemove --window "$main" 70 125 sleep 0.3 click --repeat 2 --delay 120 1
browser=$(window '^Zanto 浏览器\[.+\]$')
# The caption shows the page's address until the page's own title arrives.
for _ in $(seq 50); do
  title=$(xdotool getwindowname "$browser")
  [[ "$title" == *127.0.0.1:* ]] || break
  sleep 0.2
done
echo "the browser window shows: $title"
# The site's playing page is titled with the item's name; the item is now viewed.
name=${title#*[}
name=${name%]}
for _ in $(seq 50); do
  viewed=$(sqlite3 -cmd ".timeout 5000" "$home/Data/info.db" \
    "select count(*) from tb_Files where DisplayName = '${name//\'/\'\'}' and HasViewed <> 0" 2> /dev/null || true)
  [[ "${viewed:-0}" -ge 1 ]] && break
  sleep 0.2
done
[[ "${viewed:-0}" -ge 1 ]] || fail "the browser window does not show the site's page of an item: $title"

# The browser window's "发送给好友": a card to a friend.
focus "$browser"
click "$browser" 250 65
card=$(window '^发送$')
focus "$card"
xdotool type --delay 30 'lilei@example.org'
xdotool key Tab
xdotool type --delay 30 'Li Lei'
xdotool key Tab
xdotool type --delay 30 'Happy new year'
xdotool key Tab
xdotool type --delay 30 'Han Meimei'
xdotool key Return
for _ in $(seq 100); do
  curl -sf "${url}Cards/Mailbox.asp" > "$work/mailbox.html" || fail "no mailbox page"
  grep -q 'Li Lei' "$work/mailbox.html" && break
  sleep 0.3
done
grep -q 'Li Lei' "$work/mailbox.html" && grep -q 'Happy new year' "$work/mailbox.html" &&
  grep -q 'Han Meimei' "$work/mailbox.html" && grep -qF "$name" "$work/mailbox.html" ||
  fail "the card is not in the site's mailbox"
# The program says it was sent (its progress window gone first).
sleep 1
sent=$(window '^提示$')
focus "$sent"
xdotool key Return

# The site's files are the user's; nothing was written in the prefix.
[[ -s "$home/site/accounts.db" && -s "$home/site/mailbox.db" ]] || fail "the site's files are not in $home/site"
[[ -z "$(find "$prefix" -newer "$work/before-journey" -print -quit)" ]] || fail "files were written in the prefix"

# Killed, the program leaves no site behind for long; the port is free again.
kill -9 "$program"
wait "$program" 2> /dev/null || true
for _ in $(seq 50); do
  alive "$site" || break
  sleep 0.2
done
alive "$site" && fail "the site outlived the killed program"
curl -sf "${url}flashbar-site" > /dev/null && fail "something still answers at $url"

# Another program on the port: an error box, no site, and the program goes on.
aria2c --enable-rpc --rpc-listen-port="$port" --dir="$work" --quiet > /dev/null 2>&1 &
other=$!
trap 'kill -9 $program 2> /dev/null || true; kill $other $wm 2> /dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null && break
  sleep 0.2
done
"$prefix/bin/flashbar" > "$work/journey.log" 2>&1 &
program=$!
box=$(window '^错误$')
pgrep -P "$program" -x flashbar-site > /dev/null && fail "a site was started on a port another program holds"
focus "$box"
xdotool key Return
window '^Zanto用户登陆$' > /dev/null
kill -9 "$program"
wait "$program" 2> /dev/null || true
echo "the installed program served, logged in, played from the site and sent a card; with the port taken it went on"
