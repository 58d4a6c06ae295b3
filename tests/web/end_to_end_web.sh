#!/bin/sh
# The CGI behind a real web server, seen by an HTTP client and a browser:
# lighttpd on a free loopback port serves the samples (a Write letter and a
# Russian FictionBook) through scrivlet.cgi, once started per request
# (mod_cgi) and once as two resident FastCGI workers (mod_fastcgi), and
# every check runs against both; curl checks status, header,
# heading, text, the configuration blocks and a refused traversal;
# headless Chromium loads the Russian page and must see the same heading
# and text.  The server is stopped by its process id whatever happens.
#
# Besides: an encrypted PDF asks for its password with a form that curl
# POSTs (wrong, right, and a body past the limit), and the password shows in
# no page and no log; an untitled PDF is headed by its file name; with the
# DocumentRoot taken out of the configuration, only names below the CGI's
# folder are served.
#
# Then the same site in the document layout: the page's table, list, note
# link and right-to-left paragraph as the browser built them, every page
# valid for tidy, and axe-core (through puppeteer-core, from
# CGI_DIR/web-tools/node_modules as make test installs them) finding no
# serious or critical violation on the served pages and on 20 corpus
# documents of every format (SCRIVLET_CORPUS, default ../shared/corpus
# beside the sources).  Each of those parts says so and is skipped when its
# tools or the corpus are missing.
#
# Both modes must send the same bytes for the same request (status, content
# type and page).  In both, a conversion past the configured time limit is
# answered with its own page (503); in FastCGI mode that worker then ends,
# and the next request is answered all the same; a worker killed during
# the run is replaced, and the requests after it are answered too.
#
#   end_to_end_web.sh CGI_PROGRAM SAMPLES_DIR WORK_DIR MAKE_WEB_DOCUMENTS
#
# Exit status 77 (skipped) when lighttpd, curl or chromium is missing.
set -u

cgi=$1 samples=$2 work=$3 make_documents=$4

for tool in lighttpd curl chromium; do
  if ! command -v "$tool" >/dev/null 2>&1 && ! [ -x "/usr/sbin/$tool" ]; then
    echo "SKIPPED: $tool is not installed (make test installs lighttpd, curl and chromium)"
    exit 77
  fi
done
lighttpd=$(command -v lighttpd || echo /usr/sbin/lighttpd)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect_in() { # FILE TEXT WHAT
  grep -qF -- "$2" "$1" || fail "$3: \"$2\" not in $1"
}
expect_not_in() {
  ! grep -qF -- "$2" "$1" || fail "$3: \"$2\" found in $1"
}

rm -rf "$work"
mkdir -p "$work"
server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=""
  fi
}
# The FastCGI workers lighttpd started: its children, by process id.
workers_of_server() {
  ps -o pid= --ppid "$server_pid" 2>/dev/null | tr -d ' '
}
trap stop_server EXIT
trap 'stop_server; exit 1' INT TERM HUP

# The samples, and one of them under a name that holds every character a
# query must carry: "&", "=", "+", "%", "#", blanks and a non-ASCII letter.
docs="$work/docs"
odd_name='sub dir/a&b =+%#ü.wri'
rm -rf "$docs"
mkdir -p "$docs/sub dir"
cp -R "$samples/." "$docs/"
cp "$samples/letter.wri" "$docs/$odd_name"
printf 'name\tvalue\n' > "$docs/list.tsv" # no document: the index leaves it out
"$make_documents" "$docs" || exit 1

# Makes the site of a mode (MODE, in $work/site-MODE) and starts lighttpd
# on a free port: lighttpd refuses to start on a port in use; try another.
# Sets site, port, base and server_pid.
start_server() { # MODE
site="$work/site-$1"
port=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  candidate=$(( 20000 + ($$ * 7 + attempt * 7919) % 40000 ))
  rm -rf "$site"
  MODE=$1 LAYOUT=classic "$(dirname "$0")/../../tools/web/make-site.sh" "$site" "$docs" "$candidate" "$cgi" \
    '<meta name="scrivlet-test" content="head block">' '<p id="end-of-body">end block</p>' \
    || exit 1
  # Every request in a log, to show that no password reaches it.
  printf 'server.modules += ("mod_accesslog")\naccesslog.filename = "%s"\n' \
    "$site/access.log" >>"$site/lighttpd.conf"
  "$lighttpd" -D -f "$site/lighttpd.conf" 2>>"$work/server-$1.err" &
  server_pid=$!
  for wait in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    if ! kill -0 "$server_pid" 2>/dev/null; then
      break
    fi
    if curl -s -o /dev/null "http://127.0.0.1:$candidate/"; then
      port=$candidate
      break
    fi
    sleep 0.1
  done
  [ -n "$port" ] && break
  stop_server
done
if [ -z "$port" ]; then
  echo "FAIL: lighttpd did not start"; cat "$work/server-$1.err" "$site/error.log" 2>/dev/null
  exit 1
fi
base="http://127.0.0.1:$port"
echo "lighttpd (pid $server_pid, $1) on $base"
}

checks_of_mode() { # MODE
mode=$1 out="$work/$1"
mkdir -p "$out"
start_server "$mode"

fetch() { # NAME QUERY: headers in NAME.head, body in NAME.html
  curl -s -D "$out/$1.head" -o "$out/$1.html" "$base/cgi-bin/scrivlet.cgi?$2"
}

curl -s -o "$out/index.html" "$base/"
expect_in "$out/index.html" 'scrivlet.cgi?filename=Pismo.fb2&amp;firstpage=1' "index links"
expect_in "$out/index.html" 'scrivlet.cgi?filename=letter.wri"' "index links"
expect_not_in "$out/index.html" 'list.tsv' "index link to a file no reader takes"

fetch letter "filename=letter.wri"
expect_in "$out/letter.head" "HTTP/1.1 200" "letter status"
expect_in "$out/letter.head" "Content-Type: text/html; charset=utf-8" "letter content type"
expect_in "$out/letter.html" '<h1 align="center">letter.wri</h1>' "letter heading"
expect_in "$out/letter.html" "Dear reader,<BR>" "letter text"
expect_in "$out/letter.html" '<meta name="scrivlet-test" content="head block">' "Head block"
expect_in "$out/letter.html" '<p id="end-of-body">end block</p>' "EndOfBody block"

fetch russian "FileName=Pismo.fb2&firstpage=1"
expect_in "$out/russian.head" "HTTP/1.1 200" "Russian status"
expect_in "$out/russian.html" '<h1 align="center">Письмо из Скривлета</h1>' "Russian heading"
expect_in "$out/russian.html" "Здравствуй, читатель!<BR>" "Russian text"

# The index's link to the oddly named file leads to its page.
odd_link=$(grep -o 'scrivlet.cgi?filename=sub%20dir/[^"]*' "$out/index.html" | grep -v firstpage | head -1)
odd_query=$(printf '%s' "${odd_link#scrivlet.cgi?}" | sed 's/&amp;/\&/g')
fetch odd "$odd_query"
expect_in "$out/odd.head" "HTTP/1.1 200" "status of a name with & = + % # and ü ($odd_query)"
expect_in "$out/odd.html" "Dear reader,<BR>" "text of a name with & = + % # and ü"
expect_in "$out/odd.html" '<h1 align="center">sub dir/a&amp;b =+%#ü.wri</h1>' "heading of that name"

fetch traversal "filename=../../../../../../etc/passwd"
expect_in "$out/traversal.head" "HTTP/1.1 404" "traversal status"
expect_in "$out/traversal.html" "Filename is not defined or file is not found" "traversal heading"
expect_not_in "$out/traversal.html" "root:" "traversal"
fetch encoded "filename=%2Fetc%2Fpasswd"
expect_in "$out/encoded.head" "HTTP/1.1 404" "absolute name outside the root"
fetch missing "filename=nothing-here.doc"
expect_in "$out/missing.head" "HTTP/1.1 404" "missing file status"
expect_in "$out/missing.html" "Filename is not defined or file is not found" "missing file heading"

# An encrypted PDF: the password goes in a POSTed form, never in the address.
fetch locked "filename=locked.pdf"
expect_in "$out/locked.head" "HTTP/1.1 403" "encrypted PDF status"
expect_in "$out/locked.html" '<h1 align="center">This document is protected by a password</h1>' \
  "encrypted PDF heading"
expect_in "$out/locked.html" '<form method="post" action="/cgi-bin/scrivlet.cgi">' "password form"
expect_in "$out/locked.html" '<input type="hidden" name="filename" value="locked.pdf">' "form file name"
post() { # NAME BODY: headers in NAME.head, body in NAME.html
  curl -s -D "$out/$1.head" -o "$out/$1.html" --data-binary "$2" \
    -H 'Content-Type: application/x-www-form-urlencoded' "$base/cgi-bin/scrivlet.cgi"
}
post wrong "filename=locked.pdf&password=not+it+at+all"
expect_in "$out/wrong.head" "HTTP/1.1 403" "wrong password status"
expect_in "$out/wrong.html" '<h1 align="center">The password is not valid</h1>' "wrong password heading"
expect_in "$out/wrong.html" 'name="password"' "the form again"
post opened "filename=locked.pdf&password=web+sesame"
expect_in "$out/opened.head" "HTTP/1.1 200" "right password status"
expect_in "$out/opened.html" '<h1 align="center">Vault</h1>' "opened heading"
expect_in "$out/opened.html" "Behind the password" "opened text"
head -c 70000 /dev/zero | tr '\0' 'x' >"$out/huge.body"
curl -s -D "$out/huge.head" -o "$out/huge.html" --data-binary "@$out/huge.body" \
  -H 'Content-Type: application/x-www-form-urlencoded' "$base/cgi-bin/scrivlet.cgi?filename=locked.pdf"
expect_in "$out/huge.head" "HTTP/1.1 413" "oversized body status"
for file in "$out"/wrong.html "$out"/opened.html "$site/access.log" "$site/error.log"; do
  [ -f "$file" ] || continue
  expect_not_in "$file" "not+it+at+all" "password in $file"
  expect_not_in "$file" "not it at all" "password in $file"
  expect_not_in "$file" "web+sesame" "password in $file"
  expect_not_in "$file" "web sesame" "password in $file"
done

# A document without a title: its file name heads the page and names it.
fetch untitled "filename=untitled.pdf"
expect_in "$out/untitled.head" "HTTP/1.1 200" "untitled status"
expect_in "$out/untitled.html" '<h1 align="center">untitled.pdf</h1>' "untitled heading"
expect_in "$out/untitled.html" '<title>untitled.pdf</title>' "untitled page title"

# The browser: what it builds from the page, not just the bytes.
if timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
     --user-data-dir="$work/chromium" --dump-dom "$base/cgi-bin/scrivlet.cgi?filename=Pismo.fb2" \
     >"$out/russian.dom" 2>"$out/chromium.err"; then
  expect_in "$out/russian.dom" '<h1 align="center">Письмо из Скривлета</h1>' "browser heading"
  expect_in "$out/russian.dom" "С уважением, команда Scrivlet" "browser text"
  expect_in "$out/russian.dom" '<p id="end-of-body">end block</p>' "browser EndOfBody"
else
  fail "chromium --dump-dom failed: $(tail -3 "$out/chromium.err")"
fi

if timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
     --user-data-dir="$work/chromium" --dump-dom "$base/cgi-bin/scrivlet.cgi?filename=locked.pdf" \
     >"$out/locked.dom" 2>"$out/chromium.err"; then
  expect_in "$out/locked.dom" '<input type="password" name="password"' "browser password field"
else
  fail "chromium --dump-dom of the password page failed: $(tail -3 "$out/chromium.err")"
fi

# Without a DocumentRoot (the configuration is read at each request), the
# CGI serves relative names below its folder only, and an existing file
# elsewhere looks like a missing one.
sed -i '/^\[DocumentRoot\]$/,$d' "$site/cgi-bin/scrivlet.cfg"
cp "$samples/letter.wri" "$site/cgi-bin/beside.wri"
fetch beside "filename=beside.wri"
expect_in "$out/beside.head" "HTTP/1.1 200" "a file beside the CGI without a root"
expect_in "$out/beside.html" "Dear reader,<BR>" "text of a file beside the CGI"
fetch noroot "filename=%2Fetc%2Fpasswd"
expect_in "$out/noroot.head" "HTTP/1.1 404" "an absolute name without a root"
expect_in "$out/noroot.html" '<h1 align="center">File /etc/passwd is not found.</h1>' \
  "an absolute name answers as a missing file"
fetch noroot-missing "filename=%2Fetc%2Fno-such-file"
expect_in "$out/noroot-missing.html" '<h1 align="center">File /etc/no-such-file is not found.</h1>' \
  "a missing absolute name"
fetch noroot-climb "filename=../../../../../../etc/passwd"
expect_in "$out/noroot-climb.head" "HTTP/1.1 404" "a climbing name without a root"
expect_not_in "$out/noroot-climb.html" "root:" "a climbing name without a root"

. "$(dirname "$0")/document_layout_checks.sh"
. "$(dirname "$0")/worker_checks.sh"

stop_server
}

checks_of_mode cgi
checks_of_mode fastcgi

# The same request, the same bytes: every page both modes fetched from the
# program, its status line and content type.
compared=0
for head in "$work/cgi"/*.head; do
  name=$(basename "$head" .head)
  page="$work/cgi/$name.html"
  other="$work/fastcgi/$name.html"
  [ -f "$other" ] || { fail "$name: fetched through CGI only"; continue; }
  cmp -s "$page" "$other" || fail "$name: the FastCGI page differs from the CGI page"
  for mode in cgi fastcgi; do
    grep -iE '^(HTTP/|Content-Type:|Status:)' "$work/$mode/$name.head" | tr -d '\r' \
      >"$work/$mode/$name.status"
  done
  cmp -s "$work/cgi/$name.status" "$work/fastcgi/$name.status" ||
    fail "$name: status or content type differ: $(cat "$work/cgi/$name.status") / $(cat "$work/fastcgi/$name.status")"
  compared=$((compared + 1))
done
[ "$compared" -ge 20 ] || fail "only $compared pages compared between the modes"
echo "$compared pages compared: the same bytes through CGI and FastCGI"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; pages kept in $work"
  exit 1
fi
echo "all web checks passed"
