"""No memory kept across calls: the resident size after 10,000 calls of
every kind (path, bytes, read, a failure) is that after the first 1,000."""

import os

import pytest

import scrivlet


def resident_kib():
    with open("/proc/self/statm") as statm:
        pages = int(statm.read().split()[1])
    return pages * os.sysconf("SC_PAGE_SIZE") // 1024


def one_round(documents, data, missing):
    scrivlet.convert(documents / "letter.wri")
    scrivlet.convert(data, format="html5")
    scrivlet.read(data)
    with pytest.raises(scrivlet.FileNotFound):
        scrivlet.convert(missing)
    with pytest.raises(scrivlet.PasswordRequired):
        scrivlet.convert(documents / "locked.pdf")


def test_ten_thousand_calls_keep_no_memory(documents):
    data = (documents / "structure.docx").read_bytes()
    missing = documents / "missing.doc"
    for _ in range(1000):
        one_round(documents, data, missing)
    before = resident_kib()
    for _ in range(10000):
        one_round(documents, data, missing)
    grown = resident_kib() - before
    print("resident size grew by %d KiB over 10,000 rounds of 5 calls" % grown)
    # A leak of even 100 bytes a call would be 5 MB.
    assert grown < 2048
