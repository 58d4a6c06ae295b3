#!/bin/sh
# make install's layout (cmake --install with a PREFIX under DESTDIR) and
# the manual page: man renders it without warnings, and it documents every
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
