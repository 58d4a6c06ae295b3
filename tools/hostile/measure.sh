#!/bin/sh
# Converts every file of a folder with one scrivlet binary and prints, per
# file, the wall time, the peak resident memory and the first line of the
# error (if any).  Each run is cut at TIMEOUT seconds (default 60) and at
# 4 GB of address space, so that a build without the bounds cannot take the
# machine down.  Files whose name holds "-vba-" are converted with their
# macros listed (--items text,vba), as the macros are what they load;
# those whose name holds "-md-" to Markdown (--format markdown).
#   tools/hostile/measure.sh build/scrivlet /tmp/hostile
binary=$1
folder=${2:-/tmp/hostile}
timeout=${TIMEOUT:-60}
printf '%-40s %9s %10s  %s\n' file seconds "peak KB" outcome
for file in "$folder"/*; do
  log=$(mktemp)
  case $(basename "$file") in
  *-vba-*) set -- --items text,vba ;;
  *-md-*) set -- --format markdown ;;
  *) set -- ;;
  esac
  (ulimit -v 4000000; /usr/bin/time -v -o "$log" timeout "$timeout" "$binary" "$@" "$file" >/dev/null 2>"$log.err")
  status=$(sed -n "s/.*Exit status: //p" "$log")
  seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
  outcome=$(head -c 100 "$log.err" | head -1)
  [ "$status" = 124 ] && outcome="cut at ${timeout} s"
  [ -z "$outcome" ] && outcome="converted"
  printf '%-40s %9s %10s  %s\n' "$(basename "$file")" "$seconds" "$rss" "$outcome"
  rm -f "$log" "$log.err"
done
