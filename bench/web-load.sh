#!/usr/bin/env bash
# scrivlet.cgi under load behind lighttpd, as a CGI (one process per request)
# and as FastCGI workers (resident), on a loopback port:
#
#   bench/web-load.sh [SCRIVLET_CGI]     (default: build/scrivlet.cgi of this tree)
#
# The documents (bench/web-load-inputs.py): a small .docx, a PDF of 50
# pages, and a name that does not exist (404).  For each mode, document and
# concurrency (1, 4, 16), wrk (installed when missing) loads the server for
# SECONDS_PER_RUN seconds (default 10; keep-alive connections, one client
# thread) and the table shows requests per second and the 50th and 99th
# percentile latency in milliseconds.
#
# Then the FastCGI workers' memory: RSS (kB, each worker and their sum)
# after the first 1,000 and after MIXED (default 50,000) mixed requests:
# every format of the corpus (SCRIVLET_CORPUS, default ../shared/corpus
# beside the sources: up to 6 files of each format below 2 MB), damaged
# files, 404s, and limits hit (a POST body past 64 KiB, a package whose
# part inflates past 64 MiB).  The aim: within 10 % of each other.
#
# WORKERS (default 2) FastCGI workers; the layout is the document page.
# PAGE_CACHE_MB sets the workers' page cache (0: every request converted).
# Everything lives in a temporary directory removed at the end; lighttpd is
# stopped by its process id.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
cgi=${1:-$source_dir/build/scrivlet.cgi}
workers=${WORKERS:-2}
seconds=${SECONDS_PER_RUN:-10}
mixed_total=${MIXED:-50000}
corpus=${SCRIVLET_CORPUS:-$(dirname "$source_dir")/shared/corpus}

[ -x "$cgi" ] || { echo "no program at $cgi (make programs builds build/scrivlet.cgi)" >&2; exit 2; }
PATH="$PATH:/usr/sbin"
missing=""
command -v lighttpd >/dev/null || missing="$missing lighttpd"
command -v ab >/dev/null || missing="$missing apache2-utils"
command -v wrk >/dev/null || missing="$missing wrk"
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q $missing >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/web-load.XXXXXX")
server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}
trap 'stop_server; rm -rf "$work"' EXIT

docs="$work/docs"
python3 "$here/web-load-inputs.py" "$docs"
head -c 70000 /dev/zero | tr '\0' 'x' >"$work/huge.body"

# Starts lighttpd for a mode on a free loopback port; sets port, server_pid.
start_server() { # MODE
  port=""
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    local candidate=$(( 20000 + ($$ * 13 + attempt * 7919) % 40000 ))
    rm -rf "$work/site-$1"
    MODE=$1 WORKERS=$workers LAYOUT=document \
      "$source_dir/tools/web/make-site.sh" "$work/site-$1" "$docs" "$candidate" "$cgi" >/dev/null
    # PAGE_CACHE_MB: the megabytes of pages a worker keeps (unset: the
    # default; 0 measures every request converted afresh).
    if [ -n "${PAGE_CACHE_MB:-}" ]; then
      printf '[PageCache]\n%s\n' "$PAGE_CACHE_MB" >>"$work/site-$1/cgi-bin/scrivlet.cfg"
    fi
    # No access log: each request would cost a write.
    lighttpd -D -f "$work/site-$1/lighttpd.conf" 2>>"$work/server.err" &
    server_pid=$!
    for _ in $(seq 40); do
      kill -0 "$server_pid" 2>/dev/null || break
      if curl -s -o /dev/null "http://127.0.0.1:$candidate/"; then port=$candidate; break; fi
      sleep 0.1
    done
    [ -n "$port" ] && return 0
    stop_server
  done
  echo "lighttpd did not start: $(cat "$work/server.err")" >&2
  exit 1
}

url() { echo "http://127.0.0.1:$port/cgi-bin/scrivlet.cgi?filename=$1"; }

# Milliseconds of a wrk latency ("412.00us", "2.10ms", "1.02s").
milliseconds() {
  awk -v t="$1" 'BEGIN {
    if (t ~ /us$/) printf "%.3f", substr(t, 1, length(t) - 2) / 1000;
    else if (t ~ /ms$/) printf "%.3f", substr(t, 1, length(t) - 2);
    else if (t ~ /s$/) printf "%.3f", substr(t, 1, length(t) - 1) * 1000;
    else print "-" }'
}

# One wrk run: prints "rps p50 p99" (ms).
load() { # CONCURRENCY URL
  local out="$work/wrk.out"
  timeout $((seconds + 30)) wrk -t 1 -c "$1" -d "${seconds}s" --timeout 30s --latency "$2" \
    >"$out" 2>&1 || { echo "wrk failed: $(tail -3 "$out")" >&2; echo "- - -"; return; }
  local rps p50 p99 errors
  rps=$(awk '/^Requests\/sec:/ {print $2}' "$out")
  p50=$(milliseconds "$(awk '$1 == "50%" {print $2}' "$out")")
  p99=$(milliseconds "$(awk '$1 == "99%" {print $2}' "$out")")
  errors=$(grep -E 'Socket errors' "$out" || true)
  [ -z "$errors" ] || echo "note: $errors for $2" >&2
  echo "$rps $p50 $p99"
}

declare -A result
for mode in cgi fastcgi; do
  start_server "$mode"
  for doc in small.docx fifty.pdf missing.docx; do
    # A first request outside the measurement (page cache, worker start).
    curl -s -o /dev/null "$(url "$doc")"
    for concurrency in 1 4 16; do
      result[$mode,$doc,$concurrency]=$(load "$concurrency" "$(url "$doc")")
    done
  done
  stop_server
done

echo
echo "## Requests per second and latency (ms), $workers FastCGI workers, $(nproc) cores"
echo
echo "| document | concurrency | CGI rps | CGI p50 | CGI p99 | FastCGI rps | FastCGI p50 | FastCGI p99 | FastCGI / CGI |"
echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
for doc in small.docx fifty.pdf missing.docx; do
  for concurrency in 1 4 16; do
    read -r crps cp50 cp99 <<<"${result[cgi,$doc,$concurrency]}"
    read -r frps fp50 fp99 <<<"${result[fastcgi,$doc,$concurrency]}"
    ratio=$(awk -v f="$frps" -v c="$crps" 'BEGIN { if (c > 0) printf "%.1f", f / c; else print "-" }')
    echo "| $doc | $concurrency | $crps | $cp50 | $cp99 | $frps | $fp50 | $fp99 | $ratio |"
  done
done

# The mixed requests: every URL a number of times in turn.
urls=()
weights=()
add_url() { urls+=("$1"); weights+=("$2"); }
for doc in small.docx fifty.pdf damaged-small.docx damaged-fifty.pdf missing.docx \
           "..%2F..%2Fetc%2Fpasswd"; do
  add_url "$doc" 20
done
add_url "bomb.docx" 1
if [ -d "$corpus" ]; then
  mkdir -p "$docs/corpus"
  for format in doc docx epub fb2 odp odt pdf wpd wri broken; do
    [ -d "$corpus/$format" ] || continue
    { find "$corpus/$format" -maxdepth 1 -type f -size -2M | LC_ALL=C sort | head -n 6 || true; } |
      while IFS= read -r file; do
        cp "$file" "$docs/corpus/$format-$(basename "$file" | tr -c 'A-Za-z0-9._\n-' '_')"
      done
  done
  for file in "$docs/corpus"/*; do
    add_url "corpus/$(basename "$file")" 10
  done
  corpus_note="$(ls "$docs/corpus" | wc -l) corpus files from $corpus"
else
  corpus_note="no corpus at $corpus: generated documents only"
fi

start_server fastcgi
worker_rss() { # "pid:rss ... sum"
  local total=0 line=""
  for pid in $(ps -o pid= --ppid "$server_pid"); do
    local rss
    rss=$(ps -o rss= -p "$pid" | tr -d ' ')
    line="$line $pid:$rss"
    total=$((total + rss))
  done
  echo "$line  sum $total"
}
sent=0
post_limit() { # COUNT: bodies past the limit (413)
  ab -q -n "$1" -c 4 -p "$work/huge.body" -T application/x-www-form-urlencoded \
    "$(url small.docx)" >/dev/null 2>&1 || true
  sent=$((sent + $1))
}
mixed_until() { # TOTAL
  while [ "$sent" -lt "$1" ]; do
    for i in "${!urls[@]}"; do
      [ "$sent" -lt "$1" ] || break
      local n=${weights[$i]}
      [ $((sent + n)) -le "$1" ] || n=$(($1 - sent))
      ab -q -n "$n" -c 4 -s 60 "$(url "${urls[$i]}")" >/dev/null 2>&1 || true
      sent=$((sent + n))
    done
    if [ "$sent" -lt "$1" ]; then post_limit 4; fi
  done
}
pids_before=$(ps -o pid= --ppid "$server_pid" | tr -d ' ' | sort | tr '\n' ' ')
start=$(date +%s)
mixed_until 1000
rss_first=$(worker_rss)
mixed_until "$mixed_total"
rss_last=$(worker_rss)
pids_after=$(ps -o pid= --ppid "$server_pid" | tr -d ' ' | sort | tr '\n' ' ')
elapsed=$(( $(date +%s) - start ))
stop_server

first_sum=${rss_first##*sum }
last_sum=${rss_last##*sum }
echo
echo "## FastCGI worker memory over $mixed_total mixed requests ($corpus_note; ${elapsed} s)"
echo
echo "| after | RSS kB (pid:rss) |"
echo "| --- | --- |"
echo "| 1,000 requests | $rss_first |"
echo "| $mixed_total requests | $rss_last |"
echo
awk -v a="$first_sum" -v b="$last_sum" 'BEGIN { printf "change: %+.1f %%\n", (b - a) * 100 / a }'
if [ "$pids_before" = "$pids_after" ]; then
  echo "the same worker processes throughout: $pids_after"
else
  echo "workers were replaced during the run: $pids_before -> $pids_after"
fi
