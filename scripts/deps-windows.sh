#!/usr/bin/env bash
# Installs the cross compilers for both targets (x86_64 and i686) and Wine,
# and builds what the Windows programs link as static
# MinGW libraries, once per target: libogg, libvorbis and libspeex from
# Debian's source packages, GoogleTest from the sources Debian ships in
# /usr/src, and CLI11's headers from libcli11-dev. Every build is kept under
# build/windows-deps/ with the version it came from (mingw/ for x86_64,
# mingw-i686/ for i686), so a second run does nothing. The deb-src entry lives
# in an apt configuration of its own: the system's sources are left as they
# are. Idempotent; run as root.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps=${CDSETUP_WINDOWS_DEPS_DIR:-$root/build/windows-deps}
jobs=${JOBS:-1}
# shellcheck source=scripts/debian-sources.sh
source "$root/scripts/debian-sources.sh"

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev mingw-w64-tools
  wine wine64
  dpkg-dev  # apt-get source unpacks with dpkg-source
  passwd  # useradd: the re-install as an ordinary user
  googletest libcli11-dev
  cmake ninja-build make pkg-config file
  xvfb imagemagick  # make screenshots-windows: a display for Wine, BMP to PNG
  xorriso  # unpacks the demo CD's image onto Wine's CD drive
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

# Configures, builds and installs an autotools package as a static library for
# the target in $host. The stamp names the version and the options, so that
# either changing builds the library again.
build_autotools() {
  local name=$1 version=$2 cflags=$3
  shift 3
  local recipe
  recipe=$(echo "$cflags $*" | md5sum | cut -c1-8)
  local stamp=$stamps/$name-$version-$recipe
  [ -f "$stamp" ] && return 0
  local src
  src=$(fetch_source "$name" "$version")
  local build=$builds/$name-$version
  rm -rf "$build" && mkdir -p "$build"
  echo "deps-windows.sh: building $name $version for $host" >&2
  (cd "$build" &&
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH= CFLAGS=$cflags \
      "$src/configure" --host=$host --prefix="$prefix" --enable-static --disable-shared \
      "$@" >configure.log 2>&1 || { tail -n 40 configure.log >&2; exit 1; }
    make -j"$jobs" >make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
    make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; })
  rm -f "$stamps/$name-"*
  touch "$stamp"
}

codecs=(libogg libvorbis speex)
need_codecs=0
for suffix in "" -i686; do
  for name in "${codecs[@]}"; do
    if ! ls "$deps/stamps$suffix/$name-"* >/dev/null 2>&1; then need_codecs=1; fi
  done
done
update_source_lists $need_codecs

# build_target ARCH SUFFIX EXTRA_CFLAGS: every library for one target, into
# $deps/mingw$SUFFIX.
build_target() {
  local arch=$1 suffix=$2 extra=$3
  host=$arch-w64-mingw32
  prefix=$deps/mingw$suffix
  stamps=$deps/stamps$suffix
  builds=$deps/build$suffix
  mkdir -p "$prefix" "$stamps" "$builds"

  local name version
  for name in "${codecs[@]}"; do
    version=$(source_version "$name")
    if [ -z "$version" ]; then
      # No lists (offline): keep what was built before.
      if ls "$stamps/$name-"* >/dev/null 2>&1; then continue; fi
      echo "deps-windows.sh: no source package $name in Debian's archive" >&2
      exit 1
    fi
    case $name in
      libogg) build_autotools "$name" "$version" "-g -O2$extra" ;;
      # The flags Debian's own build of libvorbis ends with on Linux (its
      # configure's fast math, dpkg's -O2): the decoder's floating point then
      # gives the same samples as the Linux build's, to the last bit.
      libvorbis) build_autotools "$name" "$version" "-g -O2 -ffast-math -D_REENTRANT$extra" \
        --disable-docs --disable-examples --disable-oggtest --with-ogg="$prefix" ;;
      speex) build_autotools "$name" "$version" "-g -O2$extra" --disable-binaries ;;
    esac
  done

  # GoogleTest from the sources the googletest package installs.
  local gtest_version gtest_stamp build
  gtest_version=$(dpkg-query -W -f='${Version}' googletest)
  gtest_stamp=$stamps/googletest-$gtest_version
  if [ ! -f "$gtest_stamp" ]; then
    echo "deps-windows.sh: building googletest $gtest_version for $host" >&2
    build=$builds/googletest-$gtest_version
    rm -rf "$build"
    cmake -S /usr/src/googletest -B "$build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
      -DCDSETUP_WINDOWS_DEPS="$prefix" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF \
      >"$builds/gtest-configure.log"
    cmake --build "$build" -j "$jobs" >"$builds/gtest-build.log"
    cmake --install "$build" >/dev/null
    rm -f "$stamps/googletest-"*
    touch "$gtest_stamp"
  fi

  # CLI11 is headers and a CMake package; a copy in the prefix, so the cross
  # build never searches the host's /usr.
  local cli11_version cli11_stamp cfg
  cli11_version=$(dpkg-query -W -f='${Version}' libcli11-dev)
  cli11_stamp=$stamps/cli11-$cli11_version
  if [ ! -f "$cli11_stamp" ]; then
    rm -rf "$prefix/include/CLI" "$prefix/share/cmake/CLI11"
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    cp -r /usr/include/CLI "$prefix/include/CLI"
    cfg=$(dirname "$(dpkg -L libcli11-dev | grep -m1 'CLI11Config.cmake$')")
    cp -r "$cfg" "$prefix/share/cmake/CLI11"
    rm -f "$stamps/cli11-"*
    touch "$cli11_stamp"
  fi
}

build_target x86_64 "" ""
# SSE2 arithmetic as on x86_64, so the decoders round alike (see the
# toolchain file); Windows' callbacks align the stack to 4 bytes only.
build_target i686 -i686 " -msse2 -mfpmath=sse -mstackrealign"
