# Sourced by the scripts that run the Windows build under Wine: a prefix of
# their own in $wine_prefix, with the demo CD (scripts/make-cd.sh, the
# installer of $win on it) unpacked onto a CD drive D:, since Wine does not
# mount images. Needs $root, $work, $win and $linux set; defines in_wine,
# make_wine_prefix, in_locale and run_tests.

wine_prefix=$work/wine
medium=$work/medium
in_wine() { WINEPREFIX=$wine_prefix "$@"; }

# make_wine_prefix GRAPHICS: GRAPHICS is Wine's graphics driver, "null" for
# none (no display needed) or "x11".
make_wine_prefix() {
  in_wine wineboot -i >/dev/null 2>&1
  in_wine wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$1" /f >/dev/null
  local image=$work/$(basename "$wine_prefix").iso
  bash "$root/scripts/make-cd.sh" "$image" "$win/cdsetup.exe" "$linux" >/dev/null
  rm -rf "$medium"
  xorriso -osirrox on -indev "$image" -extract / "$medium" >/dev/null 2>&1 ||
    { echo "xorriso cannot unpack $image" >&2; return 1; }
  [ -f "$medium/autorun.inf" ] && [ -f "$medium/cdsetup.exe" ] ||
    { echo "$image lacks autorun.inf or cdsetup.exe" >&2; return 1; }
  ln -sfn "$medium" "$wine_prefix/dosdevices/d:"
  in_wine wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /t REG_SZ /d cdrom /f >/dev/null
  # Wine reads its drive types when its services start: let this server end.
  in_wine wineserver -w
}

# in_locale LANGUAGE COMMAND...: runs COMMAND under the UTF-8 locale of
# LANGUAGE (pl_PL, en_US), made for this run, so that Wine's code page is
# that locale's own (1250, 1252).
in_locale() {
  local language=$1 dir=$work/locale
  shift
  if [ ! -d "$dir/$language.UTF-8" ]; then
    mkdir -p "$dir"
    localedef -i "$language" -f UTF-8 "$dir/$language.UTF-8" >/dev/null 2>&1 || true
    [ -d "$dir/$language.UTF-8" ] || { echo "localedef cannot make $language.UTF-8 (the locales package)" >&2; return 1; }
  fi
  LOCPATH=$dir LANG=$language.UTF-8 LC_ALL=$language.UTF-8 "$@"
}

# run_tests LOG FILTER [ENV...]: the Windows test binary under Wine with a
# gtest filter; prints its summary, and fails on any failure or skip.
run_tests() {
  local log=$1 filter=$2 status=0
  shift 2
  "$@" env CDSETUP_TEST_CD_DRIVE=d: WINEPREFIX="$wine_prefix" \
    wine "$win/cdsetup_tests.exe" --gtest_filter="$filter" >"$log" 2>&1 || status=$?
  sed -n '/^\[==========\] .* ran\./,$p' "$log"
  if [ $status -ne 0 ] || grep -q '^\[  SKIPPED \]' "$log" || ! grep -q '^\[  PASSED  \]' "$log"; then
    grep -B2 -A8 'Failure\|^\[  FAILED  \]\|^\[  SKIPPED \]' "$log" | head -n 80 || tail -n 40 "$log"
    echo "the Windows tests failed (status $status)" >&2
    return 1
  fi
}
