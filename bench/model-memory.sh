#!/usr/bin/env bash
# Peak memory of a conversion through the document model, on two large generated
# inputs: a .docx of about 50 MB (its parts stored, so the file is about the size of
# its document.xml) and a FictionBook file of 20,000 paragraphs in sections (UTF-8,
# a third of it Russian).  Each is converted to plain text, HTML and --json by the
# command line, under /usr/bin/time, and one line per case is printed:
#
#   case      input file and output format
#   file MB   size of the input file (MB = 1,000,000 bytes)
#   text      characters of the plain output, in UTF-16 code units (line breaks
#             included), which is how the document model holds text
#   RSS MB    peak resident set size of the process
#   ratio     RSS / (4 x text as UTF-16 bytes + file size); the aim is under 1
#   s         wall-clock seconds
#
#   bench/model-memory.sh [SCRIVLET]     (default: build/scrivlet of this tree)
#
# DOCX_BYTES (default 50000000) and FB2_PARAGRAPHS (default 20000) make smaller or
# larger inputs.  Inputs and outputs live in a temporary directory that is removed
# at the end.  Each conversion is stopped after TIME_LIMIT seconds (default 120).
# Exits 1 when a conversion fails; a ratio over 1 is only reported.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
scrivlet=${1:-$(dirname "$here")/build/scrivlet}
docx_bytes=${DOCX_BYTES:-50000000}
fb2_paragraphs=${FB2_PARAGRAPHS:-20000}
time_limit=${TIME_LIMIT:-120}

[ -x "$scrivlet" ] || {
  echo "no program at $scrivlet (make programs builds build/scrivlet)" >&2
  exit 2
}
if [ ! -x /usr/bin/time ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q time >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/model-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 "$here/model-memory-inputs.py" "$work" "$docx_bytes" "$fb2_paragraphs"

# UTF-16 code units of a UTF-8 file: one per code point, two above U+FFFF.
utf16_units() {
  python3 -c '
import sys
units = 0
with open(sys.argv[1], encoding="utf-8", errors="replace") as f:
    while chunk := f.read(1 << 22):
        units += len(chunk) + sum(1 for c in chunk if ord(c) > 0xFFFF)
print(units)' "$1"
}

failures=0
printf '%-18s %8s %11s %8s %6s %6s\n' case "file MB" "text" "RSS MB" ratio s
for input in large.docx large.fb2; do
  file="$work/$input"
  size=$(stat -c %s "$file")
  units=""
  for format in plain html json; do
    case $format in
    json) args=(--json) ;;
    *) args=(--format "$format") ;;
    esac
    status=0
    timeout "$time_limit" /usr/bin/time -f "%M %e" -o "$work/time" \
      "$scrivlet" "${args[@]}" "$file" >"$work/out" 2>"$work/err" ||
      status=$?
    if [ "$status" -ne 0 ]; then
      printf '%-18s failed with status %d: %s\n' "$input $format" "$status" \
        "$(head -n 1 "$work/err")"
      failures=$((failures + 1))
      continue
    fi
    [ "$format" = plain ] && units=$(utf16_units "$work/out")
    rm -f "$work/out"
    read -r rss_kib seconds <"$work/time"
    python3 -c '
import sys
name, size, units, rss_kib, seconds = sys.argv[1:]
size, rss = int(size), int(rss_kib) * 1024
text = f"{int(units):,}" if units else "?"
ratio = f"{rss / (4 * 2 * int(units) + size):.2f}" if units else "?"
print(f"{name:<18} {size / 1e6:8.1f} {text:>11} {rss / 1e6:8.0f} {ratio:>6} {float(seconds):6.2f}")
' "$input $format" "$size" "$units" "$rss_kib" "$seconds"
  done
done
[ "$failures" -eq 0 ]
