#!/usr/bin/env bash
# The checks beyond the tests, one stage after another: whitespace and
# commit subjects (lint), the layers' includes, clang-format, clang-tidy over every translation unit of src/ and tools/,
# and every fuzz target from its seeds for FUZZ_SECONDS (default 10) each.
# Every stage runs even after one fails; the summary at the end lists them
# all, and the exit status is 1 when any failed. JOBS sets the parallelism.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
export FUZZ_SECONDS=${FUZZ_SECONDS:-10}
logs=build/check
mkdir -p "$logs"

summary=()
failed=0
started=0

begin() {
  echo "== $1"
  started=$SECONDS
}

# end NAME STATUS DETAIL: records the stage's line for the summary.
end() {
  local result=ok
  if [ "$2" -ne 0 ]; then result=FAILED; failed=1; fi
  local line
  line=$(printf '%-7s %-6s %4ss  %s' "$1" "$result" "$((SECONDS - started))" "$3")
  echo "$line"
  summary+=("$line")
}

strip_colours() { sed -E 's/\x1b\[[0-9;]*m//g'; }

# Whitespace and final newlines.
begin lint
bash scripts/lint
end lint $? "trailing blanks and final newlines"

# The layers: every include of src/ as the table of doc/architecture.md allows.
begin layers
python3 scripts/check-layers
end layers $? "includes held to doc/architecture.md's table"

# Formatting: every tracked source as .clang-format lays it out.
begin format
mapfile -t sources < <(git ls-files '*.h' '*.cpp')
clang-format --dry-run -Werror "${sources[@]}"
end format $? "${#sources[@]} files"

# clang-tidy over the compile commands of a clang configure (the ci build is
# gcc's, whose own flags clang does not know); nothing is built for it.
begin tidy
root=$(pwd)
if cmake --preset tidy > "$logs/tidy-configure.log" 2>&1; then
  units=$(grep -cE "\"file\": \"$root/(src|tools)/" build/tidy/compile_commands.json)
  run-clang-tidy -p build/tidy -j "$jobs" -quiet "^$root/(src|tools)/" > "$logs/tidy.log" 2>&1
  status=$?
  if [ $status -ne 0 ]; then
    strip_colours < "$logs/tidy.log" | grep -E -A4 '(warning|error):' | head -n 200
  fi
  end tidy $status "$units translation units (log: $logs/tidy.log)"
else
  cat "$logs/tidy-configure.log"
  end tidy 1 "the tidy configure failed"
fi

# Fuzzing: the targets and their seed writer only, then each target in turn.
begin fuzz
if JOBS=$jobs bash scripts/deps-fuzz.sh > "$logs/fuzz-build.log" 2>&1 &&
  cmake --preset fuzz >> "$logs/fuzz-build.log" 2>&1 &&
  cmake --build --preset fuzz -j "$jobs" --target fuzzers >> "$logs/fuzz-build.log" 2>&1; then
  bash scripts/fuzz-run.sh | tee "$logs/fuzz.txt"
  status=$?
  end fuzz $status "${FUZZ_SECONDS} s per target"
  while IFS= read -r line; do summary+=("        $line"); done < <(grep -E '_fuzzer: ' "$logs/fuzz.txt")
else
  tail -n 40 "$logs/fuzz-build.log"
  end fuzz 1 "the fuzz build failed (log: $logs/fuzz-build.log)"
fi

echo "== check summary"
printf '%s\n' "${summary[@]}"
exit $failed
