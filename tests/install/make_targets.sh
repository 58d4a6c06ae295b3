#!/bin/sh
# What the Makefile's user targets would run (make -n): `make run` builds the two
# programs only and says what it shows; `make serve` writes the site and runs
# lighttpd with DOCS and PORT; `make install` honours PREFIX and DESTDIR.
#
#   make_targets.sh SOURCE_DIR
set -u
source=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
dry() { make -s -n -C "$source" "$@" 2>&1; }

run=$(dry run BUILD=/tmp/b)
echo "$run" | grep -q -- "--build /tmp/b -j [0-9]* --target scrivlet_cgi scrivlet_cli" ||
  fail "make run does not build just the two programs: $run"
echo "$run" | grep -q "scrivlet_tests" && fail "make run builds the tests"
echo "$run" | grep -q "echo.*What a web server receives" || fail "make run has no note"

serve=$(dry serve BUILD=/tmp/b DOCS=/srv/docs PORT=9123)
echo "$serve" | grep -q "LAYOUT=document MODE=fastcgi WORKERS=2 tools/web/make-site.sh /tmp/b/web /srv/docs 9123 /tmp/b/scrivlet.cgi" ||
  fail "make serve does not write the site: $serve"
dry serve BUILD=/tmp/b MODE=cgi | grep -q "MODE=cgi WORKERS=2 tools/web/make-site.sh" ||
  fail "make serve MODE=cgi does not write a CGI site"
echo "$serve" | grep -q "lighttpd -D -f /tmp/b/web/lighttpd.conf" || fail "make serve runs no lighttpd"
echo "$serve" | grep -q "lighttpd" || fail "make serve does not install lighttpd"

install=$(dry install BUILD=/tmp/b PREFIX=/opt/s DESTDIR=/stage)
echo "$install" | grep -q 'DESTDIR="/stage" cmake --install /tmp/b --prefix /opt/s' ||
  fail "make install ignores PREFIX or DESTDIR: $install"

echo "$install" | grep -q 'SCRIVLET_DOCUMENT_ROOT="" ' ||
  fail "make install without DOCS names a document root: $install"
install=$(dry install BUILD=/tmp/b DOCS=/srv/archive)
echo "$install" | grep -q 'SCRIVLET_DOCUMENT_ROOT="/srv/archive" ' ||
  fail "make install does not pass DOCS on: $install"

run=$(dry run BUILD=/tmp/b)
echo "$run" | grep -q "QUERY_STRING='filename=samples/letter.wri' /tmp/b/scrivlet.cgi" ||
  fail "make run does not ask for the sample below its directory: $run"

test=$(dry test BUILD=/tmp/b)
for package in lighttpd curl chromium; do
  echo "$test" | grep -q "$package" || fail "make test does not install $package"
done
echo "$test" | grep -q "python-test" || fail "make test does not run the Python module's tests"
python=$(dry python BUILD=/tmp/b)
echo "$python" | grep -q "pybind11-dev" || fail "make python does not install pybind11-dev"
echo "$python" | grep -q -- "-DSCRIVLET_PYTHON=ON" || fail "make python configures no module"
echo "$python" | grep -q -- "-DPython3_EXECUTABLE=/usr/bin/python3" ||
  fail "make python does not build for Debian's python3: $python"
echo "$python" | grep -q -- "--target scrivlet_python" || fail "make python builds no module"
test=$(dry test BUILD=/tmp/b SCRIVLET_CORPUS=some/corpus)
echo "$test" | grep -qF "SCRIVLET_CORPUS=\"$(cd "$source" && pwd)/some/corpus\"" ||
  fail "make test does not hand an absolute SCRIVLET_CORPUS on: $test"
echo "$test" | grep -q "tests/corpus/summary.sh" || fail "make test says nothing of the corpus tests"

# The corpus line of make test, from reports of a run.
report=$(mktemp)
printf 'skipped	A.b	no corpus at /c/doc	/c	absent
skipped	A.c	no corpus at /c/wri	/c	absent
' >"$report"
line=$(sh "$source/tests/corpus/summary.sh" "$report")
[ "$line" = "Corpus tests: 0 ran, 2 skipped: no corpus folder at /c (SCRIVLET_CORPUS names another)" ] ||
  fail "corpus line for a missing corpus: $line"
printf 'ran	A.b		/c	present
skipped	A.c	qpdf is not installed	/c	present
ran	A.b		/c	present
' >"$report"
line=$(sh "$source/tests/corpus/summary.sh" "$report")
[ "$line" = "Corpus tests: 1 ran, 1 skipped (corpus at /c; for example: qpdf is not installed)" ] ||
  fail "corpus line for a corpus: $line"
: >"$report"
line=$(sh "$source/tests/corpus/summary.sh" "$report")
[ "$line" = "Corpus tests: none ran (no test asked for the corpus folder)" ] || fail "corpus line: $line"
rm -f "$report"

[ "$failures" -eq 0 ] || exit 1
echo "make targets checked"
