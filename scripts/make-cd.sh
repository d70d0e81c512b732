#!/usr/bin/env bash
# make-cd.sh IMAGE PROGRAM [TOOLS]: the demo medium as the CD a player puts
# in: the medium with PROGRAM as its cdsetup.exe (which autorun.inf starts),
# written as an ISO 9660 image with Joliet names (what Windows shows) and
# Rock Ridge ones. TOOLS is the folder of make_demo_medium and make_cd_image
# (default: the release build's).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: make-cd.sh IMAGE PROGRAM [TOOLS]" >&2; exit 2; }
image=$1
program=$2
tools=${3:-$root/build/release/bin}
for f in "$program" "$tools/make_demo_medium" "$tools/make_cd_image"; do
  [ -e "$f" ] || { echo "make-cd.sh: $f is missing" >&2; exit 1; }
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/cdsetup-cd-XXXXXX")
trap 'rm -rf "$stage"' EXIT
"$tools/make_demo_medium" "$stage/medium" >/dev/null
cp "$program" "$stage/medium/cdsetup.exe"
mkdir -p "$(dirname "$image")"
"$tools/make_cd_image" "$stage/medium" "$image" --volume DEMO_LIGHTS >/dev/null
echo "make-cd.sh: $image ($(du -h "$image" | cut -f1)), cdsetup.exe from $program"
