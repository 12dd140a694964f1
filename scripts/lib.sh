# Shared by scripts/test and scripts/run: builds and a display for Wine.
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# ccache, when the machine has it, lets several checkouts of the project share objects.
mgw_launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$MGW_ROOT" CCACHE_NOHASHDIR=1
  mgw_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

mgw_build_win() {
  cmake -S "$MGW_ROOT" -B "$MGW_BUILD/win" -DCMAKE_BUILD_TYPE=Release "${mgw_launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$MGW_ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$MGW_BUILD/win" -j"$(nproc)" "$@"
}

mgw_build_native() {
  cmake -S "$MGW_ROOT" -B "$MGW_BUILD/native" -DCMAKE_BUILD_TYPE=Debug "${mgw_launcher[@]}" \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$MGW_BUILD/native" -j"$(nproc)" "$@"
}

# Starts Xvfb on a free display when there is none, of the screen size given (1024x768
# unless told); sets MGW_XVFB_PID.
mgw_ensure_display() {
  MGW_XVFB_PID=
  local screen=${1:-1024x768}
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 140); do
    # A server that was killed leaves its lock and socket behind: only a living one holds $n.
    local owner=
    [ -f "/tmp/.X$n-lock" ] && owner=$(tr -dc 0-9 < "/tmp/.X$n-lock" 2>/dev/null || true)
    if [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; then
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
    fi
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
    MGW_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$MGW_XVFB_PID" 2>/dev/null || true
  done
  echo "no X display could be started" >&2
  return 1
}

# A persistent wineserver and one idle Wine program keep Wine's services warm, so
# each test process starts in a fraction of a second.
mgw_warm_wine() {
  wineserver -p 2>/dev/null || true
  wine wineboot >/dev/null 2>&1 || true
  wine "$MGW_BUILD/win/bin/idle.exe" >/dev/null 2>&1 &
  MGW_IDLE_PID=$!
  # The desktop process must be up before the tests run: started by a test program it
  # would inherit that program's output handles.
  local _
  for _ in $(seq 300); do
    grep -qa 'explorer.exe' /proc/[0-9]*/cmdline 2>/dev/null && grep -qa 'idle.exe' /proc/[0-9]*/cmdline 2>/dev/null && break
    sleep 0.1
  done
  sleep 0.5
}

mgw_cool_wine() {
  [ -n "${MGW_IDLE_PID:-}" ] && kill "$MGW_IDLE_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "${MGW_XVFB_PID:-}" ] && kill "$MGW_XVFB_PID" 2>/dev/null || true
  return 0
}
