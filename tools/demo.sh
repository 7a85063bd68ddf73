#!/usr/bin/env bash
# make demo: runs Lintra Config in a Wine prefix of its own under .demo/, with
# a synthetic STEP 5 driver file and a simulated Lintra adapter with two ports
# (COM5 and COM6 on FTDIBUS). The Makefile has installed the tools and built
# the executables before this runs.
#
# With $DISPLAY the tool opens there and the demo ends when the tool does
# (a restart after a change of language included). Without it, the tool runs
# under an Xvfb server of its own, a screenshot of the main dialog is saved and
# the demo ends by itself.
#
# Environment:
#   LINTRA_DEMO_LANGUAGE=1031|1033  store this language first, so that the main
#                                   dialog opens in it at once (German, English).
#                                   Without DISPLAY it defaults to 1033; with
#                                   DISPLAY and unset, the first-start language
#                                   choice shows.
#   LINTRA_DEMO_SCREENSHOT=file.png where the screenshot goes
#                                   (default .demo/screenshot.png; no DISPLAY only)
#   LINTRA_DEMO_EXE=path.exe        run this build instead of the one chosen above
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/xvfb.sh"
demo=$root/.demo
mkdir -p "$demo"

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine32=/usr/lib/wine/wine
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

# The product is the 32-bit build; where 32-bit programs cannot run (some
# sandboxes lack the 32-bit system call layer), the x86_64 build of the same
# sources stands in, in a 64-bit prefix.
if [ -x "$wine32" ] && "$wine32" --version >/dev/null 2>&1; then
  arch=win32 wine=$wine32 exe=${LINTRA_DEMO_EXE:-$root/dist/LintraConfig.exe}
else
  arch=win64 wine=$wine64 exe=${LINTRA_DEMO_EXE:-$root/build/mingw64/app/LintraConfig.exe}
  echo "demo: 32-bit programs cannot run here; using a 64-bit Wine prefix and the x86_64 build $exe"
fi
[ -f "$exe" ] || { echo "demo: $exe is missing (make build-mingw build-mingw64)" >&2; exit 1; }

export WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX=$demo/prefix-$arch

if [ ! -f "$WINEPREFIX/.ready" ]; then
  echo "demo: creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  template=$root/build/wine-template
  if [ "$arch" = win64 ] && [ -f "$template/.ready" ]; then
    cp -a "$template" "$WINEPREFIX"
    rm -f "$WINEPREFIX/.ready"
  else
    "$wine" wineboot -i >/dev/null 2>&1
    "$wineserver" -w
  fi
  touch "$WINEPREFIX/.ready"
fi

language=${LINTRA_DEMO_LANGUAGE:-}
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  language=${language:-1033}
fi
case "$language" in
  "" | 1031 | 1033) ;;
  *) echo "demo: LINTRA_DEMO_LANGUAGE must be 1031 (German) or 1033 (English)" >&2; exit 1 ;;
esac

xvfb_pid=
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ "$headless" = 1 ]; then
  start_xvfb "$demo" 1024x768x24
fi

# HARDWARE\DEVICEMAP\SERIALCOMM is volatile: it lives as long as the
# wineserver, so one stays up from the seeding to the end of the demo.
"$wineserver" -p

# A fresh, unpatched driver file and no backup copy, so that every demo shows
# the first run on a machine.
drivers=$WINEPREFIX/drive_c/windows/system32/drivers
mkdir -p "$drivers"
rm -f "$drivers/S5AS511.bak" "$drivers/S5AS511.org"
python3 "$root/tools/make-driver-image.py" "$drivers/S5AS511.sys"

# The adapter's two ports on FTDIBUS and in the serial-port map, the demo's
# settings, and, without a window manager, frames and captions drawn by Wine.
if [ -n "$language" ]; then
  language_value=$(printf 'dword:%08x' "$language")
else
  language_value=-
fi
if [ "$headless" = 1 ]; then managed_value='"N"'; else managed_value=-; fi
{
  cat <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6010+LT4711A\0000]
"FriendlyName"="USB Serial Port (COM5)"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6010+LT4711A\0000\Device Parameters]
"PortName"="COM5"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6010+LT4711B\0000]
"FriendlyName"="USB Serial Port (COM6)"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6010+LT4711B\0000\Device Parameters]
"PortName"="COM6"

[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM]
"\\Device\\VCP0"="COM5"
"\\Device\\VCP1"="COM6"

[HKEY_CURRENT_USER\Software\Velkor Sandrel GmbH\VelkorusbConfig]
"WindowPlacement"=-
EOF
  printf '"LanguageID"=%s\n\n' "$language_value"
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"=%s\n' "$managed_value"
} | sed 's/$/\r/' >"$demo/seed.reg"
"$wine" regedit /S "Z:${demo//\//\\}\\seed.reg"

# The ids of our windows: main dialog, message boxes and the language dialog
# all have a title that begins with " Velkor Lintra".
our_windows() { xdotool search --onlyvisible --name '^ Velkor Lintra' 2>/dev/null || true; }

if [ "$headless" = 0 ]; then
  echo "demo: starting $exe on $DISPLAY"
  "$wine" "$exe" || true
  # A change of language ends this instance and starts a new one: wait until
  # none of the tool's windows has been open for a few seconds.
  quiet=0
  while [ "$quiet" -lt 3 ]; do
    if [ -n "$(our_windows)" ]; then quiet=0; else quiet=$((quiet + 1)); fi
    sleep 1
  done
  exit 0
fi

shot=${LINTRA_DEMO_SCREENSHOT:-$demo/screenshot.png}
"$wine" "$exe" &
tool_pid=$!
window=
for _ in $(seq 60); do
  window=$(our_windows | head -n1)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "demo: the tool's window did not appear" >&2; exit 1; }
# Give the start-up checks time to fill the lists (or to show their message).
# Then pick the next entry of COM 1, which has the focus, as a user would with
# the arrow key, so that the picture shows an adapter port being assigned;
# nothing is written, because OK is never pressed.
sleep 4
xdotool key --clearmodifiers Down 2>/dev/null || true
sleep 1
# The largest of our windows is the main dialog.
best='' best_area=0
for w in $(our_windows); do
  eval "$(xdotool getwindowgeometry --shell "$w")"
  if [ $((WIDTH * HEIGHT)) -gt "$best_area" ]; then
    best_area=$((WIDTH * HEIGHT)) best="$X $Y $WIDTH $HEIGHT"
  fi
done
xwd -root -silent -display "$DISPLAY" >"$demo/screen.xwd"
mkdir -p "$(dirname "$shot")"
# shellcheck disable=SC2086  # the four numbers of the rectangle
python3 "$root/tools/xwd-to-png.py" "$demo/screen.xwd" "$shot" $best
rm -f "$demo/screen.xwd"
echo "demo: screenshot saved to $shot"
kill "$tool_pid" 2>/dev/null || true
