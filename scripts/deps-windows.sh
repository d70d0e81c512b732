#!/usr/bin/env bash
# Installs the cross compilers and Wine, and builds what the Windows programs
# link as static MinGW libraries: libogg, libvorbis and libspeex from Debian's
# source packages, GoogleTest from the sources Debian ships in /usr/src, and
# CLI11's headers from libcli11-dev. Every build is kept under
# build/windows-deps/ with the version it came from, so a second run does
# nothing. The deb-src entry lives in an apt configuration of its own: the
# system's sources are left as they are. Idempotent; run as root.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps=${CDSETUP_WINDOWS_DEPS_DIR:-$root/build/windows-deps}
prefix=$deps/mingw
host=x86_64-w64-mingw32
jobs=${JOBS:-1}
# shellcheck source=scripts/debian-sources.sh
source "$root/scripts/debian-sources.sh"

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev mingw-w64-tools
  wine wine64
  dpkg-dev  # apt-get source unpacks with dpkg-source
  passwd  # useradd: the re-install as an ordinary user
  googletest libcli11-dev
  cmake ninja-build make pkg-config file
  xvfb imagemagick  # make screenshots-windows: a display for Wine, BMP to PNG
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "deps-windows.sh: missing packages; run as root, or:" >&2
    echo "apt-get install -y ${missing[*]}"
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_retry apt-get update -qq
  apt_retry apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=120 "${missing[@]}"
fi

mkdir -p "$prefix"
# Configures, builds and installs an autotools package as a static library.
# The stamp names the version and the options, so that either changing
# builds the library again.
build_autotools() {
  local name=$1 version=$2 cflags=$3
  shift 3
  local recipe
  recipe=$(echo "$cflags $*" | md5sum | cut -c1-8)
  local stamp=$deps/stamps/$name-$version-$recipe
  [ -f "$stamp" ] && return 0
  local src
  src=$(fetch_source "$name" "$version")
  local build=$deps/build/$name-$version
  rm -rf "$build" && mkdir -p "$build"
  echo "deps-windows.sh: building $name $version" >&2
  (cd "$build" &&
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH= CFLAGS=$cflags \
      "$src/configure" --host=$host --prefix="$prefix" --enable-static --disable-shared \
      "$@" >configure.log 2>&1 || { tail -n 40 configure.log >&2; exit 1; }
    make -j"$jobs" >make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
    make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; })
  rm -f "$deps/stamps/$name-"*
  touch "$stamp"
}

codecs=(libogg libvorbis speex)
need_codecs=0
for name in "${codecs[@]}"; do
  if ! ls "$deps/stamps/$name-"* >/dev/null 2>&1; then need_codecs=1; fi
done
update_source_lists $need_codecs

for name in "${codecs[@]}"; do
  version=$(source_version "$name")
  if [ -z "$version" ]; then
    # No lists (offline): keep what was built before.
    if ls "$deps/stamps/$name-"* >/dev/null 2>&1; then continue; fi
    echo "deps-windows.sh: no source package $name in Debian's archive" >&2
    exit 1
  fi
  case $name in
    libogg) build_autotools "$name" "$version" "-g -O2" ;;
    # The flags Debian's own build of libvorbis ends with on Linux (its
    # configure's fast math, dpkg's -O2): the decoder's floating point then
    # gives the same samples as the Linux build's, to the last bit.
    libvorbis) build_autotools "$name" "$version" "-g -O2 -ffast-math -D_REENTRANT" \
      --disable-docs --disable-examples --disable-oggtest --with-ogg="$prefix" ;;
    speex) build_autotools "$name" "$version" "-g -O2" --disable-binaries ;;
  esac
done

# GoogleTest from the sources the googletest package installs.
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest_stamp=$deps/stamps/googletest-$gtest_version
if [ ! -f "$gtest_stamp" ]; then
  echo "deps-windows.sh: building googletest $gtest_version" >&2
  build=$deps/build/googletest-$gtest_version
  rm -rf "$build"
  cmake -S /usr/src/googletest -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCDSETUP_WINDOWS_DEPS="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >"$deps/gtest-configure.log"
  cmake --build "$build" -j "$jobs" >"$deps/gtest-build.log"
  cmake --install "$build" >/dev/null
  rm -f "$deps/stamps/googletest-"*
  touch "$gtest_stamp"
fi

# CLI11 is headers and a CMake package; a copy in the prefix, so the cross
# build never searches the host's /usr.
cli11_version=$(dpkg-query -W -f='${Version}' libcli11-dev)
cli11_stamp=$deps/stamps/cli11-$cli11_version
if [ ! -f "$cli11_stamp" ]; then
  rm -rf "$prefix/include/CLI" "$prefix/share/cmake/CLI11"
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -r /usr/include/CLI "$prefix/include/CLI"
  cfg=$(dirname "$(dpkg -L libcli11-dev | grep -m1 'CLI11Config.cmake$')")
  cp -r "$cfg" "$prefix/share/cmake/CLI11"
  rm -f "$deps/stamps/cli11-"*
  touch "$cli11_stamp"
fi
