# Sourced by scripts/test and scripts/demo: the bench of real Win32 under Wine.
# bench_start DIR [win32|win64]
#                  creates a prefix in DIR once (no Mono/Gecko prompts): a
#                  32-bit Windows in DIR/wineprefix (the default), or a 64-bit
#                  one in DIR/wineprefix64, where the 32-bit program runs under
#                  WoW64 with its HKLM\SOFTWARE in Wow6432Node. Starts a private
#                  Xvfb display and the prefix's wineserver, and exports
#                  WINEPREFIX, WINEARCH, DISPLAY.
# bench_stop       stops both. Every background process writes to files in DIR.

bench_start() {
  local dir arch=${2:-win32}
  dir=$(cd "$1" && pwd)
  export WINEARCH=$arch WINEDEBUG=-all
  if [ "$arch" = win64 ]; then
    export WINEPREFIX="$dir/wineprefix64"
  else
    export WINEPREFIX="$dir/wineprefix"
  fi
  # ";" separates entries: after "=" a comma would belong to the value.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe="

  local fdfile="$dir/xvfb.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fdfile" >"$dir/xvfb.log" 2>&1 </dev/null &
  BENCH_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "bench: Xvfb did not start (see $dir/xvfb.log)" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$fdfile")"

  local boot=""
  [ -f "$WINEPREFIX/system.reg" ] || boot=-i
  if ! wineboot $boot >"$dir/wineboot.log" 2>&1 </dev/null; then
    echo "bench: wineboot failed (see $dir/wineboot.log)" >&2
    return 1
  fi
}

bench_stop() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  if [ -n "${BENCH_XVFB_PID:-}" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null || true
    wait "$BENCH_XVFB_PID" 2>/dev/null || true
    BENCH_XVFB_PID=""
  fi
}
