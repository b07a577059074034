# Sourced by scripts/build, test, demo, pictures, bench and the emulated PC
# (x86pc, x86pc-guest): a Wine session (prefix, wineserver, private Xvfb
# display) in which Windows programs run.
#
# session_start DIR [win32|win64]
#                  creates a prefix in DIR once (no Mono/Gecko prompts): a
#                  32-bit Windows in DIR/wineprefix, or a 64-bit one in
#                  DIR/wineprefix64, where the 32-bit program runs under WoW64
#                  with its HKLM\SOFTWARE in Wow6432Node; by default the first
#                  of VEL_WINDOWS_ARCHS (below). Starts a private
#                  Xvfb display and the prefix's wineserver, and exports
#                  WINEPREFIX, WINEARCH, DISPLAY.
# session_stop     stops both. Every background process writes to files in DIR.
#
# A machine whose kernel runs no 32-bit x86 code (IA-32 emulation off) cannot
# start 32-bit Wine at all, nor the 32-bit program. There the prefix is always
# a 64-bit one run by the 64-bit loader, and the Windows programs come from the
# 64-bit build. VEL_WINDOWS_BUILD names the build directory to use, and
# VEL_WINDOWS_ARCHS the prefixes its tests run in, the default first.

# 0 when this machine runs 32-bit x86 programs (32-bit Wine's loader among
# them). VEL_NO_32BIT=1 makes a machine that does behave as one that does not,
# to try that path where it cannot be had otherwise.
session_runs_32bit() {
  [ -z "${VEL_NO_32BIT:-}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null
}
if session_runs_32bit; then
  VEL_WINDOWS_BUILD=build/windows VEL_WINDOWS_ARCHS="win32 win64"
else
  VEL_WINDOWS_BUILD=build/windows64 VEL_WINDOWS_ARCHS=win64
fi

# session_say_build TEXT: prints TEXT where the programs are not the shipped
# 32-bit build's.
session_say_build() { [ "$VEL_WINDOWS_BUILD" = build/windows ] || echo "$1"; }

# session_prefix DIR ARCH: the prefix that session_start makes in DIR for ARCH.
session_prefix() { if [ "$2" = win64 ]; then echo "$1/wineprefix64"; else echo "$1/wineprefix"; fi; }

session_start() {
  local dir arch=${2:-${VEL_WINDOWS_ARCHS%% *}}
  dir=$(cd "$1" && pwd)
  if ! session_runs_32bit; then
    # Debian's "wine" starts the 32-bit loader whenever it is installed; here
    # every Wine command goes to the 64-bit one.
    mkdir -p "$dir/wine64-bin"
    local shim
    for shim in wine wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$dir/wine64-bin/$shim"
      chmod +x "$dir/wine64-bin/$shim"
    done
    case ":$PATH:" in *":$dir/wine64-bin:"*) ;; *) export PATH="$dir/wine64-bin:$PATH" ;; esac
    export WINELOADER=/usr/lib/wine/wine64
  fi
  export WINEARCH=$arch WINEDEBUG=-all WINEPREFIX
  WINEPREFIX=$(session_prefix "$dir" "$arch")
  # ";" separates entries: after "=" a comma would belong to the value.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe="

  local fdfile="$dir/xvfb.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fdfile" >"$dir/xvfb.log" 2>&1 </dev/null &
  SESSION_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "wine-session: Xvfb did not start (see $dir/xvfb.log)" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$fdfile")"

  local boot=""
  [ -f "$WINEPREFIX/system.reg" ] || boot=-i
  if ! wineboot $boot >"$dir/wineboot.log" 2>&1 </dev/null; then
    echo "wine-session: wineboot failed (see $dir/wineboot.log)" >&2
    return 1
  fi
}

session_stop() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  if [ -n "${SESSION_XVFB_PID:-}" ]; then
    kill "$SESSION_XVFB_PID" 2>/dev/null || true
    wait "$SESSION_XVFB_PID" 2>/dev/null || true
    SESSION_XVFB_PID=""
  fi
}
