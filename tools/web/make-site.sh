#!/bin/sh
# Writes a small lighttpd site that serves scrivlet.cgi over a folder of
# documents:
#
#   tools/web/make-site.sh SITE_DIR DOCS_DIR PORT CGI_PROGRAM [HEAD_LINE END_LINE]
#
# SITE_DIR/lighttpd.conf        the server's configuration (127.0.0.1:PORT): with
#                               MODE=fastcgi (the default) mod_fastcgi starts
#                               WORKERS (default 2) resident scrivlet.cgi
#                               processes and restarts one that ends; with
#                               MODE=cgi mod_cgi starts it once per request
# SITE_DIR/htdocs/index.html    a page linking every document of DOCS_DIR
# SITE_DIR/cgi-bin/scrivlet.cgi a copy of the program, and beside it
# SITE_DIR/cgi-bin/scrivlet.cfg its configuration: DocumentRoot is DOCS_DIR,
#                               Layout is $LAYOUT: "document" (the default: the
#                               document page with its headings, lists, tables
#                               and notes) or "classic" (the text line by line)
#
# Run the server with: lighttpd -D -f SITE_DIR/lighttpd.conf
set -eu

layout=${LAYOUT:-document}
case $layout in
  document|classic) ;;
  *) echo "$0: LAYOUT must be document or classic, not $layout" >&2; exit 2 ;;
esac

mode=${MODE:-fastcgi}
workers=${WORKERS:-2}
case $mode in
  fastcgi|cgi) ;;
  *) echo "$0: MODE must be fastcgi or cgi, not $mode" >&2; exit 2 ;;
esac
case $workers in
  ''|*[!0-9]*|0) echo "$0: WORKERS must be a positive number, not $workers" >&2; exit 2 ;;
esac

if [ $# -lt 4 ]; then
  echo "usage: $0 SITE_DIR DOCS_DIR PORT CGI_PROGRAM [HEAD_LINE END_LINE]" >&2
  exit 2
fi
site=$1 docs=$2 port=$3 cgi=$4
# The document page brings its own stylesheet; the classic one gets a
# readable width.
default_head=''
[ "$layout" = classic ] &&
  default_head='<style>body { font-family: sans-serif; max-width: 50em; margin: auto; }</style>'
head_line=${5:-$default_head}
end_line=${6:-'<p><a href="/">Back to the document list</a></p>'}

[ -d "$docs" ] || { echo "$0: $docs is not a folder" >&2; exit 2; }
[ -x "$cgi" ] || { echo "$0: $cgi is not a program" >&2; exit 2; }
mkdir -p "$site/htdocs" "$site/cgi-bin"
site=$(cd "$site" && pwd)
docs=$(cd "$docs" && pwd)

# The CGI reads the configuration beside its own (resolved) path: a copy,
# not a link.
cp "$cgi" "$site/cgi-bin/scrivlet.cgi"
cat > "$site/cgi-bin/scrivlet.cfg" <<CFG
[Head]
$head_line
[EndOfBody]
$end_line
[Layout]
$layout
[DocumentRoot]
$docs
CFG

# The FastCGI workers' sockets (lighttpd adds -0, -1, ... per worker): in
# the site when its path is short enough for a socket address, else in /tmp.
socket="$site/scrivlet.socket"
[ ${#socket} -le 90 ] || socket="${TMPDIR:-/tmp}/scrivlet-$(id -u)-$port.socket"

if [ "$mode" = cgi ]; then
  modules='"mod_alias", "mod_cgi"'
  handler=$(cat <<HANDLER
\$HTTP["url"] =~ "^/cgi-bin/" {
  cgi.assign = (".cgi" => "")
}
HANDLER
)
else
  modules='"mod_alias", "mod_fastcgi"'
  # check-local: the address names a program, not a file of the site;
  # bin-path makes lighttpd start and restart the workers itself.
  handler=$(cat <<HANDLER
fastcgi.server = ("/cgi-bin/scrivlet.cgi" => ((
  "bin-path"    => "$site/cgi-bin/scrivlet.cgi",
  "socket"      => "$socket",
  "max-procs"   => $workers,
  "check-local" => "disable"
)))
HANDLER
)
fi

cat > "$site/lighttpd.conf" <<CONF
server.modules        = ($modules)
server.bind           = "127.0.0.1"
server.port           = $port
server.document-root  = "$site/htdocs"
server.errorlog       = "$site/error.log"
index-file.names      = ("index.html")
mimetype.assign       = (".html" => "text/html; charset=utf-8")
alias.url             = ("/cgi-bin/" => "$site/cgi-bin/")
$handler
CONF

# Percent-encodes a query value byte by byte (letters, digits and -._~/
# stay as they are).
url_encode() {
  printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' '\n\n' | while read -r byte; do
    [ -n "$byte" ] || continue
    case $byte in
      2d|2e|2f|5f|7e|3[0-9]|4[1-9a-f]|5[0-9a]|6[1-9a-f]|7[0-9a])
        printf "\\$(printf '%03o' "0x$byte")" ;;
      *) printf '%%%s' "$(echo "$byte" | tr 'a-f' 'A-F')" ;;
    esac
  done
}

html_escape() {
  printf '%s' "$1" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g'
}

{
  echo '<!DOCTYPE html>'
  echo '<html lang="en"><head><meta charset="utf-8">'
  echo '<meta name="viewport" content="width=device-width, initial-scale=1">'
  echo '<title>Scrivlet documents</title></head><body><main>'
  echo "<h1>Documents of $(html_escape "$docs")</h1>"
  echo '<ul>'
  # Only the documents a reader takes, told by their extensions: a .txt or
  # .tsv beside them would only fail.
  (cd "$docs" && find . -type f ! -name '.*' \( -iname '*.doc' -o -iname '*.dot' \
      -o -iname '*.docx' -o -iname '*.wpd' -o -iname '*.wri' -o -iname '*.odt' -o -iname '*.odp' \
      -o -iname '*.fb2' -o -iname '*.epub' -o -iname '*.pdf' \) |
    sed 's|^\./||' | LC_ALL=C sort) | while IFS= read -r name; do
    query="filename=$(url_encode "$name")"
    text=$(html_escape "$name")
    echo "<li><a href=\"/cgi-bin/scrivlet.cgi?$query\">$text</a>" \
         "(<a href=\"/cgi-bin/scrivlet.cgi?$query&amp;firstpage=1\">first page</a>)</li>"
  done
  echo '</ul>'
  echo '</main></body></html>'
} > "$site/htdocs/index.html"
