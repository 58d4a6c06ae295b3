"""Scrivlet: the text, a page or the structure of documents, in Python.

    import scrivlet
    text = scrivlet.convert("report.docx")             # or the document's bytes
    page = scrivlet.convert("report.docx", format="html5")
    doc = scrivlet.read("book.epub")                   # the --json object as a dict

Formats read: Word 97-2003 and older (.doc), Word 2007+ (.docx),
WordPerfect (.wpd), Write (.wri), OpenDocument (.odt, .odp), FictionBook
(.fb2), EPUB and PDF.  The reader is told from the content.

Every failure is a scrivlet.Error: PasswordRequired, InvalidPassword,
UnsupportedFormat, DamagedDocument, LimitExceeded, FileNotFound (also a
FileNotFoundError).  The message is the command line's.

A conversion releases the GIL: threads convert at once.  Nothing is kept
between calls, and every setting (the code page included) is the call's
own.  scrivlet.dask spreads conversions over a Dask cluster.
"""

import json as _json

from ._scrivlet import (
    DamagedDocument,
    Error,
    FileNotFound,
    InvalidPassword,
    LimitExceeded,
    PasswordRequired,
    UnsupportedFormat,
    __version__,
    convert,
    formats,
    readers,
)
from . import _scrivlet

__all__ = [
    "convert",
    "read",
    "formats",
    "readers",
    "Error",
    "PasswordRequired",
    "InvalidPassword",
    "UnsupportedFormat",
    "DamagedDocument",
    "LimitExceeded",
    "FileNotFound",
    "__version__",
]


def read(source, *, format="text", items=None, password=None, max_length=None, reader=None,
         code_page=None):
    """Reads a document into the object that the command line's --json writes.

    Returns a dict: "file" (the path as given; None for bytes), "reader",
    "text", "lines", "summary" (None for formats without one), "stories",
    "blocks", "notes", "encrypted" and "error" (None).  The arguments are
    those of convert(); format="rtf" gives the text as RTF output writes it.
    Raises as convert() does.
    """
    document = _json.loads(
        _scrivlet._read_json(source, format=format, items=items, password=password,
                             max_length=max_length, reader=reader, code_page=code_page))
    if isinstance(source, (bytes, bytearray, memoryview)):
        document["file"] = None
    return document
