#!/usr/bin/env bash
# Builds the demo medium, checks it, and installs it into a prefix under
# build/demo, then shows what the installation wrote. Interactive on a terminal (in windows
# when a display is there, else on the console); otherwise the installer
# answers for itself (--silent). With DEMO_FROM=iso the medium is an ISO
# image of it, which the installer reads without mounting it.
set -euo pipefail
bin=build/release/bin
demo=build/demo
rm -rf "$demo/medium"
mkdir -p "$demo"
"$bin/make_demo_medium" "$demo/medium"
medium="$demo/medium"
prefix="$demo/prefix"
if [ "${DEMO_FROM:-folder}" = iso ]; then
  "$bin/make_cd_image" "$demo/medium" "$demo/demo.iso" --volume DEMO
  echo "== the demo medium as an ISO image: $demo/demo.iso"
  medium="$demo/demo.iso"
  prefix="$demo/prefix-iso"
fi
# The medium is checked first, as a publisher checks a CD before pressing it.
echo "== cdsetup --check on the demo medium"
check=0
"$bin/cdsetup" --check --medium "$medium" || check=$?
if [ "$check" -ne 0 ]; then
  echo "== the demo medium does not check clean (status $check)"
  exit "$check"
fi
echo
log="$demo/install.log"
: > "$log"
export CDSETUP_DEMO_RECORD="$PWD/$demo/programs-run.txt"
rm -f "$CDSETUP_DEMO_RECORD"
args=(--medium "$medium" --prefix "$prefix" --log "$log")
if [ -t 0 ] && [ -t 1 ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "Starting the installer in its windows."
  else
    echo "Starting the installer on the console (q cancels a page)."
  fi
else
  args+=(--silent --accept-licence --type max)
fi
status=0
"$bin/cdsetup" "${args[@]}" || status=$?
echo
echo "== cdsetup ended with status $status"
target=$(sed -n 's/^created //p; s/^script copied to \(.*\)\\install.ini$/\1/p' "$log" | tail -n 1)
[ -n "$target" ] && echo "Installed into: $target (under $prefix/drive_c)"
echo "Registry values written:"
grep '^registry: ' "$log" | sed 's/^registry: /  /' || echo "  (none)"
echo "Links made:"
grep '^link ' "$log" | sed 's/^link /  /' || echo "  (none)"
[ -f "$CDSETUP_DEMO_RECORD" ] && { echo "Programs run:"; sed 's/^/  /' "$CDSETUP_DEMO_RECORD"; }
echo "The whole log: $log"
exit "$status"
