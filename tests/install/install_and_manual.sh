#!/bin/sh
# make install's layout (cmake --install with a PREFIX under DESTDIR), the
# CGI's scrivlet.cfg with its document root, and the manual page: man renders it without warnings, and it documents every
# option that --help lists, the exit statuses and SCRIVLET_CODEPAGE.
#
#   install_and_manual.sh BUILD_DIR CLI_PROGRAM WORK_DIR
set -u
build=$1 cli=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$work/root" cmake --install "$build" --prefix /opt/scrivlet >"$work/install.log" 2>&1 ||
  fail "cmake --install: $(cat "$work/install.log")"
for file in bin/scrivlet lib/cgi-bin/scrivlet.cgi; do
  [ -x "$work/root/opt/scrivlet/$file" ] || fail "$file not installed"
done
manual="$work/root/opt/scrivlet/share/man/man1/scrivlet.1"
[ -f "$manual" ] || fail "share/man/man1/scrivlet.1 not installed"
"$work/root/opt/scrivlet/bin/scrivlet" --version | grep -q "^scrivlet " || fail "installed program does not run"

# The Python module, where the build has one: in the prefix's
# dist-packages, importable from there.
if [ -d "$build/python/scrivlet" ]; then
  packages=$(ls -d "$work"/root/opt/scrivlet/lib/python3.*/dist-packages 2>/dev/null | head -n 1)
  if [ -n "$packages" ] && [ -f "$packages/scrivlet/__init__.py" ]; then
    PYTHONPATH="$packages" PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -c \
      'import scrivlet, scrivlet.dask; assert scrivlet.formats()' 2>"$work/python.err" ||
      fail "the installed module does not import: $(cat "$work/python.err")"
  else
    fail "the Python module is not installed under lib/python3.X/dist-packages"
  fi
fi

# The web servers' configurations, naming the installed program.
examples="$work/root/opt/scrivlet/share/doc/scrivlet/examples"
for name in lighttpd-scrivlet.conf nginx-scrivlet.conf scrivlet-fcgi.socket scrivlet-fcgi.service \
            apache-scrivlet-fcgid.conf; do
  [ -f "$examples/$name" ] || { fail "examples/$name not installed"; continue; }
  ! grep -q '@' "$examples/$name" || fail "examples/$name keeps a placeholder: $(grep '@' "$examples/$name")"
done
for name in lighttpd-scrivlet.conf scrivlet-fcgi.service apache-scrivlet-fcgid.conf; do
  grep -q '/opt/scrivlet/lib/cgi-bin/scrivlet.cgi' "$examples/$name" 2>/dev/null ||
    fail "examples/$name does not name the installed program"
done

# The CGI's configuration: a document root under the prefix, created; a
# second install keeps the site's own file.
config="$work/root/opt/scrivlet/lib/cgi-bin/scrivlet.cfg"
if [ -f "$config" ]; then
  sed -n '/^\[DocumentRoot\]$/{n;p;}' "$config" | grep -qx /opt/scrivlet/share/scrivlet/documents ||
    fail "scrivlet.cfg names no DocumentRoot under the prefix: $(cat "$config")"
else
  fail "lib/cgi-bin/scrivlet.cfg not installed"
fi
[ -d "$work/root/opt/scrivlet/share/scrivlet/documents" ] || fail "document root not created"
printf '[DocumentRoot]\n/srv/site-own\n' >"$config"
DESTDIR="$work/root" cmake --install "$build" --prefix /opt/scrivlet >"$work/install2.log" 2>&1 ||
  fail "second cmake --install: $(cat "$work/install2.log")"
grep -qx /srv/site-own "$config" || fail "a second install overwrote scrivlet.cfg"

# Installed for real: the CGI serves its document root and nothing else.
env -u SCRIVLET_DOCUMENT_ROOT cmake --install "$build" --prefix "$work/prefix" >"$work/install3.log" 2>&1 ||
  fail "cmake --install into $work/prefix: $(cat "$work/install3.log")"
printf 'not a word file' >"$work/prefix/share/scrivlet/documents/note.doc"
page() { # QUERY: the status line, if any, and the heading
  (cd / && env -i QUERY_STRING="$1" "$work/prefix/lib/cgi-bin/scrivlet.cgi") |
    grep -E '^Status:|<h1' | tr -d '\r'
}
page "filename=note.doc" | grep -q "^Status" && fail "a document of the root is refused: $(page filename=note.doc)"
page "filename=note.doc" | grep -q "note.doc is not valid MS Word document" ||
  fail "a document of the root is not read: $(page filename=note.doc)"
for name in /etc/passwd ../../../../../../../etc/passwd /etc/no-such-file; do
  page "filename=$name" | grep -q "^Status: 404 Not Found" || fail "$name is served: $(page "filename=$name")"
done

# DOCS (through SCRIVLET_DOCUMENT_ROOT) names another root.
SCRIVLET_DOCUMENT_ROOT="$work/site docs" DESTDIR="$work/root2" \
  cmake --install "$build" --prefix /opt/scrivlet >"$work/install4.log" 2>&1 ||
  fail "cmake --install with a document root: $(cat "$work/install4.log")"
grep -qx "$work/site docs" "$work/root2/opt/scrivlet/lib/cgi-bin/scrivlet.cfg" ||
  fail "SCRIVLET_DOCUMENT_ROOT not in scrivlet.cfg"
[ -d "$work/root2$work/site docs" ] || fail "the named document root was not created"

if command -v man >/dev/null 2>&1; then
  MANWIDTH=200 LC_ALL=C.UTF-8 man -l --warnings "$manual" >"$work/manual.txt" 2>"$work/manual.err" ||
    fail "man -l failed"
  [ -s "$work/manual.err" ] && fail "man warns: $(cat "$work/manual.err")"
else
  echo "note: man is not installed; checking the page's source only"
  sed -e 's/\\-/-/g' "$manual" >"$work/manual.txt"
fi
for option in $("$cli" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$option" "$work/manual.txt" || fail "option $option missing from the manual page"
done
for word in "EXIT STATUS" ENVIRONMENT SCRIVLET_CODEPAGE EXAMPLES "Usage error"; do
  grep -q "$word" "$work/manual.txt" || fail "\"$word\" missing from the manual page"
done
[ "$failures" -eq 0 ] || exit 1
echo "install layout and manual page checked"
