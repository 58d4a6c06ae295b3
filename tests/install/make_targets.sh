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
echo "$serve" | grep -q "tools/web/make-site.sh /tmp/b/web /srv/docs 9123 /tmp/b/scrivlet.cgi" ||
  fail "make serve does not write the site: $serve"
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
[ "$failures" -eq 0 ] || exit 1
echo "make targets checked"
