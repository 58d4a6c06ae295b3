# Sourced by end_to_end_web.sh in each mode, after the document layout:
# the time limit, and in FastCGI mode a worker that dies.  Uses its work,
# out, site, docs, base and mode variables, server_pid, workers_of_server
# and its fetch, expect_in and fail functions.

# A conversion past the time limit answers its own page.  slow.docx takes
# far longer than 50 ms to convert; the rest of the site is unchanged.
cat >>"$site/cgi-bin/scrivlet.cfg" <<CFG
[TimeLimit]
0.05
CFG
fetch slow "filename=slow.docx"
expect_in "$out/slow.head" "HTTP/1.1 503" "time limit status"
expect_in "$out/slow.html" '<h1>The conversion took longer than the limit of 0.05 s</h1>' \
  "time limit message"
# The next request is answered: in FastCGI mode by the other worker or a
# fresh one, as that worker has ended.
fetch after-slow "filename=structure.docx"
expect_in "$out/after-slow.head" "HTTP/1.1 200" "the request after a time limit"
expect_in "$out/after-slow.html" '<h1>Harvest report</h1>' "the page after a time limit"

if [ "$mode" = fastcgi ]; then
  # The worker that ended at the time limit is started again by lighttpd
  # (at its next check, within a second or so): wait for both, so that the
  # worker killed below is not the only one running.
  for wait in $(seq 40); do
    [ "$(workers_of_server | grep -c .)" -eq 2 ] && break
    sleep 0.25
  done
  fetch before-kill "filename=letter.wri"
  # Each worker answers in turn until it is killed; lighttpd then starts
  # another, and no request goes unanswered meanwhile.
  victim=$(workers_of_server | head -1)
  if [ -z "$victim" ]; then
    fail "no FastCGI worker runs under lighttpd (pid $server_pid)"
  else
    kill -KILL "$victim"
    for round in 1 2 3 4 5 6; do
      fetch "after-kill-$round" "filename=letter.wri"
      expect_in "$out/after-kill-$round.head" "HTTP/1.1 200" "request $round after a worker was killed"
    done
    # Both workers run again, the killed one replaced.
    restarted=""
    for wait in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
      workers=$(workers_of_server)
      if [ "$(echo "$workers" | grep -c .)" -eq 2 ] && ! echo "$workers" | grep -qx "$victim"; then
        restarted=yes
        break
      fi
      fetch "after-kill-wait" "filename=letter.wri"
      sleep 0.25
    done
    [ -n "$restarted" ] || fail "the killed worker $victim was not replaced: workers $(workers_of_server | tr '\n' ' ')"
    fetch after-restart "filename=structure.docx"
    expect_in "$out/after-restart.head" "HTTP/1.1 200" "a request once the worker is replaced"
  fi
fi
