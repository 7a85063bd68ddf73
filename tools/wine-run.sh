#!/usr/bin/env bash
# Runs one Windows program under Wine in a throw-away prefix and passes its
# exit code on. The prefix is a copy of a template made once per machine
# (wineboot takes about ten seconds, a copy under one), so every run starts
# from the same clean registry and file system and never touches a user's.
#
#   tools/wine-run.sh program.exe [arguments...]
#
# Environment: LINTRA_WINE_TEMPLATE (template prefix, default build/wine-template),
# LINTRA_KEEP_PREFIX=1 keeps the run's prefix and prints where it is.
# Without DISPLAY an Xvfb server is started for the run and stopped after it.
# A GTEST_OUTPUT=xml:/unix/path is handed to the program as a Z: path.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/xvfb.sh"
template=${LINTRA_WINE_TEMPLATE:-$root/build/wine-template}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=$(command -v wine)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

mkdir -p "$(dirname "$template")"
(
  flock 9
  if [ ! -f "$template/.ready-2" ]; then
    rm -rf "$template"
    WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1
    # Unmanaged windows: without a window manager Wine otherwise waits two
    # seconds each time it hides or destroys a managed window.
    WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$template "$wineserver" -w
    touch "$template/.ready-2"
  fi
) 9>"$template.lock"

work=$(mktemp -d "${TMPDIR:-/tmp}/lintra-wine.XXXXXX")
cp -a "$template" "$work/prefix"
rm -f "$work/prefix"/.ready*
export WINEPREFIX=$work/prefix

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb "$work" 1280x1024x24
fi

case "${GTEST_OUTPUT:-}" in
  xml:/*) export GTEST_OUTPUT="xml:Z:$(echo "${GTEST_OUTPUT#xml:}" | tr / '\\')" ;;
esac

"$wine" "$@"
rc=$?

"$wineserver" -k 2>/dev/null
"$wineserver" -w 2>/dev/null
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
if [ "${LINTRA_KEEP_PREFIX:-0}" = 1 ]; then
  echo "wine-run: prefix kept at $work/prefix" >&2
else
  rm -rf "$work"
fi
exit $rc
