#!/bin/sh
# The CGI behind a real web server, seen by an HTTP client and a browser:
# lighttpd on a free loopback port serves the samples (a Write letter and a
# Russian FictionBook) through scrivlet.cgi; curl checks status, header,
# heading, text, the configuration blocks and a refused traversal;
# headless Chromium loads the Russian page and must see the same heading
# and text.  The server is stopped by its process id whatever happens.
#
#   end_to_end_web.sh CGI_PROGRAM SAMPLES_DIR WORK_DIR
#
# Exit status 77 (skipped) when lighttpd, curl or chromium is missing.
set -u

cgi=$1 samples=$2 work=$3

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

# A free port: lighttpd refuses to start on a port in use; try another.
port=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  candidate=$(( 20000 + ($$ * 7 + attempt * 7919) % 40000 ))
  "$(dirname "$0")/../../tools/web/make-site.sh" "$work/site" "$docs" "$candidate" "$cgi" \
    '<meta name="scrivlet-test" content="head block">' '<p id="end-of-body">end block</p>' \
    || exit 1
  "$lighttpd" -D -f "$work/site/lighttpd.conf" 2>>"$work/server.err" &
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
  echo "FAIL: lighttpd did not start"; cat "$work/server.err" "$work/site/error.log" 2>/dev/null
  exit 1
fi
base="http://127.0.0.1:$port"
echo "lighttpd (pid $server_pid) on $base"

fetch() { # NAME QUERY: headers in NAME.head, body in NAME.html
  curl -s -D "$work/$1.head" -o "$work/$1.html" "$base/cgi-bin/scrivlet.cgi?$2"
}

curl -s -o "$work/index.html" "$base/"
expect_in "$work/index.html" 'scrivlet.cgi?filename=Pismo.fb2&amp;firstpage=1' "index links"
expect_in "$work/index.html" 'scrivlet.cgi?filename=letter.wri"' "index links"
expect_not_in "$work/index.html" 'list.tsv' "index link to a file no reader takes"

fetch letter "filename=letter.wri"
expect_in "$work/letter.head" "HTTP/1.1 200" "letter status"
expect_in "$work/letter.head" "Content-Type: text/html; charset=utf-8" "letter content type"
expect_in "$work/letter.html" '<h1 align="center">letter.wri</h1>' "letter heading"
expect_in "$work/letter.html" "Dear reader,<BR>" "letter text"
expect_in "$work/letter.html" '<meta name="scrivlet-test" content="head block">' "Head block"
expect_in "$work/letter.html" '<p id="end-of-body">end block</p>' "EndOfBody block"

fetch russian "FileName=Pismo.fb2&firstpage=1"
expect_in "$work/russian.head" "HTTP/1.1 200" "Russian status"
expect_in "$work/russian.html" '<h1 align="center">Письмо из Скривлета</h1>' "Russian heading"
expect_in "$work/russian.html" "Здравствуй, читатель!<BR>" "Russian text"

# The index's link to the oddly named file leads to its page.
odd_link=$(grep -o 'scrivlet.cgi?filename=sub%20dir/[^"]*' "$work/index.html" | grep -v firstpage | head -1)
odd_query=$(printf '%s' "${odd_link#scrivlet.cgi?}" | sed 's/&amp;/\&/g')
fetch odd "$odd_query"
expect_in "$work/odd.head" "HTTP/1.1 200" "status of a name with & = + % # and ü ($odd_query)"
expect_in "$work/odd.html" "Dear reader,<BR>" "text of a name with & = + % # and ü"
expect_in "$work/odd.html" '<h1 align="center">sub dir/a&amp;b =+%#ü.wri</h1>' "heading of that name"

fetch traversal "filename=../../../../../../etc/passwd"
expect_in "$work/traversal.head" "HTTP/1.1 404" "traversal status"
expect_in "$work/traversal.html" "Filename is not defined or file is not found" "traversal heading"
expect_not_in "$work/traversal.html" "root:" "traversal"
fetch encoded "filename=%2Fetc%2Fpasswd"
expect_in "$work/encoded.head" "HTTP/1.1 404" "absolute name outside the root"
fetch missing "filename=nothing-here.doc"
expect_in "$work/missing.head" "HTTP/1.1 404" "missing file status"
expect_in "$work/missing.html" "Filename is not defined or file is not found" "missing file heading"

# The browser: what it builds from the page, not just the bytes.
if timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
     --user-data-dir="$work/chromium" --dump-dom "$base/cgi-bin/scrivlet.cgi?filename=Pismo.fb2" \
     >"$work/russian.dom" 2>"$work/chromium.err"; then
  expect_in "$work/russian.dom" '<h1 align="center">Письмо из Скривлета</h1>' "browser heading"
  expect_in "$work/russian.dom" "С уважением, команда Scrivlet" "browser text"
  expect_in "$work/russian.dom" '<p id="end-of-body">end block</p>' "browser EndOfBody"
else
  fail "chromium --dump-dom failed: $(tail -3 "$work/chromium.err")"
fi

stop_server
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; pages kept in $work"
  exit 1
fi
echo "all web checks passed"
