#!/usr/bin/env bash
# The Windows builds under Wine, each in a prefix of its own made for this run
# and removed after it. First the programs' headers and resources as Windows
# reads them (both builds: a GUI program with its manifest, version and icon,
# PE32 for i686 and PE32+ for x86_64). Then, per build, the test binary (its
# summary printed; any failure or skip fails the run) and the end-to-end
# check: the demo medium is shown to Wine as a CD drive, cdsetup.exe installs
# it silently, and the result is held to what the Linux build installs from
# the same medium into a prefix: the same files with the same bytes, the same
# registry values as Wine reads them, and links that Wine resolves to the
# same targets and working directories.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
declare -A bin_of=([x86_64]=$root/build/windows/bin [i686]=$root/build/windows-i686/bin)
linux=${CDSETUP_LINUX_BIN:-$root/build/ci/bin}
for f in "${bin_of[x86_64]}"/{cdsetup,cdsetup_tests,link_fields}.exe \
  "${bin_of[i686]}"/{cdsetup,cdsetup_tests,link_fields}.exe \
  "$linux"/{cdsetup,make_demo_medium,make_cd_image}; do
  [ -e "$f" ] || { echo "test-windows: $f is missing (make windows, make test)" >&2; exit 1; }
done
command -v wine >/dev/null || { echo "test-windows: wine is not installed" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/cdsetup-windows-XXXXXX")
linux_prefix=$work/linux
linux_log=$work/linux-install.log
# shellcheck source=scripts/windows-prefix.sh
source "$root/scripts/windows-prefix.sh"
cleanup() {
  local p
  for p in "$work"/wine-* "$linux_prefix"; do
    [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true
  done
  if [ -d "$work/user/prefix" ]; then
    runuser -u cdsetup-tester -- env WINEPREFIX="$work/user/prefix" wineserver -k 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 130" INT TERM

unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

# check_program EXE MAGIC: the headers and resource types Windows reads
# before it starts the program: the GUI subsystem (no console window), the
# word size, and the icon group (14), version (16) and manifest (24), with
# the manifest's elevation, themed controls and DPI awareness.
check_program() {
  local exe=$1 magic=$2 headers resources
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  resources=$(sed -n '/Resource Directory section/,$p' <<<"$headers")
  local problems=()
  grep -q "^Magic.*($magic)" <<<"$headers" || problems+=("not $magic")
  grep -q "^Subsystem.*(Windows GUI)" <<<"$headers" || problems+=("not a GUI program")
  local type
  for type in 00000e 000010 000018; do
    grep -q "^0[0-9a-f]*   Entry: ID: 0x$type," <<<"$resources" ||
      problems+=("no resource of type 0x$type")
  done
  local text manifest
  manifest=$(strings -a "$exe" | grep -F '<')
  for text in 'level="requireAdministrator"' 'Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
    '>PerMonitorV2, PerMonitor<'; do
    grep -qF "$text" <<<"$manifest" || problems+=("the manifest lacks $text")
  done
  if [ ${#problems[@]} -ne 0 ]; then
    printf '  %s: %s\n' "${exe#"$root/"}" "${problems[*]}" >&2
    return 1
  fi
  echo "  ${exe#"$root/"}: $magic, Windows GUI, manifest, version and icon"
}

echo "== the programs as Windows reads them"
check_program "${bin_of[x86_64]}/cdsetup.exe" PE32+
check_program "${bin_of[i686]}/cdsetup.exe" PE32

end_to_end() {
  echo "== end to end ($arch): the demo medium installed by cdsetup.exe and by the Linux build"
  win_log=$work/windows-install-$arch.log
  in_wine wine 'D:\cdsetup.exe' --silent --accept-licence --type max \
    --log "$(in_wine winepath -w "$win_log")" >"$work/windows-install.out" 2>&1 || {
    cat "$work/windows-install.out"
    echo "test-windows: wine cdsetup.exe ($arch) failed" >&2
    exit 1
  }
  if [ ! -f "$linux_log" ]; then
    "$linux/cdsetup" --medium "$medium" --prefix "$linux_prefix" --silent --accept-licence \
      --type max --log "$linux_log" >"$work/linux-install.out" 2>&1 || {
      cat "$work/linux-install.out"
      echo "test-windows: the Linux install failed" >&2
      exit 1
    }
  fi

  failures=0
  fail() {
    echo "  DIFFERS: $*"
    failures=$((failures + 1))
  }

  # Files: everything the Linux build wrote below drive_c, and everything in
  # the target directory on either side. Links are compared by their fields.
  target=$(sed -n 's/\r$//; s/^created //p' "$linux_log" | tail -n 1)
  [ -n "$target" ] || { echo "test-windows: no target directory in $linux_log" >&2; exit 1; }
  target_rel=$(printf '%s' "${target#?:\\}" | tr '\\' '/')
  host_of() { # a path below drive_c, in either prefix, whatever its case
    local base=$1 rel=$2 part dir=$1/drive_c
    IFS=/ read -ra parts <<<"$rel"
    for part in "${parts[@]}"; do
      local found
      found=$(find "$dir" -mindepth 1 -maxdepth 1 -iname "$part" -print -quit 2>/dev/null)
      [ -n "$found" ] || { echo "$dir/$part"; return; }
      dir=$found
    done
    echo "$dir"
  }
  files=0
  wavs=0
  while IFS= read -r -d '' f; do
    rel=${f#"$linux_prefix/drive_c/"}
    case $rel in *.lnk) continue ;; esac
    other=$(host_of "$wine_prefix" "$rel")
    files=$((files + 1))
    case $rel in *.wav | *.WAV) wavs=$((wavs + 1)) ;; esac
    if [ ! -f "$other" ]; then
      fail "C:/$rel is missing from the Windows install"
    elif ! cmp -s "$f" "$other"; then
      fail "C:/$rel has other bytes"
    fi
  done < <(find "$linux_prefix/drive_c" -type f -print0)
  linux_target=$(host_of "$linux_prefix" "$target_rel")
  wine_target=$(host_of "$wine_prefix" "$target_rel")
  list_tree() { (cd "$1" && find . -mindepth 1 | LC_ALL=C sort); }
  if ! diff <(list_tree "$linux_target") <(list_tree "$wine_target") >"$work/tree.diff"; then
    fail "the target trees differ:"
    sed 's/^/    /' "$work/tree.diff" | head -n 40
  fi
  echo "  files: $files compared byte for byte ($wavs WAV files), target $target"

  # Registry values, each read back by Wine's reg from both prefixes.
  values=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    spec=${line#registry: }
    # "ROOT\key name = value": keys may hold blanks, value names do not.
    head=${spec%% = *}
    key=${head% *}
    name=${head##* }
    case $key in
      HKEY_*) ;;
      *) continue ;; # "cannot open ..."
    esac
    query=(reg query "$key" /v "$name")
    [ -z "$name" ] && query=(reg query "$key" /ve)
    from_windows=$(in_wine wine "${query[@]}" 2>&1 | tr -d '\r' | grep -i "REG_" || true)
    from_linux=$(WINEPREFIX=$linux_prefix wine "${query[@]}" 2>&1 | tr -d '\r' | grep -i "REG_" || true)
    values=$((values + 1))
    if [ -z "$from_windows" ] || [ "$from_windows" != "$from_linux" ]; then
      fail "$key $name: Windows '${from_windows}', Linux '${from_linux}'"
    fi
  done < <(grep '^registry: ' "$linux_log")
  echo "  registry: $values values read back alike"

  # Links, by the fields the shell reads from them in each prefix.
  links=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    link=${line#link }
    link=${link%% -> *}
    # A folder is the same with or without its final backslash.
    fields() { wine "$win/link_fields.exe" "$link" 2>&1 | tr -d '\r' | sed 's/\([^:]\)\\$/\1/'; }
    from_windows=$(in_wine fields)
    from_linux=$(WINEPREFIX=$linux_prefix fields)
    links=$((links + 1))
    if [ "${from_windows,,}" != "${from_linux,,}" ] || ! grep -q 'target: .' <<<"$from_windows"; then
      fail "link $link:"
      diff <(echo "$from_windows") <(echo "$from_linux") | sed 's/^/    /'
    fi
  done < <(grep '^link ' "$linux_log")
  echo "  links: $links resolve alike"

  if [ $files -eq 0 ] || [ $values -eq 0 ] || [ $links -eq 0 ]; then
    fail "nothing to compare (files $files, values $values, links $links)"
  fi
  if [ $failures -ne 0 ]; then
    echo "== end to end ($arch): $failures differences" >&2
    exit 1
  fi
  echo "== end to end ($arch): the Windows install is the Linux install"

}

# Wine runs 32-bit programs only with its 32-bit side (wine32), which needs a
# kernel that runs 32-bit Linux programs.
wine_runs_32_bit() {
  WINEPREFIX=$work/probe wine "${bin_of[i686]}/cdsetup.exe" --version >/dev/null 2>&1
}

last=
for arch in x86_64 i686; do
  win=${bin_of[$arch]}
  if [ "$arch" = i686 ] && ! wine_runs_32_bit; then
    echo "== i686 under Wine: NOT RUN: this Wine has no 32-bit side (wine32), or this kernel"
    echo "   runs no 32-bit programs (dmesg: '32-bit emulation disabled'); only its headers"
    echo "   and resources were checked above"
    continue
  fi
  wine_prefix=$work/wine-$arch
  medium=$work/medium-$arch
  echo "== Wine prefix for $arch (wineboot -i)"
  # No display: the dialogs' tests run on Wine's null graphics driver.
  make_wine_prefix null
  echo "== cdsetup_tests.exe ($arch) under Wine"
  run_tests "$work/tests-$arch.log" '-Win32Install.*' || exit 1
  end_to_end
  last=$arch
done
win=${bin_of[$last]}
wine_prefix=$work/wine-$last
medium=$work/medium-$last

# After the comparison, which they would not disturb but need not share: whole
# installations of the Polish script through the dialogs, on a Polish system
# (its code page the script's) and on an English one (another code page).
for language in pl_PL en_US; do
  echo "== cdsetup_tests.exe ($last): installations through the dialogs, under $language"
  run_tests "$work/dialogs-$language.log" 'Win32Install.*' in_locale $language || exit 1
done

# The same on denser screens, as Windows' display scaling makes them: the
# fonts, the picture and the rows' icons scale, and the picture still shows
# whole (the test samples it at its corners).
for dpi in 144 192; do
  echo "== cdsetup_tests.exe ($last): installations through the dialogs at $dpi dpi"
  in_wine wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
  # Wine reads the density when its server starts. The Start-menu folders
  # the installs opened stay open in explorer: end the server, not wait.
  in_wine wineserver -k
  run_tests "$work/dialogs-$dpi.log" 'Win32Install.*' in_locale pl_PL || exit 1
done
in_wine wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null
in_wine wineserver -k

# The Polish script on systems of other code pages: its texts and the
# medium's names are read in 1250 whatever the system's, so the install is
# the one a Polish system gets. The medium gains a file of a Polish name,
# listed in 1250 as the script is: a wrong code page would not find it.
echo "== cdsetup.exe ($last): the Polish install under other locales"
polish_medium=$work/medium-polish
rm -rf "$polish_medium"
cp -r "$medium" "$polish_medium"
chmod -R u+w "$polish_medium"
mkdir -p "$polish_medium/Dokumenty"
printf 'notatka' >"$polish_medium/Dokumenty/Żółw.txt"
python3 - "$polish_medium/install.ini" <<'PY'
import re, sys
path = sys.argv[1]
script = open(path, "rb").read()
at = script.index(b"[max]\r\nfiles=")
count = re.match(rb"\[max\]\r\nfiles=(\d+)", script[at:])
n = int(count.group(1))
end = script.find(b"\r\n[", at)
end = len(script) if end < 0 else end + 2
entry = b"%d=Dokumenty\\\xAF\xF3\xB3w.txt\r\n" % n
script = script[:end] + entry + script[end:]
script = script[:at] + b"[max]\r\nfiles=%d" % (n + 1) + script[at + count.end():]
open(path, "wb").write(script)
PY
ln -sfn "$polish_medium" "$wine_prefix/dosdevices/d:"
in_wine wineserver -k 2>/dev/null || true
for language in pl_PL en_US de_DE fr_BE; do
  extra=()
  # A forced code page must be the one the texts are read in.
  [ "$language" = en_US ] && extra=(--codepage 1250)
  log=$work/polish-$language.log
  rm -f "$log"
  in_locale $language in_wine wine 'D:\cdsetup.exe' --silent --accept-licence --type max \
    --lang Polski --dir "C:\\Polski-$language" "${extra[@]}" \
    --log "$(in_wine winepath -w "$log")" >"$work/polish-$language.out" 2>&1 || {
    cat "$work/polish-$language.out" "$log"
    echo "test-windows: the Polish install under $language failed" >&2
    exit 1
  }
  in_wine wineserver -k 2>/dev/null || true
  read_in="the texts of Polski are read in code page 1250"
  [ "$language" = en_US ] && read_in="text code page 1250"
  grep -q "$read_in" "$log" ||
    { echo "test-windows: under $language the texts were not read in 1250" >&2; exit 1; }
  [ "$(cat "$wine_prefix/drive_c/Polski-$language/Dokumenty/Żółw.txt")" = notatka ] ||
    { echo "test-windows: under $language Dokumenty/Żółw.txt was not installed" >&2; exit 1; }
  if [ "$language" != pl_PL ]; then
    diff -r "$wine_prefix/drive_c/Polski-pl_PL" "$wine_prefix/drive_c/Polski-$language" \
      >"$work/polish.diff" ||
      { sed 's/^/    /' "$work/polish.diff" | head -20; echo "test-windows: the install under $language differs from pl_PL's" >&2; exit 1; }
  fi
  echo "  $language: $(grep -c '^link ' "$log") links, the same files as under pl_PL"
done
ln -sfn "$medium" "$wine_prefix/dosdevices/d:"

# English chosen on a Polish system, into a Polish folder given on the
# command line (which Windows hands over in its code page, 1250): the files,
# ProgramPath and the links are that folder's.
echo "== cdsetup.exe ($last): the English install into a Polish folder on a Polish system"
log=$work/english-on-polish.log
in_locale pl_PL in_wine wine 'D:\cdsetup.exe' --silent --accept-licence --lang English \
  --dir 'C:\Gry\Żółta Łódź' --log "$(in_wine winepath -w "$log")" >"$work/english-on-polish.out" 2>&1 ||
  { cat "$work/english-on-polish.out" "$log"; echo "test-windows: the English install on pl_PL failed" >&2; exit 1; }
[ -f "$wine_prefix/drive_c/Gry/Żółta Łódź/demo.exe" ] ||
  { echo "test-windows: nothing installed in C:\Gry\Żółta Łódź" >&2; exit 1; }
program_path=$(in_locale pl_PL in_wine wine reg query 'HKCU\Software\Torvanel\DemoSwiatla_English' /v ProgramPath |
  tr -d '\r' | sed -n 's/.*REG_SZ *//p' | iconv -f CP852 -t UTF-8)
[ "$program_path" = 'C:\Gry\Żółta Łódź' ] ||
  { echo "test-windows: ProgramPath is '$program_path'" >&2; exit 1; }
grep -q '^link .* -> C:\\Gry\\Żółta Łódź\\demo.exe' "$log" ||
  { grep '^link ' "$log"; echo "test-windows: the links do not lead into C:\Gry\Żółta Łódź" >&2; exit 1; }
in_wine wineserver -k 2>/dev/null || true
echo "  installed into C:\Gry\Żółta Łódź; ProgramPath and the links lead there"

# A user whose name the system's code page cannot spell: the links go into
# that user's own Start menu, which the shell names, not into a folder made
# from an ANSI spelling of the name.
echo "== cdsetup.exe ($last): the links of a user named Łukasz on an English system"
luk_prefix=$work/wine-lukasz
as_lukasz() { in_locale en_US env USER=Łukasz WINEPREFIX="$luk_prefix" WINEDEBUG=-all "$@"; }
as_lukasz wineboot -i >/dev/null 2>&1
as_lukasz wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null
ln -sfn "$medium" "$luk_prefix/dosdevices/d:"
as_lukasz wine 'D:\cdsetup.exe' --silent --accept-licence --lang English \
  >"$work/lukasz.out" 2>&1 || { cat "$work/lukasz.out"; echo "test-windows: the install for Łukasz failed" >&2; exit 1; }
as_lukasz wineserver -k 2>/dev/null || true
menu="$luk_prefix/drive_c/users/Łukasz/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
[ -f "$menu/Torvanel/Demo of the Lights/Demo.lnk" ] ||
  { find "$luk_prefix/drive_c" -name '*.lnk' | sed 's/^/    /'; echo "test-windows: Łukasz's links are not in his Start menu" >&2; exit 1; }
echo "  3 links in C:\users\Łukasz's Start menu"

# Wine runs as root here, where nothing is refused for its rights: a re-install
# over files the last one left read-only is tried as an ordinary user too, in
# a prefix of that user's own, as a player would run it.
echo "== as an ordinary user: a re-install over read-only files"
user=cdsetup-tester
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  user_home=$work/user
  mkdir -p "$user_home"
  chown "$user" "$user_home"
  chmod 755 "$work"
  as_user() { runuser -u "$user" -- env HOME="$user_home" WINEPREFIX="$user_home/prefix" "$@"; }
  as_user wineboot -i >/dev/null 2>&1
  ln -sfn "$medium" "$user_home/prefix/dosdevices/d:"
  install_as_user() {
    as_user wine 'D:\cdsetup.exe' --silent --accept-licence --type max --dir 'C:\Gra' \
      >"$work/user-install.out" 2>&1
  }
  install_as_user || { cat "$work/user-install.out"; echo "test-windows: the first install as $user failed" >&2; exit 1; }
  as_user wine cmd /c attrib +r 'C:\Gra\demo.exe' >/dev/null 2>&1
  as_user wine cmd /c attrib +r 'C:\Gra\Dane\intro.wav' >/dev/null 2>&1
  install_as_user || { cat "$work/user-install.out"; echo "test-windows: the re-install as $user failed" >&2; exit 1; }
  as_user wineserver -k 2>/dev/null || true
  echo "  installed twice as $user, the second time over read-only files"
else
  echo "  already an ordinary user: the runs above were made as one"
fi
