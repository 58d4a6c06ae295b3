#!/usr/bin/python3
"""Measures how well scrivlet's structural reading of documents matches pandoc's.

    tools/compare_structure.py [--scrivlet PATH] [--format-median] [--json-out FILE]
                               [--threshold 0.8] FILES_OR_DIRS...

What is compared. For every document, two structures are read:

- ours: `scrivlet --json FILE` (PATH defaults to build/scrivlet under the repository
  root), its "blocks" and "notes" lists. Headings give (level, text), list items give
  their text, tables give the text of every cell, notes give their text. The "[label]"
  markers that block text carries for each note are removed first. A missing "blocks"
  or "notes" key counts as an empty list.
- theirs: `pandoc -t json FILE` for .docx, .odt, .epub and .fb2. A .doc, .dot, .wpd or
  .wri file is first converted to .docx by LibreOffice (`soffice --headless
  --convert-to docx`, with a profile of its own), and pandoc reads that; conversions
  are cached under /tmp/scrivlet-structure-cache, keyed by path, size and mtime, so
  reruns are quick. Pandoc's AST is walked: Header (level, text); BulletList and
  OrderedList items (the text of an item's own Plain/Para blocks; a nested list's
  items count as items of their own); Table cells (the text of all their blocks; the
  table AST of pandoc >= 2.10 with head/bodies/foot rows, and the older
  headers/rows one); Note inlines (the text of the note's blocks, taken out of the
  surrounding text). Pandoc's EPUB reader makes no Note inlines: there the items
  of a Div of class "footnotes" or "endnotes" (as pandoc-made EPUBs have) count as
  notes. Image alt text and raw inlines are left out. A .docx or .odt that pandoc
  alone cannot read, or reads as empty, goes through LibreOffice too.

Text is normalised on both sides: Unicode NFKC, quote characters and invisible
format characters (soft hyphen, zero-width joiners, marks of direction) removed,
white space collapsed, stripped and casefolded. Empty strings (such as empty table
cells) are dropped: matching them would say nothing.

Each kind is scored as an F1 over multisets: matched = the size of the multiset
intersection, precision = matched / ours, recall = matched / theirs, F1 = 2 * matched
/ (ours + theirs). A kind empty on both sides is absent ("-"), not 1.0; a kind empty
on one side only scores 0; a kind that the reference cannot read at all (tables of
.fb2 files, which pandoc drops) is shown as "n/r" and never scored. Kinds: "headings" by (level, text), "heading-text" by
text alone, "list-items", "table-cells" and "notes" by text.

Output: one line per file with "F1 (ours/theirs)" per kind; then, per format (the
file's extension), the median F1 of each kind over the files where that kind is
present on either side; then the files where some kind scores below the threshold.
--format-median prints only those two summaries. A reference that cannot be made
(pandoc or soffice fails or takes more than 120 s, reads no text where scrivlet
reads some, or there is no reference reader for the format, such as .pdf or .odp)
is reported and the file is left out of the medians.
--json-out FILE saves every file's counts, scores and unmatched items.
"""
import argparse
import codecs
import collections
import hashlib
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import unicodedata

TIMEOUT = 120
CACHE_DIR = "/tmp/scrivlet-structure-cache"
PANDOC_FORMATS = {"docx": "docx", "odt": "odt", "epub": "epub", "fb2": "fb2"}
SOFFICE_FORMATS = {"doc", "dot", "wpd", "wri"}
FORMAT_ALIASES = {"dot": "doc"}
OTHER_FORMATS = {"pdf", "odp"}
# Kinds the reference leaves out whole: pandoc 2.17's FictionBook reader drops tables.
UNREAD_BY_REFERENCE = {"fb2": {"table-cells"}}
KINDS = ("headings", "heading-text", "list-items", "table-cells", "notes")
QUOTES = "\"'\u2018\u2019\u201a\u201b\u201c\u201d\u201e\u201f\u00ab\u00bb\u2039\u203a"
QUOTE_TABLE = {ord(c): None for c in QUOTES}


# ---------------------------------------------------------------- running commands

def run(command, timeout=TIMEOUT):
    """Runs a command; returns (stdout bytes or None, error message or "")."""
    try:
        result = subprocess.run(command, capture_output=True, timeout=timeout,
                                stdin=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return None, "timed out after %d s" % timeout
    except OSError as error:
        return None, str(error)
    if result.returncode != 0:
        lines = result.stderr.decode("utf-8", "replace").strip().splitlines()
        return result.stdout, "exit %d: %s" % (result.returncode,
                                                lines[-1] if lines else "")
    return result.stdout, ""


def file_format(path):
    extension = os.path.splitext(path)[1].lower().lstrip(".")
    return FORMAT_ALIASES.get(extension, extension)


def cache_key(path):
    stat = os.stat(path)
    key = "%s\0%d\0%d" % (os.path.abspath(path), stat.st_size, stat.st_mtime_ns)
    return hashlib.sha1(key.encode("utf-8", "surrogateescape")).hexdigest()


def soffice_to_docx(path):
    """Converts PATH to .docx with LibreOffice; returns (docx path or None, error)."""
    target = os.path.join(CACHE_DIR, cache_key(path) + ".docx")
    if os.path.exists(target):
        return target, ""
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        return None, "soffice not found (apt-get install libreoffice-writer-nogui)"
    os.makedirs(CACHE_DIR, exist_ok=True)
    profile = "file://" + os.path.join(CACHE_DIR, "lo-profile")
    with tempfile.TemporaryDirectory(dir=CACHE_DIR) as out_dir:
        _, error = run([soffice, "-env:UserInstallation=" + profile, "--headless",
                        "--convert-to", "docx", "--outdir", out_dir,
                        os.path.abspath(path)])
        produced = [name for name in os.listdir(out_dir) if name.endswith(".docx")]
        if not produced:
            return None, "soffice: " + (error or "no .docx written")
        os.replace(os.path.join(out_dir, produced[0]), target)
    return target, ""


def fb2_as_utf8(path):
    """PATH, or a UTF-8 copy of it when its XML declaration names another encoding.

    Pandoc's FictionBook reader ignores the declaration and reads such a file
    (Windows-1251 is common) as Latin-1."""
    with open(path, "rb") as source:
        data = source.read()
    declaration = re.match(rb"\s*<\?xml[^>]*?encoding\s*=\s*[\"']([-\w.:]+)[\"']", data)
    if not declaration:
        return path
    name = declaration.group(1).decode("ascii")
    try:
        if codecs.lookup(name).name == "utf-8":
            return path
        text = data.decode(name, "replace")
    except LookupError:
        return path
    text = re.sub(r"(<\?xml[^>]*?encoding\s*=\s*[\"'])[^\"']+", r"\1UTF-8", text, count=1)
    os.makedirs(CACHE_DIR, exist_ok=True)
    target = os.path.join(CACHE_DIR, cache_key(path) + ".fb2")
    with open(target, "w", encoding="utf-8") as copy:
        copy.write(text)
    return target


def has_text(value):
    """True when a pandoc AST (or part of it) holds a non-empty Str, Code or Math."""
    if isinstance(value, dict):
        if value.get("t") == "Str":
            return bool(value["c"].strip())
        if value.get("t") in ("Code", "Math", "CodeBlock"):
            return bool(value["c"][1].strip())
        return any(has_text(v) for v in value.values())
    if isinstance(value, list):
        return any(has_text(v) for v in value)
    return False


def reference_ast(path):
    """Pandoc's reading of PATH: (AST or None, error, route).

    A .docx or .odt that pandoc cannot read, or reads as empty, is tried once more
    through LibreOffice (pandoc 2.17 reads some ODF 1.2 files as nothing, and no
    Strict Office Open XML)."""
    ast, error, route = pandoc_ast(path)
    if file_format(path) in ("docx", "odt") and (ast is None or not has_text(ast)):
        retry, retry_error, retry_route = pandoc_ast(path, through_soffice=True)
        if retry is not None and has_text(retry):
            alone = error or "read no text"
            return retry, "", "%s (pandoc alone: %s)" % (retry_route, alone)
    return ast, error, route


def pandoc_ast(path, through_soffice=False):
    """Returns (pandoc's JSON AST of PATH or None, error, reference description)."""
    fmt = file_format(path)
    if fmt in SOFFICE_FORMATS or through_soffice:
        source, error = soffice_to_docx(path)
        if not source:
            return None, error, "soffice+pandoc"
        reader, route = "docx", "soffice+pandoc"
    elif fmt == "fb2":
        source, reader, route = fb2_as_utf8(path), "fb2", "pandoc"
    elif fmt in PANDOC_FORMATS:
        source, reader, route = path, PANDOC_FORMATS[fmt], "pandoc"
    else:
        return None, "no reference reader for .%s" % fmt, "none"
    if not shutil.which("pandoc"):
        return None, "pandoc not found (apt-get install pandoc)", route
    output, error = run(["pandoc", "-f", reader, "-t", "json", source])
    if error or output is None:
        return None, "pandoc: " + (error or "no output"), route
    try:
        return json.loads(output.decode("utf-8")), "", route
    except ValueError as exc:
        return None, "pandoc: unreadable JSON (%s)" % exc, route


def scrivlet_json(binary, path):
    """Returns (our JSON object, error); a failed document still gives its object."""
    output, error = run([binary, "--json", path])
    if output:
        try:
            document = json.loads(output.decode("utf-8").splitlines()[0])
            return document, document.get("error") or ""
        except (ValueError, IndexError):
            pass
    return {}, "scrivlet: " + (error or "no JSON")


# ---------------------------------------------------------------- pandoc's AST

class Structure:
    """The items of each kind read from one side, raw (not yet normalised)."""

    def __init__(self):
        self.headings = []    # (level, text)
        self.list_items = []  # (level, ordered, text)
        self.cells = []       # text
        self.notes = []       # text


def inline_text(inlines, found):
    """Plain text of a list of pandoc inlines; Note contents go to found.notes."""
    parts = []
    for inline in inlines or []:
        kind, content = inline.get("t"), inline.get("c")
        if kind == "Str":
            parts.append(content)
        elif kind in ("Space", "SoftBreak", "LineBreak"):
            parts.append(" ")
        elif kind in ("Emph", "Strong", "Underline", "Strikeout", "Superscript",
                      "Subscript", "SmallCaps"):
            parts.append(inline_text(content, found))
        elif kind in ("Span", "Quoted", "Cite"):
            # [attr, inlines], [quote type, inlines], [citations, inlines]: quote
            # characters are dropped by the normalisation, so none are added here.
            parts.append(inline_text(content[1], found))
        elif kind == "Link":
            if "footnote-back" not in content[0][1]:  # an EPUB note's "back" arrow
                parts.append(inline_text(content[1], found))
        elif kind == "Code":
            parts.append(content[1])
        elif kind == "Math":
            parts.append(MATH_TEXT.get(content[1], content[1]))
        elif kind == "Note":
            found.notes.append(blocks_text(content, found))
        elif kind == "RawInline" and content[0] == "html" and \
                re.fullmatch(r"<br\s*/?>", content[1].strip(), re.I):
            parts.append(" ")  # a line break in a Markdown table cell
        # Image (alt text), other RawInline: left out.
    return "".join(parts)


def table_cell_blocks(content):
    """Yields the block list of every cell of a Table, old or new AST."""
    if len(content) == 5:  # before pandoc 2.10: caption aligns widths headers rows
        for cell in content[3]:
            yield cell
        for row in content[4]:
            for cell in row:
                yield cell
        return
    # pandoc >= 2.10: attr caption colspecs head bodies foot
    _, _, _, head, bodies, foot = content
    rows = list(head[1])
    for body in bodies:       # [attr, row head columns, head rows, body rows]
        rows.extend(body[2])
        rows.extend(body[3])
    rows.extend(foot[1])
    for row in rows:          # [attr, cells]
        for cell in row[1]:   # [attr, alignment, row span, column span, blocks]
            yield cell[4]


def table_caption_notes(content, found):
    """Reads a Table's caption only for the notes it may hold."""
    if len(content) == 5:
        inline_text(content[0], found)
    else:                     # caption: [short caption or null, blocks]
        blocks_text(content[1][1], found)


def blocks_text(blocks, found):
    """Plain text of a list of blocks (for cells and notes): every block's text."""
    parts = []
    for block in blocks or []:
        kind, content = block.get("t"), block.get("c")
        if kind in ("Plain", "Para"):
            parts.append(inline_text(content, found))
        elif kind == "Header":
            parts.append(inline_text(content[2], found))
        elif kind == "LineBlock":
            parts.extend(inline_text(line, found) for line in content)
        elif kind == "CodeBlock":
            parts.append(content[1])
        elif kind in ("BlockQuote",):
            parts.append(blocks_text(content, found))
        elif kind in ("Div", "Figure"):
            parts.append(blocks_text(content[-1], found))
        elif kind == "BulletList":
            parts.extend(blocks_text(item, found) for item in content)
        elif kind == "OrderedList":
            parts.extend(blocks_text(item, found) for item in content[1])
        elif kind == "DefinitionList":
            for term, definitions in content:
                parts.append(inline_text(term, found))
                parts.extend(blocks_text(d, found) for d in definitions)
        elif kind == "Table":
            parts.extend(blocks_text(cell, found) for cell in table_cell_blocks(content))
    return " ".join(parts)


def walk_list(items, ordered, list_level, found):
    """Each item's own Plain/Para text at list_level + 1; nested lists go deeper."""
    level = list_level + 1
    for item in items:
        own = []
        item_text(item, level, own, found)
        found.list_items.append((level, ordered, " ".join(own)))


def item_text(blocks, level, own, found):
    """Adds the text of an item's own paragraphs (also inside Divs) to own."""
    for block in blocks:
        kind, content = block.get("t"), block.get("c")
        if kind in ("Plain", "Para"):
            own.append(inline_text(content, found))
        elif kind == "LineBlock":
            own.extend(inline_text(line, found) for line in content)
        elif kind in ("Div", "BlockQuote"):
            # an item's text that a reader wrapped in a quote or division
            item_text(content[1] if kind == "Div" else content, level, own, found)
        else:
            walk_blocks([block], found, level)


def is_note_section(block):
    """Pandoc's EPUB reader keeps notes as a list in a Div of class "footnotes"."""
    classes = block["c"][0][1]
    return "footnotes" in classes or "endnotes" in classes


def note_section_notes(blocks, found):
    for block in blocks:
        if block.get("t") == "OrderedList":
            found.notes.extend(blocks_text(item, found) for item in block["c"][1])
        elif block.get("t") == "BulletList":
            found.notes.extend(blocks_text(item, found) for item in block["c"])


def walk_blocks(blocks, found, list_level=0):
    """Collects headings, list items, table cells and notes from pandoc blocks."""
    for block in blocks or []:
        kind, content = block.get("t"), block.get("c")
        if kind == "Header":
            found.headings.append((content[0], inline_text(content[2], found)))
        elif kind == "BulletList":
            walk_list(content, False, list_level, found)
        elif kind == "OrderedList":
            walk_list(content[1], True, list_level, found)
        elif kind == "Table":
            table_caption_notes(content, found)
            for cell in table_cell_blocks(content):
                found.cells.append(blocks_text(cell, found))
        elif kind == "BlockQuote":
            walk_blocks(content, found, list_level)
        elif kind == "Div" and is_note_section(block):
            note_section_notes(content[1], found)
        elif kind in ("Div", "Figure"):
            walk_blocks(content[-1], found, list_level)
        elif kind == "DefinitionList":
            for term, definitions in content:
                inline_text(term, found)
                for definition in definitions:
                    walk_blocks(definition, found, list_level)
        elif kind in ("Plain", "Para"):
            inline_text(content, found)
        elif kind == "LineBlock":
            for line in content:
                inline_text(line, found)
        # CodeBlock, RawBlock, HorizontalRule, Null: no structure of these kinds.


# TeX of the document's Math inlines -> their text as pandoc's plain writer
# gives it (Unicode, as the documents' own equations read), filled per file.
MATH_TEXT = {}


def collect_math(value, found):
    if isinstance(value, dict):
        if value.get("t") == "Math":
            found.add(value["c"][1])
        else:
            collect_math(value.get("c"), found)
    elif isinstance(value, list):
        for part in value:
            collect_math(part, found)


def math_as_text(ast):
    """Renders every Math inline of the AST in one pandoc call."""
    MATH_TEXT.clear()
    formulas = set()
    collect_math(ast.get("blocks") if isinstance(ast, dict) else ast, formulas)
    if not formulas or not shutil.which("pandoc"):
        return
    formulas = sorted(formulas)
    source = "\n\n".join("$%s$" % formula.replace("\n", " ") for formula in formulas)
    try:
        done = subprocess.run(["pandoc", "-f", "markdown", "-t", "plain", "--wrap=none"],
                              input=source.encode("utf-8"), capture_output=True,
                              timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return
    rendered = done.stdout.decode("utf-8", "replace").strip().split("\n\n")
    if done.returncode == 0 and len(rendered) == len(formulas):
        MATH_TEXT.update(zip(formulas, rendered))


def pandoc_structure(ast):
    found = Structure()
    math_as_text(ast)
    blocks = ast["blocks"] if isinstance(ast, dict) else ast[1]  # very old: [meta, blocks]
    walk_blocks(blocks, found)
    return found


def pandoc_meta_title(ast):
    """Pandoc moves a docx "Title" paragraph to the metadata: kept for the details."""
    if not isinstance(ast, dict):
        return None
    title = ast.get("meta", {}).get("title")
    if title and title.get("t") in ("MetaInlines", "MetaString"):
        content = title["c"]
        return content if isinstance(content, str) else inline_text(content, Structure())
    return None


# ---------------------------------------------------------------- our JSON

def cell_text(cell):
    if isinstance(cell, str):
        return cell
    if isinstance(cell, dict):
        return cell.get("text") or cell_text(cell.get("blocks", []))
    if isinstance(cell, list):
        return " ".join(cell_text(part) for part in cell)
    return ""


def strip_markers(text, labels):
    # A reference follows its word directly ("Button[1]."), as pandoc's text
    # has no marker there at all.
    for label in labels:
        text = text.replace("[%s]" % label, "")
    return text


def our_structure(document, deepest_heading=9):
    """Our blocks and notes; headings deeper than deepest_heading count at that
    level (Markdown has six)."""
    found = Structure()
    notes = document.get("notes") or []
    labels = sorted({str(note.get("label", "")) for note in notes if note.get("label")},
                    key=len, reverse=True)
    for block in document.get("blocks") or []:
        kind = block.get("type")
        text = strip_markers(block.get("text") or "", labels)
        if kind == "heading":
            level = block.get("level")
            found.headings.append((min(level, deepest_heading) if level else level, text))
        elif kind == "list-item":
            found.list_items.append((block.get("level"), block.get("ordered"), text))
        elif kind == "table":
            for row in block.get("rows") or []:
                for cell in row:
                    found.cells.append(strip_markers(cell_text(cell), labels))
    found.notes = [note.get("text") or "" for note in notes]
    return found


# ---------------------------------------------------------------- comparing

def normalise(text):
    text = unicodedata.normalize("NFKC", text).translate(QUOTE_TABLE)
    text = "".join(c for c in text if unicodedata.category(c) != "Cf")
    text = re.sub(r"\s+", " ", text).strip().casefold()
    # Equations: pandoc spaces the operators, the documents' own math text
    # does not ("a = πr2" against "a=πr2").
    return re.sub(r" ?([=+\u2212\u00d7\u00f7<>]) ?", r"\1", text)


def keyed(structure):
    """The multisets to compare, per kind, of normalised non-empty keys."""
    def texts(values):
        return collections.Counter(t for t in map(normalise, values) if t)
    return {
        "headings": collections.Counter(
            (level, normalise(text)) for level, text in structure.headings
            if normalise(text)),
        "heading-text": texts(text for _, text in structure.headings),
        "list-items": texts(text for _, _, text in structure.list_items),
        "table-cells": texts(structure.cells),
        # Each note once: pandoc repeats a note at every reference to it.
        "notes": collections.Counter(set(texts(structure.notes))),
    }


def score(ours, theirs):
    """F1 of two multisets; None when both are empty."""
    matched = sum((ours & theirs).values())
    n_ours, n_theirs = sum(ours.values()), sum(theirs.values())
    result = {"ours": n_ours, "theirs": n_theirs, "matched": matched, "f1": None,
              "precision": None, "recall": None}
    if n_ours + n_theirs:
        result["f1"] = 2.0 * matched / (n_ours + n_theirs)
        result["precision"] = matched / n_ours if n_ours else 0.0
        result["recall"] = matched / n_theirs if n_theirs else 0.0
    result["only_ours"] = sorted(map(str, (ours - theirs).elements()))
    result["only_theirs"] = sorted(map(str, (theirs - ours).elements()))
    return result


def markdown_ast(binary, path):
    """Pandoc's reading (-f gfm) of our own --format markdown of PATH."""
    output, error = run([binary, "--format", "markdown", path])
    if output is None or error:
        return None, "scrivlet --format markdown: " + (error or "no output"), "markdown"
    try:
        done = subprocess.run(["pandoc", "-f", "gfm", "-t", "json"], input=output,
                              capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return None, "pandoc: timed out", "markdown"
    if done.returncode != 0:
        return None, "pandoc: exit %d" % done.returncode, "markdown"
    return json.loads(done.stdout.decode("utf-8")), "", "markdown+pandoc"


def compare_file(path, binary, round_trip=False):
    record = {"file": path, "format": file_format(path)}
    ast, error, route = markdown_ast(binary, path) if round_trip else reference_ast(path)
    record["reference"] = route
    if ast is None:
        record["reference_error"] = error
        return record
    document, our_error = scrivlet_json(binary, path)
    if not has_text(ast) and (document.get("text") or "").strip():
        record["reference_error"] = "%s read no text, scrivlet did" % route
        return record
    record["our_error"] = our_error or None
    record["has_blocks"] = "blocks" in document
    record["pandoc_title"] = pandoc_meta_title(ast)
    ours = keyed(our_structure(document, 6 if round_trip else 9))
    theirs = keyed(pandoc_structure(ast))
    record["kinds"] = {kind: score(ours[kind], theirs[kind]) for kind in KINDS}
    for kind in () if round_trip else UNREAD_BY_REFERENCE.get(record["format"], ()):
        record["kinds"][kind].update(f1=None, precision=None, recall=None,
                                     unread_by_reference=True)
    return record


# ---------------------------------------------------------------- reporting

def collect_files(arguments):
    known = set(PANDOC_FORMATS) | SOFFICE_FORMATS | OTHER_FORMATS
    files = []
    for argument in arguments:
        if os.path.isdir(argument):
            for root, dirs, names in os.walk(argument):
                dirs.sort()
                files.extend(os.path.join(root, name) for name in sorted(names)
                             if os.path.splitext(name)[1].lower().lstrip(".") in known)
        else:
            files.append(argument)
    return files


def format_score(result):
    if result.get("unread_by_reference"):
        return "n/r (%d/-)" % result["ours"]
    if result["f1"] is None:
        return "-"
    return "%.2f (%d/%d)" % (result["f1"], result["ours"], result["theirs"])


def print_file_line(record, width):
    name = record["file"].ljust(width)
    if "reference_error" in record:
        print("%s  reference failed: %s" % (name, record["reference_error"]))
        return
    cells = ["%s %s" % (kind, format_score(record["kinds"][kind])) for kind in KINDS]
    line = name + "  " + "  ".join(cells)
    if "pandoc alone" in record["reference"]:
        line += "  [reference through soffice]"
    if record["our_error"]:
        line += "  [ours: %s]" % record["our_error"]
    print(line)


def format_medians(records):
    by_format = collections.defaultdict(lambda: collections.defaultdict(list))
    for record in records:
        for kind, result in record.get("kinds", {}).items():
            if result["f1"] is not None:
                by_format[record["format"]][kind].append(result["f1"])
    return {fmt: {kind: (statistics.median(values), len(values))
                  for kind, values in kinds.items()}
            for fmt, kinds in by_format.items()}


def print_medians(medians):
    print("\nmedian F1 per format (files where the kind is present on either side):")
    print("  %-6s " % "format" + " ".join("%-16s" % kind for kind in KINDS))
    for fmt in sorted(medians):
        row = []
        for kind in KINDS:
            value = medians[fmt].get(kind)
            row.append("%-16s" % ("%.2f (n=%d)" % value if value else "-"))
        print("  %-6s " % fmt + " ".join(row))


def low_files(records, threshold):
    low = []
    for record in records:
        weak = ["%s %.2f" % (kind, result["f1"])
                for kind, result in record.get("kinds", {}).items()
                if result["f1"] is not None and result["f1"] < threshold]
        if weak:
            low.append((record["file"], weak))
    return low


def print_low(low, threshold, failed):
    print("\nfiles with a kind below %.2f: %d" % (threshold, len(low)))
    for name, weak in low:
        print("  %s: %s" % (name, ", ".join(weak)))
    if failed:
        print("\nfiles without a reference: %d" % len(failed))
        for record in failed:
            print("  %s: %s" % (record["file"], record["reference_error"]))


def parse_arguments():
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(
        description="Compares scrivlet's blocks and notes with pandoc's reading.")
    parser.add_argument("paths", nargs="+", metavar="FILES_OR_DIRS")
    parser.add_argument("--scrivlet", default=os.path.join(repo, "build", "scrivlet"),
                        help="the command-line converter (default: build/scrivlet)")
    parser.add_argument("--format-median", action="store_true",
                        help="print only the per-format medians and the weak files")
    parser.add_argument("--json-out", metavar="FILE",
                        help="save every file's counts, scores and unmatched items")
    parser.add_argument("--markdown-round-trip", action="store_true",
                        help="compare with pandoc's reading of our own --format markdown "
                             "instead of the document")
    parser.add_argument("--threshold", type=float, default=0.8,
                        help="list files with a kind below this F1 (default 0.8)")
    return parser.parse_args()


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet when piped into head
    args = parse_arguments()
    if not os.access(args.scrivlet, os.X_OK):
        sys.exit("%s: not an executable (build it, or give --scrivlet)" % args.scrivlet)
    files = collect_files(args.paths)
    width = max((len(f) for f in files), default=0)
    records = []
    for path in files:
        record = compare_file(path, args.scrivlet, args.markdown_round_trip)
        records.append(record)
        if not args.format_median:
            print_file_line(record, width)
            sys.stdout.flush()
    compared = [r for r in records if "kinds" in r]
    if compared and not any(r["has_blocks"] for r in compared):
        print("\nnote: %s wrote no \"blocks\" key: ours counted as empty" % args.scrivlet)
    medians = format_medians(records)
    print_medians(medians)
    print_low(low_files(records, args.threshold), args.threshold,
              [r for r in records if "reference_error" in r])
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as out:
            json.dump({"files": records,
                       "medians": {fmt: {k: v[0] for k, v in kinds.items()}
                                   for fmt, kinds in medians.items()}},
                      out, ensure_ascii=False, indent=1)


if __name__ == "__main__":
    main()
