#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the demo and the
# benchmarks need. Idempotent: does nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config make
  libogg-dev libvorbis-dev libspeex-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev qt6-base-dev
  libiso9660-dev libcdio-dev  # CD images and drives read without mounting them
  genisoimage  # the tests' and the demo's CD images, with Joliet and Rock Ridge names
  fonts-liberation2  # the windows' font: Arial's widths, every letter of the code pages (ą, ę, ł)
  fonts-dejavu-core  # its fallback
  qt6-translations-l10n  # the message boxes' buttons in the page's language
  clang clang-format clang-tidy  # clang-tidy brings run-clang-tidy, for make check
  python3  # scripts/check-layers, for make check
  dpkg-dev  # apt-get source: make fuzz builds the codecs with coverage instrumentation
  libc6 util-linux
  vorbis-tools speex valgrind  # oggdec and speexdec, and instruction counts, for make bench-audio
  time  # GNU time: the installer's peak memory in make bench-install
  locales  # the Polish and US English locales the Wine tests make for themselves with localedef
  wine wine64  # the tests that check what Wine reads of our registry files and links
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps.sh: missing packages; run as root, or:" >&2
  echo "apt-get install -y ${missing[*]}"
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
