#!/bin/sh
# Runs the end-to-end journeys that depend on the scale at 150 % (LogPixels 144) in a
# throwaway copy of the Wine prefix, on an X server of its own large enough for the
# largest virtual desktop they open. The prefix itself is never changed.
# Usage: popups144.sh <e2e_tests.exe> (WINEPREFIX names the prefix to copy).
set -u
tests=$1
base=${WINEPREFIX:?WINEPREFIX names the prefix to copy}
work=$(mktemp -d)
prefix=$work/144
mkdir -p "$prefix"
# Linked, not copied: the prefix is large. Wine rewrites its .ini files in place and the
# registry by replacing it, so those get copies of their own; the update stamp keeps
# Wine from updating the copy.
cp -al "$base/drive_c" "$prefix/"
cp -a "$base/dosdevices" "$base"/*.reg "$prefix/"
[ -e "$base/.update-timestamp" ] && cp -a "$base/.update-timestamp" "$prefix/"
for ini in "$prefix"/drive_c/windows/*.ini; do
  [ -e "$ini" ] && cp --remove-destination "$base/drive_c/windows/${ini##*/}" "$ini"
done
export WINEPREFIX="$prefix"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
# A fresh server reads the setting: this one saves it as it ends.
wineserver -w 2>/dev/null

xvfb=
for n in $(seq 141 190); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 && break
  kill "$xvfb" 2>/dev/null; xvfb=
done
[ -n "$xvfb" ] || { echo "no X display could be started" >&2; rm -rf "$work"; exit 1; }

wineserver -p 2>/dev/null
wine wineboot >/dev/null 2>&1
wine "$(dirname "$tests")/idle.exe" >/dev/null 2>&1 &
wine "$tests" --gtest_filter='Screens/PopupColumnsE2e.*:QuickLaunchE2e.FortyFive*' --gtest_brief=1
status=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
kill "$xvfb" 2>/dev/null
rm -rf "$work"
exit $status
