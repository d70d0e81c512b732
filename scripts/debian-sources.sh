# Sourced by the scripts that build libraries from Debian's source packages
# (the Windows build's codecs, the fuzzers' instrumented ones): a private apt
# configuration under $deps/apt with only deb-src lines, so that the system's
# sources are left as they are, and the functions to fetch a package's
# sources once per version into $deps/src. Needs $deps set.

# dpkg's lock may be held for a moment by another install on this machine.
apt_retry() {
  local i
  for i in $(seq 1 60); do
    if "$@"; then return 0; fi
    echo "$(basename "$0"): apt busy or failed, retrying ($i)" >&2
    sleep 5
  done
  return 1
}

# The private apt configuration: only deb-src lines, lists and archives of
# its own.
apt_dir=$deps/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d" \
  "$deps/src" "$deps/stamps"
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
cat >"$apt_dir/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite-updates main
LIST
apt_private=(
  -o "Dir::Etc::sourcelist=$apt_dir/sources.list"
  -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache::Archives=$apt_dir/archives"
  -o "Dir::Cache::pkgcache=$apt_dir/pkgcache.bin"
  -o "Dir::Cache::srcpkgcache=$apt_dir/srcpkgcache.bin"
  -o "APT::Sandbox::User=root"
)
have_lists() {
  [ -n "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' 2>/dev/null)" ]
}

# The source version apt would fetch for a package.
source_version() {
  apt-cache "${apt_private[@]}" showsrc "$1" 2>/dev/null | awk '/^Version:/ { print $2; exit }'
}

# Fetches and unpacks a source package once per version; prints its folder.
fetch_source() {
  local name=$1 version=$2 dir=$deps/src/$name-$version
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$deps/src/work-$name"
    mkdir -p "$deps/src/work-$name"
    (cd "$deps/src/work-$name" && apt-get "${apt_private[@]}" source -qq "$name=$version" >&2)
    local unpacked
    unpacked=$(find "$deps/src/work-$name" -mindepth 1 -maxdepth 1 -type d | head -n1)
    mv "$unpacked" "$dir"
    rm -rf "$deps/src/work-$name"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}


# Fetches the archive's lists when `need` is 1 or none are there, so that a
# run with everything built needs no network.
update_source_lists() {
  if [ "$1" -eq 1 ] || ! have_lists; then
    apt_retry apt-get "${apt_private[@]}" update -qq
  fi
}
