# Sourced by end_to_end_web.sh once its server runs, in each mode: the
# document layout, seen by curl, tidy, the browser and axe-core.  Uses its
# work, out (the mode's pages), site, docs, base, cgi and samples variables
# and its fetch, expect_in and fail functions.

# The configuration is read again when it changes: switch the site's layout.
cat >"$site/cgi-bin/scrivlet.cfg" <<CFG
[EndOfBody]
<p><a href="/">Back to the document list</a></p>
[Layout]
document
[DocumentRoot]
$docs
CFG

fetch page "filename=structure.docx"
expect_in "$out/page.head" "HTTP/1.1 200" "document page status"
expect_in "$out/page.head" "Content-Type: text/html; charset=utf-8" "document page content type"
expect_in "$out/page.html" '<!DOCTYPE html>' "document page prologue"
expect_in "$out/page.html" '<h1>Harvest report</h1>' "document page heading"
expect_in "$out/page.html" '<p><a href="/">Back to the document list</a></p>' "document page EndOfBody"
fetch page-first "filename=Pismo.fb2&firstpage=1"
expect_in "$out/page-first.head" "HTTP/1.1 200" "first page status"
fetch page-missing "filename=nothing-here.docx"
expect_in "$out/page-missing.head" "HTTP/1.1 404" "document layout: missing file status"
expect_in "$out/page-missing.html" '<h1>Filename is not defined or file is not found</h1>' \
  "document layout: missing file message"
fetch page-locked "filename=locked.pdf"
expect_in "$out/page-locked.head" "HTTP/1.1 403" "document layout: encrypted PDF status"
expect_in "$out/page-locked.html" '<input type="password" name="password"' \
  "document layout: password form"

# Every page of the layout is valid HTML: tidy reports no error (its
# warnings are about style, not validity).
if command -v tidy >/dev/null 2>&1; then
  for name in page page-first page-missing page-locked; do
    if ! tidy -q -e "$out/$name.html" 2>"$out/$name.tidy"; then
      grep -q 'Error:' "$out/$name.tidy" && fail "tidy finds errors in $name.html: $(grep Error: "$out/$name.tidy" | head -3)"
    fi
  done
else
  echo "SKIPPED: tidy is not installed (make test installs it): the pages' validity is not checked"
fi

node_modules=${SCRIVLET_NODE_MODULES:-$(dirname "$cgi")/web-tools/node_modules}
check_pages() {
  SCRIVLET_NODE_MODULES="$node_modules" timeout 600 node "$(dirname "$0")/check_pages.cjs" "$@"
}
if ! command -v node >/dev/null 2>&1 || ! [ -d "$node_modules/puppeteer-core" ] ||
   ! [ -d "$node_modules/axe-core" ]; then
  echo "SKIPPED: node with puppeteer-core and axe-core in $node_modules (make test installs them):" \
       "the rendered document page and its accessibility are not checked"
else
  # What the browser builds: a table with its header row and merged cell,
  # the numbered list, a note link that leads to its note, the Hebrew
  # paragraph right to left, no horizontal scrolling.
  if check_pages dom "$base/cgi-bin/scrivlet.cgi?filename=structure.docx" >"$out/page.json" \
       2>"$out/page.err"; then
    expect_in "$out/page.json" '[[{"tag":"th","span":1,"text":"Fruit"},{"tag":"th","span":1,"text":"Crates"}],[{"tag":"td","span":1,"text":"Apples"},{"tag":"td","span":1,"text":"12"}],[{"tag":"td","span":2,"text":"Total: 12 crates"}]]' "rendered table"
    expect_in "$out/page.json" '{"tag":"ol","start":1,"items":["Apples","Pears"]}' "rendered list"
    expect_in "$out/page.json" '"noteLinks":[{"text":"1","target":"Rain in the north.' "rendered note link"
    expect_in "$out/page.json" '"rightToLeft":["שלום עולם."]' "rendered right-to-left paragraph"
    expect_in "$out/page.json" '"horizontalScroll":false' "no horizontal scrolling"
  else
    fail "the browser could not render the document page: $(tail -3 "$out/page.err")"
  fi

  # axe-core on the served pages, and on 20 corpus documents of every
  # format when the corpus is there.
  urls="$base/ $base/cgi-bin/scrivlet.cgi?filename=structure.docx"
  for name in letter.wri Pismo.fb2 untitled.pdf locked.pdf nothing-here.docx; do
    urls="$urls $base/cgi-bin/scrivlet.cgi?filename=$name"
  done
  corpus=${SCRIVLET_CORPUS:-$samples/../../shared/corpus}
  if [ -d "$corpus" ]; then
    mkdir -p "$docs/corpus"
    for pick in doc:3 docx:3 epub:2 fb2:2 odt:3 odp:2 pdf:3 wpd:2; do
      format=${pick%:*} count=${pick#*:}
      for file in $(find "$corpus/$format" -maxdepth 1 -type f -name "*.$format" -size -400k \
                      2>/dev/null | LC_ALL=C sort | head -n "$count"); do
        cp "$file" "$docs/corpus/"
        urls="$urls $base/cgi-bin/scrivlet.cgi?filename=corpus/$(basename "$file")"
      done
    done
    echo "axe-core on $(ls "$docs/corpus" | wc -l) corpus documents from $corpus"
  else
    echo "SKIPPED: no corpus folder at $corpus (SCRIVLET_CORPUS names another):" \
         "axe-core checks the test's own pages only"
  fi
  # shellcheck disable=SC2086 # one argument per address
  if ! check_pages axe $urls >"$out/axe.txt" 2>&1; then
    fail "axe-core: $(grep -E 'VIOLATION|check_pages' "$out/axe.txt" | head -5)"
  fi
fi
