# Sourced by the project scripts: one place for the Wine environment and paths.
MGW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export MGW_ROOT
# The prefix lives outside the work tree so a fresh clone on the same machine reuses it.
export WINEPREFIX=${MGW_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/marigoldwick/wine32}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all,err+module}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Keep Wine's codepage fixed (1252) whatever the host locale is: the profile tests compare 8-bit bytes.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
MGW_BUILD=${MGW_BUILD:-$MGW_ROOT/build}
MGW_PREFIX_STAMP=3
