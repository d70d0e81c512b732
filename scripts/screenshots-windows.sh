#!/usr/bin/env bash
# A demo installation through the Windows dialogs under Wine on a virtual X
# display: a picture of every page and message box, copied from the windows'
# own device contexts by the test that drives them, converted here to PNG
# files in build/screenshots-windows/. The texts are the Polish script's, on
# an English system (a US English locale made for the run): its letters come
# through though the system's code page is another. DPI (96 by default; 144,
# 192) is the screen's density, as Windows' display scaling sets it; the
# pictures then land in build/screenshots-windows-DPI/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
win=$root/build/windows/bin
linux=${CDSETUP_LINUX_BIN:-$root/build/ci/bin}
dpi=${DPI:-96}
out=$root/build/screenshots-windows
[ "$dpi" = 96 ] || out=$out-$dpi
for f in "$win/cdsetup.exe" "$win/cdsetup_tests.exe" "$linux/make_demo_medium" "$linux/make_cd_image"; do
  [ -e "$f" ] || { echo "screenshots-windows: $f is missing (make windows, make test)" >&2; exit 1; }
done
for tool in wine Xvfb convert; do
  command -v $tool >/dev/null || { echo "screenshots-windows: $tool is not installed (make deps-windows)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/cdsetup-screenshots-XXXXXX")
# shellcheck source=scripts/windows-prefix.sh
source "$root/scripts/windows-prefix.sh"
xvfb_pid=
cleanup() {
  WINEPREFIX=$wine_prefix wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 130" INT TERM

# A display of our own, on the first free number from 90.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
# A screen as large as a 1024 x 768 one at 96 dpi, in pixels of its density.
Xvfb ":$display" -screen 0 "$((1024 * dpi / 96))x$((768 * dpi / 96))x24" -nolisten tcp \
  >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=:$display
unset WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

echo "== Wine prefix on display $DISPLAY"
make_wine_prefix x11
in_wine wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
in_wine wineserver -w
mkdir -p "$work/shots"
shots=$(in_wine winepath -w "$work/shots")

echo "== a demo installation through the dialogs at $dpi dpi"
run_tests "$work/shots.log" 'Win32Install.WholeInstallationThroughTheWindows' \
  in_locale en_US env CDSETUP_SCREENSHOTS_DIR="$shots" || exit 1

rm -rf "$out" && mkdir -p "$out"
for f in "$work"/shots/*.bmp; do
  convert "$f" "$out/$(basename "${f%.bmp}").png"
done
ls "$out"
count=$(find "$out" -name '*.png' | wc -l)
[ "$count" -eq 12 ] || { echo "screenshots-windows: $count pictures, not 12" >&2; exit 1; }
