#!/usr/bin/env bash
# Installs the build and run tools on a Debian machine when they are missing:
# the MinGW-w64 i686 (product) and x86_64 (tests) cross compilers, Wine, Xvfb and the
# X tools the demo uses, and the native test libraries.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
have cmake || need+=(cmake)
have g++ || need+=(g++)
[ -d /usr/src/googletest ] || need+=(googletest)
pkg_ok libgtest-dev || need+=(libgtest-dev)
pkg_ok libgmock-dev || need+=(libgmock-dev)
pkg_ok libbenchmark-dev || need+=(libbenchmark-dev)
have Xvfb || need+=(xvfb)
have xdotool || need+=(xdotool)
have xwd || need+=(x11-apps)
have python3 || need+=(python3)
have wine || need+=(wine)
# 64-bit Wine runs the test programs; 32-bit Linux programs cannot run on every
# machine (some sandboxes lack the 32-bit system call layer), so wine32 is not needed.
pkg_ok wine64 || need+=(wine64)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
echo "installing: ${need[*]}"
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
