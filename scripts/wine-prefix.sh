#!/usr/bin/env bash
# Prints the path of the Wine prefix the Windows programs of the tests run in. It is made once per
# Wine version (and revision of this script) and kept under ~/.cache/zr: a fresh prefix takes
# about ten seconds and 600 MB. Tests copy it before they change it.
set -euo pipefail
revision=2
version=$(wine --version | tr -cs 'A-Za-z0-9.' '-' | sed 's/-$//')
prefix="${XDG_CACHE_HOME:-$HOME/.cache}/zr/wine-prefix-$version-r$revision"
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot --init >/dev/null 2>&1
  # Japanese text in the Japanese font (message boxes use "MS Shell Dlg" in any locale), and
  # windows not handed to a window manager, whose absence stalls every close by 2 s.
  settings=$(mktemp --suffix=.reg)
  cat >"$settings" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAGothic"
"MS Shell Dlg"="IPAGothic"
"MS Shell Dlg 2"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
  wine regedit /S "$settings" >/dev/null 2>&1
  rm -f "$settings"
  wineserver --wait
  touch "$prefix/.ready"
fi
echo "$prefix"
