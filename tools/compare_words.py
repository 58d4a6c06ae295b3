#!/usr/bin/python3
"""Compares the words scrivlet extracts from PDF files with two peers.

    tools/compare_words.py [--ours COMMAND] [--bigrams] [DIR_OR_FILES...]

For each PDF file, the text of scrivlet (by default `build/scrivlet FILE`, the
command-line converter; build/tests/scrivlet_pdf_text gives the PDF layer
alone), of `pdftotext -q -enc UTF-8 FILE -` (poppler-utils) and of
`mutool draw -q -F txt -o - FILE` (mupdf-tools) is cut into words at white
space (after NFKC normalisation, so ligature characters count as their
letters), and the word multisets are compared: F1 = 2 * common / (ours + theirs).
Prints one row per file and the medians; files that fail to convert are
listed with their error.

With --bigrams, pairs of neighbouring words are compared as well (a multiset
of (word, next word) over the whole text, so a page read in another order
loses the pairs where its pieces meet): each row then gives the word F1 and
the bigram F1 against pdftotext, the bigram F1 against mutool, the better
of the two and the peers' bigram F1 against each other (low where they read
the page in different orders), with the medians of each column.
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


def word_list(text):
    return unicodedata.normalize("NFKC", text).split()


def words(text):
    return collections.Counter(word_list(text))


def bigrams(text):
    w = word_list(text)
    return collections.Counter(zip(w, w[1:]))


def f1(a, b):
    total = sum(a.values()) + sum(b.values())
    if total == 0:
        return 1.0
    common = sum((a & b).values())
    return 2.0 * common / total


def compare_bigrams(ours_command, files):
    rows = []
    print("%-48s %7s %7s %7s %7s %7s  %s" % (
        "file", "word", "bi-pop", "bi-mu", "bi-best", "peers", "note"))
    for path in files:
        ours, error = run(ours_command.split() + [path])
        poppler, _ = run(["pdftotext", "-q", "-enc", "UTF-8", path, "-"])
        mupdf, _ = run(["mutool", "draw", "-q", "-F", "txt", "-o", "-", path])
        b_ours = bigrams(ours or "")
        row = (os.path.basename(path), f1(words(ours or ""), words(poppler or "")),
               f1(b_ours, bigrams(poppler or "")), f1(b_ours, bigrams(mupdf or "")))
        row += (max(row[2], row[3]), f1(bigrams(poppler or ""), bigrams(mupdf or "")))
        rows.append((row, error))
        print("%-48s %7.3f %7.3f %7.3f %7.3f %7.3f  %s" % (row + (error,)))
    converted = [r for r, e in rows if not e]
    if converted:
        print("median (converted files: %d of %d): word %.3f, bigram poppler %.3f, "
              "mupdf %.3f, best %.3f, peers %.3f" % (
                  len(converted), len(rows),
                  *(statistics.median(r[i] for r in converted) for i in range(1, 6))))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ours", default="build/scrivlet")
    parser.add_argument("--bigrams", action="store_true",
                        help="compare pairs of neighbouring words too (reading order)")
    parser.add_argument("paths", nargs="*", default=["../shared/corpus/pdf"])
    args = parser.parse_args()
    files = []
    for path in args.paths:
        if os.path.isdir(path):
            files += sorted(os.path.join(path, f) for f in os.listdir(path)
                            if f.lower().endswith(".pdf"))
        else:
            files.append(path)
    if args.bigrams:
        return compare_bigrams(args.ours, files)
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
