"""Conversions in many threads at once: the same results as one after the
other, and the GIL released while a document converts."""

import concurrent.futures
import threading

import scrivlet
from test_convert import DOCUMENTS

# Code pages of every kind side by side: UTF-8, a single-byte and a
# double-byte one (whose converter keeps a state).
CALLS = [(name, format, code_page)
         for name in DOCUMENTS
         for format in ("plain", "html", "html5")
         for code_page in (None, 1251, 932)]
CALLS += [(name, "markdown", None) for name in DOCUMENTS]


def convert(documents, call):
    name, format, code_page = call
    return scrivlet.convert(documents / name, format=format, code_page=code_page)


def test_threads_give_what_one_thread_gives(documents):
    expected = [convert(documents, call) for call in CALLS]
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        for _ in range(3):
            assert list(pool.map(lambda call: convert(documents, call), CALLS)) == expected


def test_a_conversion_lets_other_threads_run(documents):
    # While one thread converts a large document, this one takes turns:
    # with the GIL held by the conversion it could take none until the end
    # (one at most, as the other thread returns).
    data = (documents / "large.docx").read_bytes()
    started, done = threading.Event(), threading.Event()

    def converting():
        started.set()
        try:
            scrivlet.convert(data)
        finally:
            done.set()

    worker = threading.Thread(target=converting)
    worker.start()
    started.wait()
    turns = 0
    while not done.wait(0.0005):
        turns += 1
    worker.join()
    assert turns >= 5
