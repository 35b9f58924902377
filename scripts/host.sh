# Sourced by the commands: chooses the build they use and where it lives.
#   QUENNEX_ARCH=x86_64  the 64-bit build, run under wine64 (the only one a host without 32-bit code can run)
#   QUENNEX_ARCH=i686    the 32-bit build, the one setup installs (the default where the host runs 32-bit code)
# Sets quennex_arch, quennex_build (QUENNEX_BUILD or build/, build-x86_64/) and quennex_deps_cache.

# A 96-byte i386 Linux program that exits with status 42; hosts that run 64-bit user code only refuse it.
host_runs_32bit_code() {
  local probe status=0
  probe=$(mktemp "${quennex_root:-${TMPDIR:-/tmp}}/.i386-probe.XXXXXX")  # not /tmp, which may be noexec
  echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhgAAAAYAAAAAUAAAAAEAAAuAEAAAC7KgAAAM2A' |
    base64 -d >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

quennex_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
quennex_arch_chosen=0  # 1 when QUENNEX_ARCH was asked for, 0 when chosen here
if [ -z "${QUENNEX_ARCH:-}" ]; then
  if host_runs_32bit_code; then QUENNEX_ARCH=i686; else QUENNEX_ARCH=x86_64; fi
else
  quennex_arch_chosen=1
fi
case $QUENNEX_ARCH in
  i686)
    if ! host_runs_32bit_code; then
      echo "this host runs no 32-bit code; use QUENNEX_ARCH=x86_64 (or leave it unset)" >&2
      exit 1
    fi
    quennex_build=${QUENNEX_BUILD:-$quennex_root/build} ;;
  x86_64) quennex_build=${QUENNEX_BUILD:-$quennex_root/build-x86_64} ;;
  *) echo "QUENNEX_ARCH is i686 or x86_64, not '$QUENNEX_ARCH'" >&2; exit 1 ;;
esac
export QUENNEX_ARCH
quennex_arch=$QUENNEX_ARCH
quennex_deps_cache=${QUENNEX_DEPS_CACHE:-$HOME/.cache/quennex-deps}

# Installs what is missing, cross-builds the dependencies and configures the build folder. Where Wine's
# 32-bit part cannot be installed and no build was asked for, goes on with the x86-64 build.
quennex_prepare_build() {
  local status=0
  bash "$quennex_root/scripts/bootstrap.sh" "$quennex_arch" || status=$?
  if [ $status = 3 ] && [ $quennex_arch_chosen = 0 ]; then
    echo "Wine's 32-bit part cannot be installed now, so this run uses the x86-64 build; the next run tries again (QUENNEX_ARCH=i686 insists on the 32-bit build)" >&2
    QUENNEX_ARCH=x86_64 quennex_arch=x86_64 quennex_build=${QUENNEX_BUILD:-$quennex_root/build-x86_64}
  elif [ $status != 0 ]; then
    return 1
  fi
  bash "$quennex_root/scripts/build-deps.sh" "$quennex_deps_cache" "$quennex_arch"
  cmake -S "$quennex_root" -B "$quennex_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$quennex_root/cmake/toolchain-mingw32.cmake" \
    -DQUENNEX_ARCH="$quennex_arch" -DQUENNEX_DEPS="$quennex_deps_cache/$quennex_arch" >/dev/null
}
