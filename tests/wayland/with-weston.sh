#!/bin/sh
# Runs a test program on a Wayland compositor of its own: weston's headless
# back end on a private socket, ended with the program. Says "skipped" (77)
# without weston.
command -v weston > /dev/null 2>&1 || { echo "weston not found"; exit 77; }
runtime=$(mktemp -d) || exit 1
chmod 700 "$runtime"
socket="flashbar-test-$$"
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
  > "$runtime/weston.log" 2>&1 &
compositor=$!
# The compositor is up once its socket is there.
tries=0
while [ ! -S "$runtime/$socket" ] && [ $tries -lt 200 ]; do
  sleep 0.05
  tries=$((tries + 1))
done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston did not start:"
  cat "$runtime/weston.log"
  kill "$compositor" 2> /dev/null
  rm -rf "$runtime"
  exit 1
fi
# The whole path: the test program keeps a runtime folder of its own.
WAYLAND_DISPLAY="$runtime/$socket" QT_QPA_PLATFORM=wayland "$@"
status=$?
kill "$compositor" 2> /dev/null
wait "$compositor" 2> /dev/null
rm -rf "$runtime"
exit $status
