#!/usr/bin/env bash
# Builds libogg, libvorbis and libspeex from Debian's source packages with
# libFuzzer's coverage instrumentation, as static libraries under
# build/fuzz-deps/prefix, which the fuzz preset links instead of the
# system's: Debian's packages carry no instrumentation, so without these the
# audio fuzzers get no feedback from inside the codecs and never leave their
# first branches. Only coverage is instrumented, not the address sanitizer:
# a fault inside Debian's codecs is not ours to mend, while our own code
# stays under both. Idempotent; each build is kept with the version it came
# from. Needs clang and dpkg-dev (scripts/deps.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps=${CDSETUP_FUZZ_DEPS_DIR:-$root/build/fuzz-deps}
prefix=$deps/prefix
jobs=${JOBS:-1}
# shellcheck source=scripts/debian-sources.sh
source "$root/scripts/debian-sources.sh"
mkdir -p "$prefix"

flags="-g -O1 -fsanitize=fuzzer-no-link -fno-omit-frame-pointer"
codecs=(libogg libvorbis speex)
need=0
for name in "${codecs[@]}"; do
  ls "$deps/stamps/$name-"* >/dev/null 2>&1 || need=1
done
update_source_lists $need

for name in "${codecs[@]}"; do
  version=$(source_version "$name")
  if [ -z "$version" ]; then
    if ls "$deps/stamps/$name-"* >/dev/null 2>&1; then continue; fi  # offline: keep it
    echo "deps-fuzz.sh: no source package $name in Debian's archive" >&2
    exit 1
  fi
  extra=()
  cflags=$flags
  case $name in
    libvorbis)
      cflags="$flags -ffast-math -D_REENTRANT"
      extra=(--disable-docs --disable-examples --disable-oggtest --with-ogg="$prefix")
      ;;
    speex) extra=(--disable-binaries) ;;
  esac
  stamp=$deps/stamps/$name-$version-$(echo "$cflags ${extra[*]}" | md5sum | cut -c1-8)
  [ -f "$stamp" ] && continue
  src=$(fetch_source "$name" "$version")
  build=$deps/build/$name-$version
  rm -rf "$build" && mkdir -p "$build"
  echo "deps-fuzz.sh: building $name $version with coverage instrumentation" >&2
  (cd "$build" &&
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH= CC=clang CFLAGS=$cflags \
      "$src/configure" --prefix="$prefix" --enable-static --disable-shared "${extra[@]}" \
      >configure.log 2>&1 || { tail -n 40 configure.log >&2; exit 1; }
    make -j"$jobs" >make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
    make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; })
  rm -f "$deps/stamps/$name-"*
  touch "$stamp"
done
