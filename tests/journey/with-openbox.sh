#!/bin/sh
# Runs a test program under openbox on the X server of $DISPLAY.
openbox --sm-disable > /dev/null 2>&1 &
wm=$!
FLASHBAR_TEST_WM=openbox "$@"
status=$?
kill "$wm" 2> /dev/null
wait "$wm" 2> /dev/null
exit $status
