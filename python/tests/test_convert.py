"""scrivlet.convert and scrivlet.read against the command line's output, on
documents of every reader; every exception; the arguments' forms."""

import json
import os
import pathlib
import re

import pytest

import scrivlet
from conftest import run_cli

DOCUMENTS = ["letter.wri", "book.fb2", "structure.docx", "report.doc", "report.docx",
             "minutes.odt", "story.epub", "memo.wpd", "pages.pdf"]
FORMATS = ["plain", "rtf", "html", "html5", "markdown"]


def without_clock(output):
    # The RTF prologue carries the minute it was written.
    return re.sub(r"\\creatim[^}]*", "", output)


@pytest.mark.parametrize("name", DOCUMENTS)
@pytest.mark.parametrize("format", FORMATS)
def test_every_format_is_the_command_lines(documents, name, format):
    status, out, err = run_cli("--format", format, documents / name)
    assert status == 0, err
    assert without_clock(scrivlet.convert(documents / name, format=format)) == \
        without_clock(out.decode("utf-8"))


def test_text_is_the_default_format(documents):
    path = str(documents / "letter.wri")
    assert scrivlet.convert(path) == scrivlet.convert(path, format="plain")
    assert "Dear reader," in scrivlet.convert(path, format="text")


@pytest.mark.parametrize("name", DOCUMENTS)
def test_paths_and_bytes_give_the_same_text(documents, name):
    path = documents / name
    data = path.read_bytes()
    text = scrivlet.convert(str(path))
    assert scrivlet.convert(path) == text  # os.PathLike
    assert scrivlet.convert(os.fsencode(path).decode()) == text
    for source in (data, bytearray(data), memoryview(data)):
        assert scrivlet.convert(source) == text
    # A view with a stride is copied as the bytes it shows.
    doubled = bytes(b for byte in data for b in (byte, 0))
    assert scrivlet.convert(memoryview(doubled)[::2]) == text


@pytest.mark.parametrize("name", DOCUMENTS)
def test_read_is_the_json_object(documents, name):
    status, out, err = run_cli("--json", documents / name)
    assert status == 0, err
    assert scrivlet.read(documents / name) == json.loads(out)
    from_bytes = scrivlet.read((documents / name).read_bytes())
    assert from_bytes.pop("file") is None
    expected = json.loads(out)
    expected.pop("file")
    assert from_bytes == expected


def test_read_gives_the_structure(documents):
    document = scrivlet.read(documents / "structure.docx")
    assert document["reader"] == "docx"
    assert document["blocks"][0] == {"type": "heading", "level": 1, "text": "Harvest report"}
    assert {"label": "1", "text": "Rain in the north."} in document["notes"]
    assert document["error"] is None
    assert scrivlet.read(documents / "minutes.odt")["summary"]["Title"] == "Committee minutes"


def test_a_code_page_is_the_calls_own(documents):
    book = documents / "book.fb2"
    env = dict(os.environ, SCRIVLET_CODEPAGE="1251")
    for format in ("plain", "html"):
        status, out, err = run_cli("--format", format, book, env=env)
        assert status == 0, err
        legacy = scrivlet.convert(book, format=format, code_page=1251)
        assert isinstance(legacy, bytes)
        assert legacy == out
        # The next call without one is UTF-8 again.
        assert isinstance(scrivlet.convert(book, format=format), str)
    assert scrivlet.convert(book, code_page=1251).decode("cp1251") == scrivlet.convert(book)
    # RTF is ASCII whatever the code page; the page and Markdown are UTF-8.
    assert isinstance(scrivlet.convert(book, format="html5", code_page="1251"), str)
    assert isinstance(scrivlet.convert(book, code_page="utf-8"), str)


ERRORS = [
    # document, keyword arguments, exception class
    ("locked.pdf", {}, scrivlet.PasswordRequired),
    ("locked.pdf", {"password": "open up"}, scrivlet.InvalidPassword),
    ("notes.txt", {}, scrivlet.UnsupportedFormat),
    ("letter.wri", {"reader": "pdf"}, scrivlet.UnsupportedFormat),
    ("damaged.doc", {}, scrivlet.DamagedDocument),
    ("inflating.docx", {}, scrivlet.LimitExceeded),
    ("missing.doc", {}, scrivlet.FileNotFound),
    ("missing.txt", {}, scrivlet.FileNotFound),
    (".", {}, scrivlet.Error),
]


@pytest.mark.parametrize("name,options,error", ERRORS)
def test_every_failure_raises_its_class_with_the_programs_message(documents, name, options,
                                                                  error):
    path = documents / name
    args = []
    for key, value in options.items():
        args += ["--" + key, value]
    status, out, err = run_cli(*args, path)
    assert status == 1
    with pytest.raises(error) as raised:
        scrivlet.convert(path, **options)
    assert str(raised.value) == err.rstrip("\n")
    assert isinstance(raised.value, scrivlet.Error)
    with pytest.raises(error):
        scrivlet.read(path, **options)
    if path.is_file():
        with pytest.raises(error):
            scrivlet.convert(path.read_bytes(), **options)


def test_the_error_classes():
    for name in ("PasswordRequired", "InvalidPassword", "UnsupportedFormat", "DamagedDocument",
                 "LimitExceeded", "FileNotFound"):
        assert issubclass(getattr(scrivlet, name), scrivlet.Error)
        assert getattr(scrivlet, name).__module__ == "scrivlet"
    assert issubclass(scrivlet.FileNotFound, FileNotFoundError)
    assert issubclass(scrivlet.Error, Exception)


def test_the_password_opens(documents):
    text = scrivlet.convert(documents / "locked.pdf", password="sesame")
    assert "Behind the password" in text
    assert scrivlet.read(documents / "locked.pdf", password=b"sesame")["encrypted"] is True


@pytest.mark.parametrize("options,message", [
    ({"format": "pdf"}, "--format must be plain, rtf, html, html5 or markdown"),
    ({"items": "text,bogus"}, "--items takes a comma-separated subset of "
                              "text,vba,pictures,summary,hidden,notes,headers,comments"),
    ({"max_length": -1}, "--max-length takes a whole number, 0 or more"),
    ({"reader": "xls"}, "--reader must be one of doc, docx, wpd, wri, odt, odp, fb2, epub, pdf"),
    ({"code_page": 12345}, "code_page 12345 names no supported code page (utf-8, 65001, "
                           "1250-1258, 874, 932, 936, 949, 950, 1361)"),
])
def test_values_the_command_line_refuses_are_value_errors(documents, options, message):
    with pytest.raises(ValueError) as raised:
        scrivlet.convert(documents / "letter.wri", **options)
    assert str(raised.value) == message


@pytest.mark.parametrize("source", [42, None, ["letter.wri"]])
def test_a_source_of_another_type_is_a_type_error(source):
    with pytest.raises(TypeError):
        scrivlet.convert(source)


@pytest.mark.parametrize("options,args", [
    ({"items": ["summary"]}, ["--items", "summary"]),
    ({"items": "text,notes"}, ["--items", "text,notes"]),
    ({"max_length": 12}, ["--max-length", "12"]),
    ({"reader": "docx"}, ["--reader", "docx"]),
])
def test_options_are_the_command_lines(documents, options, args):
    path = documents / "structure.docx"
    status, out, err = run_cli(*args, path)
    assert status == 0, err
    assert scrivlet.convert(path, **options) == out.decode("utf-8")


def test_formats_readers_and_version():
    assert scrivlet.formats() == ["text", "plain", "rtf", "html", "html5", "markdown"]
    status, out, err = run_cli("--help")
    listed = re.search(r"force a reader: ([a-z0-9, ]+)\n", out.decode()).group(1)
    assert scrivlet.readers() == listed.split(", ")
    status, out, err = run_cli("--version")
    assert out.decode() == "scrivlet %s\n" % scrivlet.__version__


def test_a_file_named_dash_is_a_file(tmp_path, monkeypatch, documents):
    monkeypatch.chdir(tmp_path)
    pathlib.Path("-").write_bytes((documents / "letter.wri").read_bytes())
    assert "Dear reader," in scrivlet.convert("-")
