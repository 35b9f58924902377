#!/bin/sh
# Reads the shortcut a test install left in $1 (base/ and programs/ below it) with lnkinfo and checks
# its target, working folder, description and that its arguments are empty.
set -u
dir=$1
link="$dir/programs/VellmarkTools/Quennick-Extractor.lnk"
[ -f "$link" ] || { echo "no shortcut at $link"; exit 1; }
info=$(lnkinfo "$link") || { echo "lnkinfo failed"; exit 1; }
printf '%s\n' "$info" | sed -n '1,/^Link target identifier/p'
# The install folder as the Windows side saw it: Z: and backslashes.
program="Z:$(printf '%s' "$dir/base/VellmarkTools/QuennickEx" | tr '/' '\\')"
field() { printf '%s\n' "$info" | sed -n "s/^[[:space:]]*$1[[:space:]]*:[[:space:]]*//p" | head -n 1; }
status=0
check() { # name expected actual
  if [ "$3" = "$2" ]; then
    printf 'ok %s\n' "$1"
  else
    printf 'FAIL %s: expected [%s], got [%s]\n' "$1" "$2" "$3"
    status=1
  fi
}
check "local path" "$program\\quennex.exe" "$(field 'Local path')"
check "working directory" "$program" "$(field 'Working directory')"
check "description" "Extract File_ID.diz Files from Archives" "$(field 'Description')"
check "arguments" "" "$(field 'Command line arguments')"
exit $status
