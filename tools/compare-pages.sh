#!/usr/bin/env bash
# Compares the pages two builds of scrivlet.cgi write for the same
# documents, with the UTF-8 default and with SCRIVLET_CODEPAGE=1252, whole
# and first page only.
#
#   tools/compare-pages.sh OLD_CGI NEW_CGI [FILE...]
#
# Without files it takes the first two documents of each format folder of
# ../shared/corpus and three damaged ones.  Prints each page that differs,
# then a count; exits 1 when any differs.
set -uo pipefail
old=$1 new=$2
shift 2
if [ $# -eq 0 ]; then
  corpus="$(cd "$(dirname "$0")/../../shared/corpus" 2>/dev/null && pwd)"
  [ -n "$corpus" ] || { echo "no corpus beside the repository" >&2; exit 2; }
  files=()
  for format in doc docx wpd wri odt odp fb2 epub pdf; do
    mapfile -t -O "${#files[@]}" files < <(find "$corpus/$format" -type f ! -name '*.txt' | sort | head -2)
  done
  mapfile -t -O "${#files[@]}" files < <(find "$corpus/broken" -type f | sort | head -3)
else
  files=("$@")
fi
page() { # CGI CODEPAGE QUERY
  env ${2:+SCRIVLET_CODEPAGE=$2} QUERY_STRING="$3" "$1" </dev/null 2>&1
}
pages=0 differ=0
for file in "${files[@]}"; do
  absolute="$(cd "$(dirname "$file")" && pwd)/$(basename "$file")"
  for codepage in "" 1252; do
    for query in "filename=$absolute" "filename=$absolute&firstpage=1"; do
      pages=$((pages + 1))
      if ! cmp -s <(page "$old" "$codepage" "$query") <(page "$new" "$codepage" "$query"); then
        differ=$((differ + 1))
        echo "DIFFERS: ${codepage:+SCRIVLET_CODEPAGE=$codepage }$query"
      fi
    done
  done
done
echo "${#files[@]} files, $pages pages, $differ differ"
[ "$differ" -eq 0 ]
