#!/usr/bin/env bash
# A Wine prefix of its own for the release tests, like a machine that never saw the program.
#   fresh_prefix.sh create BUILD_DIR PREFIX ZIP UNPACK_DIR   new prefix, warm Wine, unpacked zip
#   fresh_prefix.sh remove BUILD_DIR PREFIX UNPACK_DIR       its Wine ended, both folders gone
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"
action=$1 build=$2
export WINEPREFIX=$3
# mgw_warm_wine starts the idle program of this build.
MGW_BUILD=$(dirname "$build")

if [ "$action" = remove ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$4"
  exit 0
fi

zip=$4 unpack=$5
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$unpack"
mkdir -p "$(dirname "$WINEPREFIX")" "$unpack"
DISPLAY= wineboot -i >/dev/null 2>&1 || true
# Without a window manager, unmanaged windows avoid 2 s stalls on destroy and NIM_DELETE.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
mgw_warm_wine
(cd "$unpack" && cmake -E tar xf "$zip")
