#!/usr/bin/env bash
# Runs every fuzz target for a while on the seed corpus.
#
#   fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET [WORK_DIR] [TARGET...]
#
# The seeds are written afresh from the test builders (and ../shared/corpus
# when present) into WORK_DIR/seeds; what a target learns is kept in
# WORK_DIR/corpus/TARGET for the next run; a crash, leak, timeout (over 2 s
# for one input) or out-of-memory (over 2 GB) is written to
# WORK_DIR/findings/TARGET/ and makes the script fail.  FUZZ_WORKERS > 1
# runs that many processes per target (libFuzzer -jobs/-workers).
set -uo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS [WORK_DIR] [TARGET...]}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS [WORK_DIR] [TARGET...]}
work=${3:-fuzz-work}
shift $(( $# < 3 ? $# : 3 ))
here=$(cd "$(dirname "$0")" && pwd)
corpus_dir=$(cd "$here/../.." && pwd)/shared/corpus
workers=${FUZZ_WORKERS:-1}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(DocFuzzer DocxFuzzer WordPerfectFuzzer WriteFuzzer OpenDocumentFuzzer
           FictionBookFuzzer EpubFuzzer CompoundFileFuzzer ZipArchiveFuzzer XmlParserFuzzer
           CgiRequestFuzzer ConfigFileFuzzer PdfFuzzer VbaFuzzer FastCgiRequestFuzzer)
fi

# The dictionaries each target gets (libFuzzer takes one file: joined).
dictionaries() {
  case $1 in
    DocFuzzer|CompoundFileFuzzer) echo compound ;;
    DocxFuzzer) echo zip xml compound ;;
    WordPerfectFuzzer) echo wordperfect compound ;;
    WriteFuzzer) echo write ;;
    OpenDocumentFuzzer|EpubFuzzer) echo zip xml ;;
    FictionBookFuzzer|XmlParserFuzzer) echo xml ;;
    ZipArchiveFuzzer) echo zip ;;
    CgiRequestFuzzer|FastCgiRequestFuzzer) echo cgi ;;
    ConfigFileFuzzer) echo config ;;
    PdfFuzzer) echo pdf ;;
    VbaFuzzer) echo vba compound ;;
  esac
}

build=$(cd "$build" && pwd) || exit 1
mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1
rm -rf "$work/seeds"
mkdir -p "$work/seeds" "$work/dict"
"$build/fuzz/scrivlet_fuzz_seeds" "$work/seeds" "$corpus_dir" || exit 1

failed=()
for target in "${targets[@]}"; do
  mkdir -p "$work/corpus/$target" "$work/findings/$target" "$work/seeds/$target"
  dict="$work/dict/$target.dict"
  : > "$dict"
  for name in $(dictionaries "$target"); do cat "$here/dict/$name.dict" >> "$dict"; done
  log="$work/findings/$target/last-run.log"
  parallel=()
  if [ "$workers" -gt 1 ]; then
    parallel=(-jobs="$workers" -workers="$workers")
  fi
  ( cd "$work/findings/$target" &&
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    nice -n 10 "$build/fuzz/$target" \
      -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 -print_final_stats=1 \
      -dict="$dict" -artifact_prefix="$PWD/" "${parallel[@]}" \
      "$work/corpus/$target" "$work/seeds/$target" ) > "$log" 2>&1
  status=$?
  # With -jobs the workers log to fuzz-N.log beside the findings.
  executions=$(cat "$log" "$work/findings/$target"/fuzz-*.log 2>/dev/null |
               sed -n 's/^stat::number_of_executed_units: *//p' | awk '{s += $1} END {print s + 0}')
  if [ $status -ne 0 ] || ls "$work/findings/$target" | grep -qE '^(crash|leak|timeout|oom)-'; then
    failed+=("$target")
    echo "FAIL $target: $executions executions, see $work/findings/$target/"
    grep -E "^==[0-9]+==ERROR|SUMMARY|runtime error|ALARM|out-of-memory" "$log" | head -5
  else
    echo "ok   $target: $executions executions in ${seconds}s"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}"
  exit 1
fi
