# Sourced by the scripts that run the build's programs under Wine.

# wine_use ARCH PREFIX: the loader and prefix kind for a build (x86_64 runs under wine64 in a 64-bit prefix).
wine_use() {
  if [ "$1" = x86_64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  else
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  fi
  export WINEPREFIX=$2
}

# wine_make_prefix LOG: makes the prefix if it is new and gives it Wine's own fonts (MS Sans Serif
# among them), which Wine looks for in the prefix's font folder.
wine_make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot -i >"$1" 2>&1 || { cat "$1" >&2; return 1; }
  fi
  if [ -d /usr/share/wine/fonts ]; then cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"; fi
}

# A test session folder holds the architecture its build wrote into it.
if [ -n "${session:-}" ]; then wine_use "$(cat "$session/arch" 2>/dev/null || echo i686)" "$session/prefix"; fi

# Every Win32 file call under Wine is a round trip to the wineserver, and one that wakes the server on
# another CPU costs several times more: the commands that start our own Wine session keep it on one CPU.
# wine_one_cpu prints that CPU, the last one this process may run on (a container's list is respected),
# or nothing where QUENNEX_PIN=0 turns this off or taskset is missing.
wine_one_cpu() {
  [ "${QUENNEX_PIN:-1}" != 0 ] && command -v taskset >/dev/null || return 0
  local allowed
  allowed=$(awk '/^Cpus_allowed_list:/ { print $2 }' /proc/self/status)
  [ -n "$allowed" ] || return 0
  # "0-3,8,10-11": the last CPU is the last number.
  echo "${allowed##*[,-]}"
}

# wine_pin_session WHO: keeps this shell, everything it starts from now on and a wineserver that already
# serves WINEPREFIX on one CPU; says in one line what it did. WHO names the caller in that line.
wine_pin_session() {
  local who=$1 cpu server_dir pid
  cpu=$(wine_one_cpu)
  if [ -z "$cpu" ]; then
    if [ "${QUENNEX_PIN:-1}" = 0 ]; then echo "$who: Wine runs on every CPU (QUENNEX_PIN=0)"
    else echo "$who: taskset is missing, so Wine runs on every CPU (slower)"; fi
    return 0
  fi
  if ! taskset -p -c "$cpu" $$ >/dev/null 2>&1; then
    echo "$who: could not keep Wine on CPU $cpu, so it runs on every CPU (slower)"
    return 0
  fi
  # A server started before, unpinned, would keep serving this session from any CPU.
  if [ -d "$WINEPREFIX" ]; then
    server_dir=server-$(stat -c '%d %i' "$WINEPREFIX" | awk '{ printf "%x-%x", $1, $2 }')
    for pid in $(pgrep wineserver); do
      if [ "$(basename "$(readlink "/proc/$pid/cwd")")" = "$server_dir" ] && ! taskset -a -p -c "$cpu" "$pid" >/dev/null 2>&1; then
        echo "$who: a wineserver already runs for $WINEPREFIX and could not be moved to CPU $cpu; the pinning is void until it ends"
        return 0
      fi
    done
  fi
  echo "$who: Wine runs on CPU $cpu (QUENNEX_PIN=0 lets it use every CPU)"
}
