#!/usr/bin/env bash
# Runs every fuzz target built in build/fuzz for FUZZ_SECONDS (default 60)
# each. Each starts from seeds written afresh by make_fuzz_seeds and from what
# earlier runs kept in build/fuzz/corpus/<target>; new finds go to the corpus.
# Prints one line per target: the coverage of libFuzzer's last status line.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
out=build/fuzz

rm -rf "$out/seeds"
if ! "$out/bin/make_fuzz_seeds" "$out/seeds"; then
  echo "fuzz: the seeds could not be written"
  exit 1
fi

# Leaks of the libraries we cannot mend, each with its reason.
export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

status=0
for f in "$out"/bin/*_fuzzer; do
  n=$(basename "$f")
  case "$n" in
    vorbis_fuzzer | speex_fuzzer) dict=fuzz/dict/ogg.dict ;;
    *) dict=fuzz/dict/${n%_fuzzer}.dict ;;
  esac
  args=(-max_total_time="$seconds" -rss_limit_mb=1024)
  if [ -f "$dict" ]; then args+=(-dict="$dict"); fi
  mkdir -p "$out/corpus/$n"
  if "$f" "${args[@]}" "$out/corpus/$n" "$out/seeds/$n" > "$out/$n.log" 2>&1; then
    # "#123 DONE cov: 812 ft: 1500 corp: 40/12Kb ..." gives "cov: 812 ft: 1500 corp: 40".
    last=$(grep -E '^#[0-9]+' "$out/$n.log" | tail -n 1)
    echo "$n: $(sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [0-9]+).*/\1/' <<< "$last")"
  else
    echo "$n: FAILED (log: $out/$n.log)"
    tail -n 40 "$out/$n.log"
    status=1
  fi
done
exit $status
