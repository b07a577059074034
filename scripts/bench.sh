# Sourced by scripts/test and scripts/demo: the bench of real Win32 under Wine.
# bench_start DIR  creates DIR/wineprefix once (32-bit Windows, no Mono/Gecko
#                  prompts), starts a private Xvfb display and the prefix's
#                  wineserver, and exports WINEPREFIX, WINEARCH, DISPLAY.
# bench_stop       stops both. Every background process writes to files in DIR.

bench_start() {
  local dir
  dir=$(cd "$1" && pwd)
  export WINEPREFIX="$dir/wineprefix" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe="

  local fdfile="$dir/xvfb.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fdfile" >"$dir/xvfb.log" 2>&1 </dev/null &
  BENCH_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '\n' <"$fdfile")"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$dir/wineboot.log" 2>&1 </dev/null
  else
    wineboot >"$dir/wineboot.log" 2>&1 </dev/null
  fi
}

bench_stop() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  if [ -n "${BENCH_XVFB_PID:-}" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null || true
    wait "$BENCH_XVFB_PID" 2>/dev/null || true
  fi
}
