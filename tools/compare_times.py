#!/usr/bin/python3
"""Whole-process time of scrivlet against `mutool draw -F txt` on PDF files.

    tools/compare_times.py [--ours COMMAND] [--runs N] [DIR_OR_FILES...]

Runs both commands side by side under hyperfine for each file (so both see
the same machine load) and prints each file's mean times and their ratio
(ours / mutool), then the median ratio.  Files ours cannot convert (such as
encrypted ones without the security handler) are skipped.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ours", default="build/scrivlet")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("paths", nargs="*", default=["../shared/corpus/pdf"])
    args = parser.parse_args()
    files = []
    for path in args.paths:
        if os.path.isdir(path):
            files += sorted(os.path.join(path, f) for f in os.listdir(path)
                            if f.lower().endswith(".pdf"))
        else:
            files.append(path)
    ratios = []
    for path in files:
        if subprocess.run(args.ours.split() + [path], capture_output=True).returncode != 0:
            print("%-48s skipped (ours fails)" % os.path.basename(path))
            continue
        with tempfile.NamedTemporaryFile(suffix=".json") as report:
            subprocess.run(["hyperfine", "-N", "-i", "-w", "2", "-r", str(args.runs), "--export-json",
                            report.name, "--output=null",
                            " ".join(args.ours.split() + [path]),
                            "mutool draw -q -F txt -o /dev/null " + path],
                           capture_output=True, check=True)
            results = json.load(open(report.name))["results"]
        ours, theirs = results[0]["mean"], results[1]["mean"]
        ratios.append(ours / theirs)
        print("%-48s ours %8.1f ms  mutool %8.1f ms  ratio %.2f" % (
            os.path.basename(path), ours * 1000, theirs * 1000, ours / theirs))
    if ratios:
        print("median ratio over %d files: %.2f" % (len(ratios), statistics.median(ratios)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
