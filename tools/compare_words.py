#!/usr/bin/python3
"""Compares the words scrivlet extracts from PDF files with two peers.

    tools/compare_words.py [--ours COMMAND] [DIR_OR_FILES...]

For each PDF file, the text of scrivlet (by default `build/scrivlet FILE`, the
command-line converter; build/tests/scrivlet_pdf_text gives the PDF layer
alone), of `pdftotext -q -enc UTF-8 FILE -` (poppler-utils) and of
`mutool draw -q -F txt -o - FILE` (mupdf-tools) is cut into words at white
space (after NFKC normalisation, so ligature characters count as their
letters), and the word multisets are compared: F1 = 2 * common / (ours + theirs).
Prints one row per file and the medians; files that fail to convert are
listed with their error.
"""
import argparse
import collections
import os
import statistics
import subprocess
import sys
import unicodedata


def run(command):
    try:
        result = subprocess.run(command, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        return None, "timeout"
    text = result.stdout.decode("utf-8", "replace")
    error = result.stderr.decode("utf-8", "replace").strip().splitlines()
    return text, (error[-1] if error and result.returncode else "")


def words(text):
    return collections.Counter(unicodedata.normalize("NFKC", text).split())


def f1(a, b):
    total = sum(a.values()) + sum(b.values())
    if total == 0:
        return 1.0
    common = sum((a & b).values())
    return 2.0 * common / total


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ours", default="build/scrivlet")
    parser.add_argument("paths", nargs="*", default=["../shared/corpus/pdf"])
    args = parser.parse_args()
    files = []
    for path in args.paths:
        if os.path.isdir(path):
            files += sorted(os.path.join(path, f) for f in os.listdir(path)
                            if f.lower().endswith(".pdf"))
        else:
            files.append(path)
    rows = []
    print("%-48s %7s %7s %7s  %s" % ("file", "poppler", "mupdf", "peers", "note"))
    for path in files:
        ours, error = run(args.ours.split() + [path])
        poppler, _ = run(["pdftotext", "-q", "-enc", "UTF-8", path, "-"])
        mupdf, _ = run(["mutool", "draw", "-q", "-F", "txt", "-o", "-", path])
        w_ours, w_pop, w_mu = words(ours or ""), words(poppler or ""), words(mupdf or "")
        row = (os.path.basename(path), f1(w_ours, w_pop), f1(w_ours, w_mu), f1(w_pop, w_mu))
        rows.append((row, error))
        note = error
        if not note and row[3] >= 0.9 and min(row[1], row[2]) < 0.8:
            note = "BELOW 0.8 WHERE PEERS AGREE"
        print("%-48s %7.3f %7.3f %7.3f  %s" % (row + (note,)))
    converted = [r for r, e in rows if not e]
    if converted:
        print("median F1 (converted files: %d of %d): poppler %.3f, mupdf %.3f" % (
            len(converted), len(rows),
            statistics.median(r[1] for r in converted),
            statistics.median(r[2] for r in converted)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
