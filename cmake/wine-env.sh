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
