#!/usr/bin/env bash
# Compares what two builds of scrivlet print for the same documents: plain,
# RTF, HTML and JSON, with the UTF-8 default and with SCRIVLET_CODEPAGE=1252,
# standard output, standard error and exit status alike.  The RTF prologue's
# creation time (the clock when it ran) is masked, also inside JSON strings.
#
#   tools/compare-outputs.sh OLD_SCRIVLET NEW_SCRIVLET [FILE...]
#
# Without files it takes every document of ../shared/corpus.  Prints each
# case that differs, then a count; exits 1 when any differs.
#
# STRUCTURE_MASKED=1 leaves the JSON's "blocks" and "notes" out of the
# comparison (for changes that mean to change the structure only); NOTES=0
# converts with --items text,summary, as the output was before notes.
set -uo pipefail
old=$1 new=$2
shift 2
if [ $# -eq 0 ]; then
  corpus="$(dirname "$0")/../../shared/corpus"
  [ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 2; }
  mapfile -t files < <(find "$corpus" -type f ! -name MANIFEST.tsv | sort)
else
  files=("$@")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mask() {
  if [ "${STRUCTURE_MASKED:-0}" = 1 ]; then
    python3 -c 'import json, sys
for line in sys.stdin:
    try:
        value = json.loads(line)
    except ValueError:
        sys.stdout.write(line)
        continue
    if isinstance(value, dict):
        value.pop("blocks", None)
        value.pop("notes", None)
    print(json.dumps(value, ensure_ascii=False))'
  else
    cat
  fi | sed -E 's/\{\\creatim[^}]*\}/{\\creatim}/g; s/\{\\\\creatim[^}]*\}/{\\\\creatim}/g'
}
run() { # BIN CODEPAGE ARGS... -> stdout, stderr, status in $work/out.*
  local bin=$1 codepage=$2
  shift 2
  if [ -n "$codepage" ]; then
    SCRIVLET_CODEPAGE=$codepage "$bin" "$@" >"$work/out" 2>"$work/err" </dev/null
  else
    env -u SCRIVLET_CODEPAGE "$bin" "$@" >"$work/out" 2>"$work/err" </dev/null
  fi
  echo "status $?" >>"$work/err"
  mask <"$work/out" >"$work/out.masked"
}
cases=0 differ=0
for file in "${files[@]}"; do
  for codepage in "" 1252; do
    items=""
    [ "${NOTES:-1}" = 0 ] && items="--items text,summary"
    for args in "--format plain" "--format rtf" "--format html" "--json" "--json --format rtf"; do
      args="$args $items"
      cases=$((cases + 1))
      # shellcheck disable=SC2086
      run "$old" "$codepage" $args "$file"
      mv "$work/out.masked" "$work/old.out"
      mv "$work/err" "$work/old.err"
      # shellcheck disable=SC2086
      run "$new" "$codepage" $args "$file"
      if ! cmp -s "$work/old.out" "$work/out.masked" || ! cmp -s "$work/old.err" "$work/err"; then
        differ=$((differ + 1))
        echo "DIFFERS: ${codepage:+SCRIVLET_CODEPAGE=$codepage }$args $file"
      fi
    done
  done
done
echo "$cases cases, $differ differ"
[ "$differ" -eq 0 ]
