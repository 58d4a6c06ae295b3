#!/bin/sh
# One line on the corpus tests of a test run, from the report the test
# program appends to (see tests/corpus/CorpusDirectory.h): how many ran,
# how many were skipped, and why.
#
#   summary.sh REPORT_FILE
report=$1
if [ ! -s "$report" ]; then
  echo "Corpus tests: none ran (no test asked for the corpus folder)"
  exit 0
fi
# A test may be reported more than once (run again by ctest): its last line stands.
awk -F'\t' '
  { state[$2] = $1; reason[$2] = $3; folder = $4; present = $5 }
  END {
    for (t in state) {
      if (state[t] == "ran") ran++
      else { skipped++; if (example == "") example = reason[t] }
    }
    line = sprintf("Corpus tests: %d ran, %d skipped", ran, skipped)
    if (present == "absent")
      line = line sprintf(": no corpus folder at %s (SCRIVLET_CORPUS names another)", folder)
    else if (skipped > 0)
      line = line sprintf(" (corpus at %s; for example: %s)", folder, example)
    else
      line = line sprintf(" (corpus at %s)", folder)
    print line
  }' "$report"
