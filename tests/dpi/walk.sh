#!/bin/sh
# Runs the form layout tests again in throwaway copies of the Wine prefix: at other DPIs,
# and at 96 DPI with the forms' fonts missing and replaced by a wider one (at 144 also the
# scaled end-to-end journeys). The prefix itself is never changed.
# Usage: walk.sh <win_tests.exe> [<e2e_tests.exe>] (WINEPREFIX names the prefix).
set -u
tests=$1
e2e=${2:-}
base=${WINEPREFIX:?WINEPREFIX names the prefix to copy}
work=$(mktemp -d)
status=0
for setting in 120 144 192 wide; do
  prefix=$work/$setting
  mkdir -p "$prefix"
  # Linked, not copied: the prefix is large. Wine rewrites its .ini files in place and
  # the registry by replacing it, so those get copies of their own.
  cp -al "$base/drive_c" "$prefix/"
  cp -a "$base/dosdevices" "$base"/*.reg "$prefix/"
  for ini in "$prefix"/drive_c/windows/*.ini; do
    [ -e "$ini" ] && cp --remove-destination "$base/drive_c/windows/${ini##*/}" "$ini"
  done
  export WINEPREFIX="$prefix"
  case $setting in
    wide)
      # Wine replaces only fonts it does not have.
      rm -f "$prefix"/drive_c/windows/Fonts/tahoma*.ttf "$prefix"/drive_c/windows/Fonts/ms_sans_serif*.ttf \
            "$prefix"/drive_c/windows/Fonts/sserif*.fon
      for font in "MS Sans Serif" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "DejaVu Sans" /f >/dev/null 2>&1
      done ;;
    *) wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$setting" /f >/dev/null 2>&1 ;;
  esac
  # A fresh server reads the settings: this one saves them as it ends.
  wineserver -w 2>/dev/null
  echo "== $setting"
  if [ "$setting" = wide ]; then export MGW_EXPECT_DPI=96; else export MGW_EXPECT_DPI=$setting; fi
  wine "$tests" --gtest_filter='FormFit.*' --gtest_brief=1 || status=1
  [ "$setting" != 144 ] || [ -z "$e2e" ] ||
    wine "$e2e" --gtest_filter='Screens/ScaledPopupE2e.*:QuickLaunchE2e.FortyFive*' --gtest_brief=1 || status=1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
done
rm -rf "$work"
exit $status
