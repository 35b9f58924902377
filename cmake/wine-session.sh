#!/usr/bin/env bash
# Starts or stops the test session: a private Xvfb display, a Wine prefix of the build's kind and one
# persistent wineserver, all kept under SESSION_DIR.
# Usage: wine-session.sh start|stop SESSION_DIR
set -u
action=$1 session=$2
source "$(dirname "$0")/wine-env.sh"
export WINEDEBUG=-all

start() {
  mkdir -p "$session"
  stop_quietly
  # A private display; Xvfb picks a free number and writes it to the fd.
  exec 3>"$session/display.num"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$session/xvfb.log" 2>&1 &
  echo $! >"$session/xvfb.pid"
  exec 3>&-
  for _ in $(seq 50); do [ -s "$session/display.num" ] && break; sleep 0.1; done
  [ -s "$session/display.num" ] || { echo "Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
  echo ":$(head -n 1 "$session/display.num")" >"$session/display"
  export DISPLAY=$(cat "$session/display")
  local new=0
  [ -f "$session/prefix/system.reg" ] || new=1
  wine_make_prefix "$session/wineboot.log" || exit 1
  if [ $new = 1 ]; then
    # No window manager runs on the test display: unmanaged windows show and hide without waiting for one.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$session/wineboot.log" 2>&1
    # A crashing test program ends with a backtrace on its output instead of waiting in a dialog.
    "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$session/wineboot.log" 2>&1
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  # Start Wine's services now, detached from ctest: started later by a test program, they would
  # inherit its output pipe and keep ctest waiting until the session stops.
  "$WINELOADER" wineboot </dev/null >>"$session/wineboot.log" 2>&1
  echo "wine session on $DISPLAY, prefix $WINEPREFIX"
}

stop_quietly() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$session/xvfb.pid" ]; then kill "$(cat "$session/xvfb.pid")" >/dev/null 2>&1 || true; rm -f "$session/xvfb.pid"; fi
  rm -f "$session/display" "$session/display.num"
}

case $action in
  start) start ;;
  stop) stop_quietly; echo "wine session stopped" ;;
  *) echo "usage: $0 start|stop SESSION_DIR" >&2; exit 2 ;;
esac
