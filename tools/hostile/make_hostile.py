#!/usr/bin/env python3
"""Writes hostile documents, one for each class of repeated or unpaid work,
at sizes of about 1 to 15 MB, for measuring a conversion's time and memory:

    tools/hostile/make_hostile.py /tmp/hostile
    for f in /tmp/hostile/*; do /usr/bin/time -v build/scrivlet "$f" >/dev/null; done

Each file is built byte by byte; none is a real document.  The unit tests
hold scaled-down versions of the same shapes."""

import io
import os
import struct
import sys
import zipfile
import zlib


def pdf(objects, trailer, extra=b""):
    """A PDF with a classic table of the given object bodies (numbered from
    1), the trailer entries, and `extra` bytes before the table."""
    out = bytearray(b"%PDF-1.7\n")
    offsets = []
    for i, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    out += extra
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d %s >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, trailer, xref)
    return bytes(out)


def stream(entries, data):
    return b"<< %s /Length %d >>\nstream\n" % (entries, len(data)) + data + b"\nendstream"


def page_document(fonts_dict, content, extra_objects):
    """Catalog 1, pages 2, page 3, content 4, then extra objects from 5."""
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /Resources << /Font << " + fonts_dict +
               b" >> >> /Contents 4 0 R >>",
               stream(b"", content)] + extra_objects
    return objects


def unclosed_trailers_repair():
    body = b"%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
    body += b"2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n"
    return body + b"trailer\n<< /Root 1 0 R /Size 3 " * 300000


def unclosed_trailers_chain():
    objects = page_document(b"", b"BT (text) Tj ET", [])
    base = pdf(objects, b"/Root 1 0 R")
    out = bytearray(base[:base.rfind(b"startxref")])
    previous = base.find(b"xref\n")
    padding = b"% " + b"p" * 3200 + b"\n"
    for _ in range(4000):
        at = len(out)
        out += b"xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev %d " % previous + padding
        previous = at
    out += b"\nstartxref\n%d\n%%%%EOF\n" % previous
    return bytes(out)


def xrefstm_chain():
    objects = page_document(b"", b"BT (text) Tj ET", [])
    base = pdf(objects, b"/Root 1 0 R")
    out = bytearray(base[:base.rfind(b"startxref")])
    entries = b"".join(b"\x01" + struct.pack(">I", 9) + b"\x00\x00" for _ in range(100000))
    xrefstm = len(out)
    out += b"99 0 obj\n" + stream(b"/Type /XRef /W [1 4 2] /Size 100000", entries) + b"\nendobj\n"
    previous = base.find(b"xref\n")
    for _ in range(4000):
        at = len(out)
        out += b"xref\n0 0\ntrailer\n<< /Root 1 0 R /XRefStm %d /Prev %d >>\n" % (xrefstm, previous)
        previous = at
    out += b"startxref\n%d\n%%%%EOF\n" % previous
    return bytes(out)


def xref_entries():
    objects = page_document(b"", b"BT (text) Tj ET", [])
    base = pdf(objects, b"/Root 1 0 R")
    out = bytearray(base[:base.rfind(b"startxref")])
    at = len(out)
    data = zlib.compress(b"\x09" * (60 << 20), 9)
    out += b"99 0 obj\n" + stream(b"/Type /XRef /W [0 1 0] /Size 62914560 /Root 1 0 R /Prev %d "
                                  b"/Filter /FlateDecode" % base.find(b"xref\n"), data)
    out += b"\nendobj\nstartxref\n%d\n%%%%EOF\n" % at
    return bytes(out)


def shared_inline_differences():
    names = b"0 " + b" ".join(b"/g%d" % (i % 256) for i in range(60000))
    encoding = b"<< /BaseEncoding /WinAnsiEncoding /Differences [" + names + b"] >>"
    fonts, content = [], b"BT"
    for i in range(2000):
        fonts.append(b"/F%d %d 0 R" % (i, 6 + i))
        content += b" /F%d 10 Tf (A) Tj" % i
    extra = [encoding] + [b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding 5 0 R >>"] * 2000
    return pdf(page_document(b" ".join(fonts), content + b" ET", extra), b"/Root 1 0 R")


def shared_inline_widths():
    widths = b"[" + b" ".join(b"%d %d 500" % (2 * i, 2 * i + 1) for i in range(100000)) + b"]"
    descendant = b"<< /Type /Font /Subtype /CIDFontType2 /W " + widths + b" >>"
    fonts, content = [], b"BT"
    for i in range(2000):
        fonts.append(b"/F%d %d 0 R" % (i, 6 + i))
        content += b" /F%d 10 Tf <0001> Tj" % i
    extra = [descendant] + [b"<< /Type /Font /Subtype /Type0 /Encoding /Identity-H "
                            b"/DescendantFonts [5 0 R] >>"] * 2000
    return pdf(page_document(b" ".join(fonts), content + b" ET", extra), b"/Root 1 0 R")


def shared_tounicode():
    cmap = b"1 beginbfchar <0001> <0061> endbfchar\n" + b"".join(
        b"1 beginbfchar <%04X> <0062> endbfchar\n" % (i % 65536) for i in range(100000))
    fonts, content = [], b"BT"
    for i in range(3000):
        fonts.append(b"/F%d %d 0 R" % (i, 6 + i))
        content += b" /F%d 10 Tf <0001> Tj" % i
    extra = [stream(b"/Filter /FlateDecode", zlib.compress(cmap, 9))] + [
        b"<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode 5 0 R "
        b"/DescendantFonts [<< /Subtype /CIDFontType2 >>] >>"] * 3000
    return pdf(page_document(b" ".join(fonts), content + b" ET", extra), b"/Root 1 0 R")


def bfrange_array():
    cmap = b"1 beginbfrange <0000> <0001> [" + b"<0041> " * (40 << 20 >> 3) + b"] endbfrange"
    extra = [stream(b"/Filter /FlateDecode", zlib.compress(cmap, 9)),
             b"<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode 5 0 R "
             b"/DescendantFonts [<< /Subtype /CIDFontType2 >>] >>"]
    return pdf(page_document(b"/F0 6 0 R", b"BT /F0 10 Tf <0001> Tj ET", extra), b"/Root 1 0 R")


def ascii85_z_chain():
    content = zlib.compress(b"z" * (250 << 20), 9)
    objects = page_document(b"", b"", [])
    objects[3] = stream(b"/Filter [/FlateDecode /ASCII85Decode]", content)
    return pdf(objects, b"/Root 1 0 R")


def epub_rootfiles():
    chapter = (b"<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" +
               b"<p>paragraph of the chapter</p>" * 20000 + b"</body></html>")
    container = (b"<?xml version=\"1.0\"?><container><rootfiles>" +
                 b"<rootfile full-path=\"OEBPS/content.opf\"/>" * 1000 +
                 b"</rootfiles></container>")
    opf = (b"<?xml version=\"1.0\"?><package><metadata/><manifest>"
           b"<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/></manifest>"
           b"<spine><itemref idref=\"c\"/></spine></package>")
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        z.writestr("mimetype", "application/epub+zip")
        z.writestr("META-INF/container.xml", container, zipfile.ZIP_DEFLATED)
        z.writestr("OEBPS/content.opf", opf, zipfile.ZIP_DEFLATED)
        z.writestr("OEBPS/c.xhtml", chapter, zipfile.ZIP_DEFLATED)
    return buffer.getvalue()


def zip64_docx():
    document = (b"<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                b"wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>zip64 text</w:t></w:r></w:p>"
                b"</w:body></w:document>")
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        with z.open("word/document.xml", "w", force_zip64=True) as member:
            member.write(document)
    return buffer.getvalue()


def wordperfect_font_descriptors():
    entries = 65535
    name = b"F" * 32000
    descriptor = b"\0" * 22 + struct.pack("<H", len(name)) + name
    index = bytearray(14 * entries)
    struct.pack_into("<H", index, 2, entries)
    descriptor_offset = 24 + len(index)
    for k in range(1, entries):
        index[14 * k] = 1
        index[14 * k + 1] = 0x55
        struct.pack_into("<II", index, 14 * k + 6, len(descriptor), descriptor_offset)
    body = b"text"
    header = bytearray(24)
    header[0:4] = b"\xFFWPC"
    header[10] = 2
    struct.pack_into("<H", header, 14, 24)
    document_offset = 24 + len(index) + len(descriptor)
    struct.pack_into("<I", header, 4, document_offset)
    struct.pack_into("<I", header, 20, document_offset + len(body))
    return bytes(header + index + descriptor + body)


def epub_shared_data():
    """An EPUB whose 1,300 chapters are stored members whose data regions
    overlap: each runs from its own local header to the end of one large
    chapter after them all."""
    chapter = (b"<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" +
               b"<p>paragraph of the shared chapter</p>" * 300000 + b"</body></html>")
    names = [b"OEBPS/c%d.xhtml" % i for i in range(1300)]
    opf = (b"<?xml version=\"1.0\"?><package><metadata/><manifest>" + b"".join(
        b"<item id=\"c%d\" href=\"c%d.xhtml\" media-type=\"application/xhtml+xml\"/>" % (i, i)
        for i in range(1300)) + b"</manifest><spine>" +
        b"".join(b"<itemref idref=\"c%d\"/>" % i for i in range(1300)) + b"</spine></package>")
    container = (b"<?xml version=\"1.0\"?><container><rootfiles>"
                 b"<rootfile full-path=\"OEBPS/content.opf\"/></rootfiles></container>")
    out, central = bytearray(), bytearray()

    def local(name, data, size=None):
        offset = len(out)
        size = len(data) if size is None else size
        crc = zlib.crc32(data) if data else 0
        out.extend(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0, crc, size, size,
                               len(name), 0) + name + data)
        central.extend(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 0, 0, 0, crc, size,
                                   size, len(name), 0, 0, 0, 0, 0, offset) + name)

    local(b"mimetype", b"application/epub+zip")
    local(b"META-INF/container.xml", container)
    local(b"OEBPS/content.opf", opf)
    at = len(out)
    end = at + sum(30 + len(n) for n in names) + len(chapter)
    for name in names:
        local(name, b"", end - (len(out) + 30 + len(name)))
    out.extend(chapter)
    count = 3 + len(names)
    directory = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), directory, 0)
    return bytes(out)


def page_text_items():
    """One page drawing ten million one-letter strings, its content
    compressed: a page's text items are held before any output limit."""
    content = zlib.compress(b"BT /F1 10 Tf 0 0 Td\n" + b"(a) Tj\n" * 10_000_000 + b"ET\n", 9)
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> "
               b"/Contents 4 0 R >>",
               stream(b"/Filter /FlateDecode", content),
               b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    return pdf(objects, b"/Root 1 0 R")


def inherited_resources():
    """Twenty thousand pages inheriting one resource dictionary of a thousand
    fonts: resources built again for every page."""
    pages = 20_000
    fonts = b" ".join(b"/F%d 4 0 R" % i for i in range(1000))
    first_page = 5
    kids = b" ".join(b"%d 0 R" % (first_page + i) for i in range(pages))
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [" + kids + b"] /Count %d /Resources << /Font << " % pages +
               fonts + b" >> >> >>",
               stream(b"", b"BT /F1 10 Tf 0 0 Td (page) Tj ET"),
               b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    objects += [b"<< /Type /Page /Parent 2 0 R /Contents 3 0 R >>"] * pages
    return pdf(objects, b"/Root 1 0 R")


# Compound files (version 4: 4096-byte sectors, so that a few FAT sectors
# listed in the header cover 15 MB).  Every stream is padded to the mini
# stream's cutoff (its size then counts the padding), so that all of them
# live in the FAT: the padding is zero bytes, which the formats read here
# take as the end of their data.
SECTOR = 4096
FREE, END_OF_CHAIN, FAT_SECTOR, NO_ENTRY = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF


def compound_file(tree):
    """A compound file of `tree`: a list of (name, value) pairs, where a
    value is bytes (a stream) or a list (a storage).  Streams given the same
    bytes object share one sector chain, as aliases do."""
    entries = []  # [name, type, children, data]
    def add(name, value):
        index = len(entries)
        if isinstance(value, list):
            entries.append([name, 1, [], None])
            entries[index][2] = [add(n, v) for n, v in value]
        else:
            entries.append([name, 2, [], value])
        return index
    entries.append(["Root Entry", 5, [], None])
    entries[0][2] = [add(n, v) for n, v in tree]
    sectors, chains = [], {}
    def place(data):
        if id(data) not in chains:
            padded = data + b"\0" * (-len(data) % SECTOR if len(data) >= SECTOR else SECTOR - len(data))
            size = max(len(data), SECTOR)  # below the cutoff a stream would be in the mini stream
            chains[id(data)] = (len(sectors), size)
            sectors.extend(padded[i:i + SECTOR] for i in range(0, len(padded), SECTOR))
        return chains[id(data)]
    placed = {}
    for i, entry in enumerate(entries):
        if entry[1] == 2:
            placed[i] = place(entry[3])
    links = [0] * len(sectors)
    for data_id, (start, size) in chains.items():
        count = max(1, -(-size // SECTOR))
        for k in range(count):
            links[start + k] = start + k + 1 if k + 1 < count else END_OF_CHAIN
    left, right, child = [NO_ENTRY] * len(entries), [NO_ENTRY] * len(entries), [NO_ENTRY] * len(entries)
    def key(i):
        name = entries[i][0]
        return (len(name), name.upper())
    for i, entry in enumerate(entries):
        ordered = sorted(entry[2], key=key)
        pending = [(0, len(ordered), None, None)]  # a balanced tree, built without recursion
        while pending:
            low, high, parent, side = pending.pop()
            if low >= high:
                continue
            middle = (low + high) // 2
            node = ordered[middle]
            if parent is None:
                child[i] = node
            elif side == "left":
                left[parent] = node
            else:
                right[parent] = node
            pending.append((low, middle, node, "left"))
            pending.append((middle + 1, high, node, "right"))
    directory = bytearray()
    for i, (name, kind, _, data) in enumerate(entries):
        encoded = name.encode("utf-16-le")
        start, size = placed.get(i, (END_OF_CHAIN, 0))
        directory += (encoded + b"\0" * (64 - len(encoded)) +
                      struct.pack("<HBBIII", len(encoded) + 2, kind, 1, left[i], right[i], child[i]) +
                      b"\0" * 36 + struct.pack("<IQ", start, size))
    directory += b"\0" * (-len(directory) % SECTOR)
    directory_start = len(sectors)
    directory_count = len(directory) // SECTOR
    sectors.extend(directory[i:i + SECTOR] for i in range(0, len(directory), SECTOR))
    links += [directory_start + k + 1 for k in range(directory_count - 1)] + [END_OF_CHAIN]
    fat_count = 1
    while len(links) + fat_count > fat_count * (SECTOR // 4):
        fat_count += 1
    assert fat_count <= 109
    fat_start = len(sectors)
    links += [FAT_SECTOR] * fat_count
    links += [FREE] * (fat_count * (SECTOR // 4) - len(links))
    fat = struct.pack("<%dI" % len(links), *links)
    difat = [fat_start + k for k in range(fat_count)] + [FREE] * (109 - fat_count)
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16 +
              struct.pack("<HHHHH", 0x3E, 4, 0xFFFE, 12, 6) + b"\0" * 6 +
              struct.pack("<IIIIIIIII", directory_count, fat_count, directory_start, 0, 4096,
                          END_OF_CHAIN, 0, END_OF_CHAIN, 0) +
              struct.pack("<109I", *difat))
    return header + b"\0" * (SECTOR - len(header)) + b"".join(sectors) + fat


def vba_compress(data, period):
    """A VBA compressed container of `data`: literals, and copy tokens that
    repeat the bytes `period` back (data that repeats with that period
    compresses well, anything else is stored as literals)."""
    out = bytearray(b"\x01")
    for begin in range(0, len(data), 4096):
        chunk = data[begin:begin + 4096]
        tokens, d = [], 0
        while d < len(chunk):
            if d >= period and d >= 1:
                bits = max((d - 1).bit_length(), 4)
                longest = min((0xFFFF >> bits) + 3, len(chunk) - d)
                length = 0
                while length < longest and chunk[d + length] == chunk[d + length - period]:
                    length += 1
                if length >= 3:
                    tokens.append(struct.pack("<H", ((period - 1) << (16 - bits)) | (length - 3)))
                    d += length
                    continue
            tokens.append(chunk[d:d + 1])
            d += 1
        body = bytearray()
        for group in range(0, len(tokens), 8):
            flags = sum(1 << k for k, t in enumerate(tokens[group:group + 8]) if len(t) == 2)
            body += bytes([flags]) + b"".join(tokens[group:group + 8])
        if len(body) + 2 <= 4098:
            out += struct.pack("<H", 0xB000 | (len(body) + 2 - 3)) + body
        else:
            assert len(chunk) == 4096
            out += struct.pack("<H", 0x3FFF) + chunk
    return bytes(out)


def word_document(text, extra_root):
    """A Word 97 document of one 8-bit piece, in a compound file with the
    other root elements given."""
    text_start = 1024
    fib = bytearray(text_start)
    struct.pack_into("<HHHH", fib, 0, 0xA5EC, 193, 0, 0x0409)
    struct.pack_into("<H", fib, 10, 0x0200)  # the table stream is "1Table"
    struct.pack_into("<II", fib, 24, text_start, text_start + len(text))
    struct.pack_into("<I", fib, 76, len(text))
    table = struct.pack("<II", 0, len(text)) + b"\0\0" + struct.pack("<I", (text_start * 2) | 0x40000000) + b"\0\0"
    clx = b"\x02" + struct.pack("<I", len(table)) + table
    struct.pack_into("<II", fib, 418, 0, len(clx))
    main = bytes(fib) + text + b"\0" * 512
    return compound_file([("WordDocument", main), ("1Table", clx)] + extra_root)


def dir_records(modules):
    """A decompressed VBA "dir" stream: the code page, the module count,
    then one group of records per (name, stream name, offset)."""
    out = struct.pack("<HIH", 0x0003, 2, 1252) + struct.pack("<HIH", 0x000F, 2, len(modules))
    for name, stream_name, offset in modules:
        out += struct.pack("<HI", 0x0019, len(name)) + name
        out += struct.pack("<HI", 0x001A, len(stream_name)) + stream_name
        out += struct.pack("<HII", 0x0031, 4, offset)
        out += struct.pack("<HI", 0x002B, 0)
    return out + struct.pack("<HI", 0x0010, 0)


def wordperfect_document(text):
    """A WordPerfect 6 document: its header, an index of one entry, the text
    (0xCC ends a paragraph)."""
    index = bytearray(14)
    struct.pack_into("<H", index, 2, 1)
    header = bytearray(24)
    header[0:4] = b"\xFFWPC"
    header[10] = 2
    struct.pack_into("<H", header, 14, 24)
    struct.pack_into("<I", header, 4, 24 + len(index))
    struct.pack_into("<I", header, 20, 24 + len(index) + len(text))
    return bytes(header + index + text)


def compound_file_aliases():
    """A compound file whose root lists one WordPerfect document under
    fifteen thousand entries named PerfectOffice_MAIN, all sharing its
    sectors."""
    document = wordperfect_document(b"A\x80paragraph\x80of\x80the\x80document.\xCC" * 30000)
    return compound_file([("PerfectOffice_MAIN", document)] * 15000)


def vba_dir_storages():
    """A Word document whose Macros/VBA storage holds twenty thousand
    storages, each with a "dir" stream that decompresses to 8 MB of records
    that never parse, all sharing one chain of sectors."""
    bomb = b"\x01" + (struct.pack("<H", 0xB000 | 3) + b"\x02a" + struct.pack("<H", 0x0FFC)) * 2048
    storages = [("S%d" % i, [("dir", bomb)]) for i in range(20000)]
    return word_document(b"The document's text.\r", [("Macros", [("VBA", storages)])])


def vba_module_records():
    """A Word document whose VBA "dir" stream declares 65,535 modules, each
    with a name of 64 letters, all reading one module stream."""
    source = vba_compress(b"Attribute VB_Name = \"M\"\r\nSub A()\r\nEnd Sub\r\n", 1)
    name = b"M" * 64
    modules = [(name, b"Module1", 0)] * 65535
    dir_stream = vba_compress(dir_records(modules), 6 + len(name) + 6 + 7 + 6 + 4 + 6)
    vba = [("dir", dir_stream), ("Module1", source), ("_VBA_PROJECT", b"\xCC\x61\xFF\xFF\x00" + b"\0" * 2)]
    return word_document(b"The document's text.\r", [("Macros", [("VBA", vba)])])


def flate_of_zeros(gib):
    """Flate data of `gib` GiB of zero bytes, made without holding them: one
    fully flushed block of 64 MB of zeros repeated (each starts afresh, so
    the copies join into one valid stream), then the end and checksum."""
    block = 64 << 20
    compressor = zlib.compressobj(9)
    head = compressor.compress(b"\0" * block) + compressor.flush(zlib.Z_FULL_FLUSH)
    header, body = head[:2], head[2:]
    repeats = gib * 1024 // 64
    checksum = 1
    zeros = b"\0" * block
    for _ in range(repeats):
        checksum = zlib.adler32(zeros, checksum)
    final = zlib.compressobj(9)
    tail = final.compress(b"") + final.flush()
    return header + body * repeats + tail[2:-4] + struct.pack(">I", checksum)


def pdf_filter_chain():
    """Five hundred pages, each with a content stream of Flate of Flate of
    Flate that decodes to 15 GiB of zero bytes."""
    inner = flate_of_zeros(15)
    data = zlib.compress(zlib.compress(inner, 9), 9)
    pages = 500
    kids = b" ".join(b"%d 0 R" % (3 + 2 * i) for i in range(pages))
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % pages]
    for i in range(pages):
        objects.append(b"<< /Type /Page /Parent 2 0 R /Contents %d 0 R >>" % (4 + 2 * i))
        objects.append(stream(b"/Filter [/FlateDecode /FlateDecode /FlateDecode]", data))
    return pdf(objects, b"/Root 1 0 R")


def pdf_repeated_contents():
    """One page whose /Contents array names one content stream of a
    megabyte of text (compressed) two hundred thousand times."""
    content = zlib.compress(b"BT /F1 10 Tf 0 0 Td\n" + b"(word) Tj\n" * 100_000 + b"ET\n", 9)
    contents = b"[" + b"4 0 R " * 200_000 + b"]"
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> "
               b"/Contents " + contents + b" >>",
               stream(b"/Filter /FlateDecode", content),
               b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    return pdf(objects, b"/Root 1 0 R")


def nested_forms(dictionaries):
    """Two thousand forms sharing resource dictionaries that name them all
    (form i uses dictionary i modulo their count); each form draws fifty
    others and a word, so that resources built per (parent resources, name)
    and forms walked per path multiply."""
    forms = 2000
    first = 4 + dictionaries
    names = b" ".join(b"/X%d %d 0 R" % (i, first + i) for i in range(forms))
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /Resources 5 0 R /Contents 4 0 R >>",
               stream(b"", b"".join(b"/X%d Do\n" % i for i in range(forms)))]
    objects += [b"<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> "
                b"/XObject << " + names + b" >> >>"] * dictionaries
    for i in range(forms):
        draws = b"".join(b"/X%d Do\n" % ((i + 1 + k * 37) % forms) for k in range(50))
        resources = 5 + i % dictionaries
        objects.append(stream(b"/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                              b"/Resources %d 0 R" % resources,
                              b"BT /F1 10 Tf 0 0 Td (form) Tj ET\n" + draws))
    return pdf(objects, b"/Root 1 0 R")


def pdf_nested_forms():
    return nested_forms(1)


def pdf_nested_forms_alternating():
    """The same with two equal dictionaries in turn: a form's resources are
    never its caller's."""
    return nested_forms(2)


def pdf_many_fonts():
    """One page using two thousand fonts, each with widths, differences and
    a ToUnicode map of its own: a few kilobytes of records per font."""
    fonts = 2000
    first = 5
    font_names, content = [], bytearray(b"BT 0 0 Td\n")
    extra = []
    for i in range(fonts):
        number = first + 2 * i
        font_names.append(b"/F%d %d 0 R" % (i, number))
        content += b"/F%d 10 Tf (ABC) Tj\n" % i
        widths = b" ".join(b"%d" % (400 + (i + c) % 300) for c in range(256))
        differences = b" ".join(b"%d /g%d" % (c, (i * 7 + c) % 900) for c in range(32, 256, 2))
        cmap = b"100 beginbfchar\n" + b"".join(
            b"<%02X> <%04X>\n" % (c, 0x4E00 + (i * 131 + c) % 20000) for c in range(100)) + b"endbfchar\n"
        extra.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /F%d /FirstChar 0 /LastChar 255 "
                     b"/Widths [%s] /Encoding << /Differences [%s] >> /ToUnicode %d 0 R >>"
                     % (i, widths, differences, number + 1))
        extra.append(stream(b"", cmap))
    content += b"ET\n"
    return pdf(page_document(b" ".join(font_names), bytes(content), extra), b"/Root 1 0 R")


# The amplifications of one small file in the XML-based formats; each class
# at the size a small file reaches (deflated) and at about 1-15 MB.

W_NS = (b"xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        b"xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"")


def package(members, method=zipfile.ZIP_DEFLATED):
    """A ZIP package of (name, bytes) members, deflated at level 9 or
    stored."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name, data in members:
            info = zipfile.ZipInfo(name)
            info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else method
            z.writestr(info, data, compresslevel=9)
    return buffer.getvalue()


def docx(document_body, styles=b"", method=zipfile.ZIP_DEFLATED):
    members = [("[Content_Types].xml", b"<?xml version=\"1.0\"?><Types/>"),
               ("word/document.xml", b"<?xml version=\"1.0\"?><w:document " + W_NS + b"><w:body>" +
                document_body + b"</w:body></w:document>")]
    if styles:
        members.append(("word/styles.xml", b"<?xml version=\"1.0\"?><w:styles " + W_NS + b">" +
                        styles + b"</w:styles>"))
    return package(members, method)


def docx_wide_table(wide, rows, method=zipfile.ZIP_DEFLATED):
    """A table whose first row has `wide` cells, then `rows` rows of one
    cell: to Markdown, padding each row to the widest multiplies them."""
    cell = b"<w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc>"
    body = (b"<w:tbl><w:tr>" + cell * wide + b"</w:tr>" + (b"<w:tr>" + cell + b"</w:tr>") * rows +
            b"</w:tbl>")
    return docx(body, method=method)


def md_wide_table():
    return docx_wide_table(5000, 20000)


def md_wide_table_large():
    return docx_wide_table(20000, 150000, zipfile.ZIP_STORED)


def odt(content_body, method=zipfile.ZIP_DEFLATED):
    content = (b"<?xml version=\"1.0\"?><office:document-content "
               b"xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               b"xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
               b"<office:body><office:text>" + content_body +
               b"</office:text></office:body></office:document-content>")
    return package([("mimetype", b"application/vnd.oasis.opendocument.text"),
                    ("content.xml", content)], method)


def odt_nested_lists(items, method=zipfile.ZIP_DEFLATED):
    """Items each inside lists that open and close ten levels around it."""
    item = (b"<text:list><text:list-item>" * 10 + b"<text:p>x</text:p>" +
            b"</text:list-item></text:list>" * 10)
    return odt(item * items, method)


def odt_lists():
    return odt_nested_lists(95000)


def odt_lists_large():
    return odt_nested_lists(20000, zipfile.ZIP_STORED)


def docx_based_on_chain(depth, method=zipfile.ZIP_DEFLATED):
    """Styles each based on the one before, `depth` deep, paragraphs in the
    deepest."""
    styles = b"".join(b"<w:style w:type=\"paragraph\" w:styleId=\"s%d\"><w:basedOn w:val=\"s%d\"/>"
                      b"</w:style>" % (i, i - 1) for i in range(1, depth + 1))
    styles = b"<w:style w:type=\"paragraph\" w:styleId=\"s0\"><w:name w:val=\"heading 1\"/>" \
             b"</w:style>" + styles
    body = (b"<w:p><w:pPr><w:pStyle w:val=\"s%d\"/></w:pPr><w:r><w:t>text</w:t></w:r></w:p>" %
            depth) * 1000
    return docx(body, styles, method)


def docx_based_on():
    return docx_based_on_chain(100000)


def docx_based_on_large():
    return docx_based_on_chain(180000, zipfile.ZIP_STORED)


def fb2_tiny_paragraphs(count):
    """A FictionBook of `count` one-letter paragraphs."""
    return (b"<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook "
            b"xmlns=\"http://www.gribuskin.org/FictionBook/2.0\"><body><section>" +
            b"<p>a</p>" * count + b"</section></body></FictionBook>")


def fb2_md_paragraphs():
    return fb2_tiny_paragraphs(1000000)


def fb2_md_paragraphs_small():
    return fb2_tiny_paragraphs(150000)


def epub(chapters, spine, method=zipfile.ZIP_DEFLATED):
    """An EPUB of (id, bytes) chapters and a spine of ids."""
    container = (b"<?xml version=\"1.0\"?><container><rootfiles>"
                 b"<rootfile full-path=\"OEBPS/content.opf\"/></rootfiles></container>")
    opf = (b"<?xml version=\"1.0\"?><package><metadata/><manifest>" + b"".join(
        b"<item id=\"%s\" href=\"%s.xhtml\" media-type=\"application/xhtml+xml\"/>" % (i, i)
        for i, _ in chapters) + b"</manifest><spine>" +
        b"".join(b"<itemref idref=\"%s\"/>" % i for i in spine) + b"</spine></package>")
    return package([("mimetype", b"application/epub+zip"), ("META-INF/container.xml", container),
                    ("OEBPS/content.opf", opf)] +
                   [("OEBPS/%s.xhtml" % i.decode(), data) for i, data in chapters], method)


def xhtml(body):
    return (b"<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" + body +
            b"</body></html>")


def epub_nested_divs_of(depth, method=zipfile.ZIP_DEFLATED):
    """A chapter of divs nested `depth` deep around one paragraph."""
    chapter = xhtml(b"<div>" * depth + b"<p>deep</p>" + b"</div>" * depth)
    return epub([(b"c", chapter)], [b"c"], method)


def epub_nested_divs():
    return epub_nested_divs_of(1000000)


def epub_nested_divs_large():
    return epub_nested_divs_of(1000000, zipfile.ZIP_STORED)


def epub_spine_repeats(count, paragraphs, method=zipfile.ZIP_DEFLATED):
    """A spine naming one chapter `count` times."""
    chapter = xhtml(b"<p>paragraph of the one chapter</p>" * paragraphs)
    return epub([(b"c", chapter)], [b"c"] * count, method)


def epub_spine():
    return epub_spine_repeats(300000, 100)


def epub_spine_large():
    return epub_spine_repeats(500000, 100, zipfile.ZIP_STORED)


def docx_shared_data_of(parts, paragraphs, method=0):
    """A package whose `parts` header parts share one data region: their
    local headers stand one after another, each with an extra field that
    reaches to the same place, where the data of them all begin (one large
    header, stored or deflated); the document refers to every one."""
    header = (b"<?xml version=\"1.0\"?><w:hdr " + W_NS + b">" +
              b"<w:p><w:r><w:t>a paragraph of the shared header</w:t></w:r></w:p>" * paragraphs +
              b"</w:hdr>")
    data = header if method == 0 else zlib.compress(header, 9)[2:-4]
    names = [b"word/header%d.xml" % i for i in range(parts)]
    relationships = (b"<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats"
                     b".org/package/2006/relationships\">" + b"".join(
                         b"<Relationship Id=\"rId%d\" Type=\"http://schemas.openxmlformats.org/"
                         b"officeDocument/2006/relationships/header\" Target=\"header%d.xml\"/>"
                         % (i, i) for i in range(parts)) + b"</Relationships>")
    document = (b"<?xml version=\"1.0\"?><w:document " + W_NS + b"><w:body><w:p><w:pPr><w:sectPr>" +
                b"".join(b"<w:headerReference w:type=\"default\" r:id=\"rId%d\"/>" % i
                         for i in range(parts)) +
                b"</w:sectPr></w:pPr><w:r><w:t>body</w:t></w:r></w:p></w:body></w:document>")
    out, central = bytearray(), bytearray()

    def stored(name, member):
        crc = zlib.crc32(member)
        central.extend(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 0, 0, 0, crc,
                                   len(member), len(member), len(name), 0, 0, 0, 0, 0, len(out)) +
                       name)
        out.extend(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0, crc, len(member),
                               len(member), len(name), 0) + name + member)

    for name, member in ((b"[Content_Types].xml", b"<?xml version=\"1.0\"?><Types/>"),
                         (b"word/document.xml", document),
                         (b"word/_rels/document.xml.rels", relationships)):
        stored(name, member)
    shared = len(out) + sum(30 + len(n) for n in names)
    assert shared - len(out) < 65536
    crc = zlib.crc32(header)
    for name in names:
        at = len(out)
        extra_length = shared - (at + 30 + len(name))
        out.extend(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0, 0, crc, len(data),
                               len(header), len(name), extra_length) + name)
        central.extend(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0, crc,
                                   len(data), len(header), len(name), 0, 0, 0, 0, 0, at) + name)
    out.extend(data)
    count = 3 + len(names)
    directory = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), directory, 0)
    return bytes(out)


def docx_shared_data():
    return docx_shared_data_of(1300, 210000)


def docx_shared_data_deflated():
    return docx_shared_data_of(1300, 900000, 8)


# Structures shared by many users: each class at the size it was found at
# and scaled up (SCALE times as many users, or as much data), 1 to 15 MB.
def pages_document(page_bodies, extra_objects):
    """Catalog 1, pages 2, the extra objects from 3, then one page per body
    (a page body gets "/Type /Page /Parent 2 0 R" in front)."""
    first_page = 3 + len(extra_objects)
    kids = b" ".join(b"%d 0 R" % (first_page + i) for i in range(len(page_bodies)))
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % len(page_bodies)]
    objects += extra_objects
    objects += [b"<< /Type /Page /Parent 2 0 R " + body + b" >>" for body in page_bodies]
    return pdf(objects, b"/Root 1 0 R")


HELVETICA = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"


def shared_content(pages, lines):
    """Pages that all show one compressed content stream of many lines."""
    content = b"".join(b"BT /F1 10 Tf 72 %d Td (line %d of the text every page shows) Tj ET\n"
                       % (800 - i % 700, i) for i in range(lines))
    extra = [stream(b"/Filter /FlateDecode", zlib.compress(content, 9)), HELVETICA]
    body = b"/Resources << /Font << /F1 4 0 R >> >> /Contents 3 0 R"
    return pages_document([body] * pages, extra)


def shared_font_dictionary(pages, fonts):
    """Pages, each with resources of its own, that all name one font
    dictionary of many entries."""
    names = b" ".join(b"/F%d 5 0 R" % i for i in range(fonts))
    extra = [stream(b"", b"BT /F1 10 Tf 72 700 Td (a page) Tj ET"),
             b"<< " + names + b" >>", HELVETICA]
    body = b"/Resources << /Font 4 0 R >> /Contents 3 0 R"
    return pages_document([body] * pages, extra)


def shared_encoding_differences(fonts, names):
    """Fonts whose encodings all name one long /Differences array, which
    gives code 0 a name again and again."""
    differences = b"[" + b" ".join(b"0 /g%d" % (i % 1000) for i in range(names)) + b"]"
    content = zlib.compress(b"BT 72 700 Td " + b"".join(
        b"/F%d 10 Tf (a) Tj\n" % i for i in range(fonts)) + b"ET", 9)
    font_names = b" ".join(b"/F%d << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                           b"/Encoding << /Differences 5 0 R >> >>" % i for i in range(fonts))
    extra = [stream(b"/Filter /FlateDecode", content), b"<< /Font << " + font_names + b" >> >>",
             differences]
    return pages_document([b"/Resources 4 0 R /Contents 3 0 R"], extra)


def inline_fonts(fonts):
    """One page of many small fonts, each written inline (and each one
    used), the content compressed."""
    content = zlib.compress(b"BT 72 700 Td " + b"".join(
        b"/F%d 1 Tf(a)Tj\n" % i for i in range(fonts)) + b"ET", 9)
    font_names = b"".join(b"/F%d<</BaseFont/B%d>>" % (i, i) for i in range(fonts))
    extra = [stream(b"/Filter /FlateDecode", content),
             b"<< /Font << " + font_names + b" >> >>"]
    return pages_document([b"/Resources 4 0 R /Contents 3 0 R"], extra)


def large_contents(streams, megabytes):
    """One page of several content streams, each of spaces that compress a
    thousandfold."""
    data = zlib.compress(b" " * (megabytes << 20), 9)
    extra = [stream(b"/Filter /FlateDecode", data)] * streams
    contents = b" ".join(b"%d 0 R" % (3 + i) for i in range(streams))
    return pages_document([b"/Contents [" + contents + b"]"], extra)


def lzw_run(megabytes, byte=0x20):
    """LZW codes (early change, as PDF writes them) of a run of one byte:
    each new code stands for one more byte, then the last code of a full
    table is repeated."""
    out, buffer, bits = bytearray(), 0, 0
    next_code, previous, produced = 258, None, 0

    def emit(code, width):
        nonlocal buffer, bits
        buffer = buffer << width | code
        bits += width
        while bits >= 8:
            out.append(buffer >> (bits - 8) & 0xFF)
            bits -= 8
        buffer &= (1 << bits) - 1

    def width():
        limit = next_code + 1
        return 9 if limit < 512 else 10 if limit < 1024 else 11 if limit < 2048 else 12

    target = megabytes << 20
    emit(byte, width())
    produced, length = 1, 1
    while produced < target:
        if next_code < 4096:
            code, length = next_code, length + 1
            emit(code, width())
            next_code += 1
        else:
            emit(4095, width())
        produced += length
    emit(257, width())
    if bits:
        out.append(buffer << (8 - bits) & 0xFF)
    return bytes(out)


def pages_of_own_streams(streams):
    """A page for each stream body, showing it."""
    bodies = [b"/Contents %d 0 R" % (3 + i) for i in range(len(streams))]
    return pages_document(bodies, streams)


def lzw_content(megabytes, pages=1):
    """Pages whose content streams are LZW data that decode to about the
    decoding limit of one stream."""
    return pages_of_own_streams([stream(b"/Filter /LZWDecode", lzw_run(megabytes))] * pages)


def many_operators(megabytes, pages=1):
    """Pages whose compressed content streams are nothing but operators."""
    data = zlib.compress(b"q Q " * (megabytes << 18), 9)
    return pages_of_own_streams([stream(b"/Filter /FlateDecode", data)] * pages)


def glyph_page(glyphs):
    """One page drawing one-letter strings one right after the other, its
    content compressed as it is made (a sound page of much text)."""
    compressor = zlib.compressobj(9)
    data = compressor.compress(b"BT /F1 10 Tf 0 0 Td\n")
    chunk = b"(a) Tj\n" * 1_000_000
    for _ in range(glyphs // 1_000_000):
        data += compressor.compress(chunk)
    data += compressor.compress(b"ET\n") + compressor.flush()
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> "
               b"/Contents 4 0 R >>",
               stream(b"/Filter /FlateDecode", data), HELVETICA]
    return pdf(objects, b"/Root 1 0 R")


def xref_stream_count(megabytes):
    """A cross-reference stream of one-byte entries announcing as many
    objects as it decodes to: free entries that never fill the table."""
    objects = page_document(b"", b"BT (text) Tj ET", [])
    base = pdf(objects, b"/Root 1 0 R")
    out = bytearray(base[:base.rfind(b"startxref")])
    at = len(out)
    count = megabytes << 20
    data = flate_of_zeros(megabytes >> 10) if megabytes >= 1024 else zlib.compress(b"\0" * count, 9)
    out += b"99 0 obj\n" + stream(b"/Type /XRef /W [0 1 0] /Size %d /Root 1 0 R /Prev %d "
                                  b"/Filter /FlateDecode" % (count, base.find(b"xref\n")), data)
    out += b"\nendobj\nstartxref\n%d\n%%%%EOF\n" % at
    return bytes(out)


def vba_shared_source(modules, lines):
    """A Word document with text whose macro project lists many modules
    that all read one long module stream."""
    source = b"Attribute VB_Name = \"M\"\r\n" + b"".join(
        b"Sub Procedure%d()\r\n  Call Other %d\r\nEnd Sub\r\n" % (i, i) for i in range(lines))
    name = b"Module"
    dir_stream = vba_compress(dir_records([(name, b"Module1", 0)] * modules),
                              6 + len(name) + 6 + 7 + 6 + 4 + 6)
    vba = [("dir", dir_stream), ("Module1", vba_compress(source, 1)),
           ("_VBA_PROJECT", b"\xCC\x61\xFF\xFF\x00" + b"\0" * 2)]
    return word_document(b"The document's text survives its macros.\r",
                         [("Macros", [("VBA", vba)])])




def agile_spins():
    """A Word 2007+ package under agile encryption whose descriptor asks for
    100 million spins of SHA-512: refused before the first runs."""
    import base64
    b64 = lambda n: base64.b64encode(bytes(range(n))).decode()
    key = ('saltSize="16" blockSize="16" keyBits="256" hashSize="64" cipherAlgorithm="AES" '
           'cipherChaining="ChainingModeCBC" hashAlgorithm="SHA512" saltValue="%s"' % b64(16))
    xml = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<encryption xmlns='
           '"http://schemas.microsoft.com/office/2006/encryption" xmlns:p="http://schemas.'
           'microsoft.com/office/2006/keyEncryptor/password"><keyData %s/><dataIntegrity '
           'encryptedHmacKey="%s" encryptedHmacValue="%s"/><keyEncryptors><keyEncryptor uri='
           '"http://schemas.microsoft.com/office/2006/keyEncryptor/password"><p:encryptedKey '
           'spinCount="100000000" %s encryptedVerifierHashInput="%s" '
           'encryptedVerifierHashValue="%s" encryptedKeyValue="%s"/></keyEncryptor>'
           '</keyEncryptors></encryption>' % (key, b64(64), b64(64), key, b64(16), b64(64), b64(32)))
    info = struct.pack("<HHI", 4, 4, 0x40) + xml.encode()
    info += b" " * (SECTOR - len(info))  # a whole sector: no zero padding after the XML
    return compound_file([("EncryptionInfo", info),
                          ("EncryptedPackage", struct.pack("<Q", 1000) + bytes(1008))])


def odf_iterations():
    """An OpenDocument package whose content.xml asks for 100 million PBKDF2
    rounds: refused before the first runs."""
    manifest = (b'<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest='
                b'"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry '
                b'manifest:full-path="content.xml" manifest:media-type="text/xml"><manifest:'
                b'encryption-data manifest:checksum-type="SHA1/1K" manifest:checksum="AAAAAAAAAAAA'
                b'AAAAAAAAAAAAAAA="><manifest:algorithm manifest:algorithm-name="Blowfish CFB" '
                b'manifest:initialisation-vector="AAAAAAAAAAA="/><manifest:key-derivation '
                b'manifest:key-derivation-name="PBKDF2" manifest:key-size="16" '
                b'manifest:iteration-count="100000000" manifest:salt="AAAAAAAAAAAAAAAAAAAAAA=="/>'
                b'</manifest:encryption-data></manifest:file-entry></manifest:manifest>')
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), b"application/vnd.oasis.opendocument.text")
        z.writestr(zipfile.ZipInfo("content.xml"), bytes(4096))
        z.writestr("META-INF/manifest.xml", manifest)
    return buffer.getvalue()


CLASSES = {
    "docx-agile-spins.docx": agile_spins,
    "odt-pbkdf2-iterations.odt": odf_iterations,
    "pdf-page-text-items.pdf": page_text_items,
    "pdf-inherited-resources.pdf": inherited_resources,
    "epub-shared-data.epub": epub_shared_data,
    "pdf-unclosed-trailers-repair.pdf": unclosed_trailers_repair,
    "pdf-unclosed-trailers-chain.pdf": unclosed_trailers_chain,
    "pdf-xrefstm-chain.pdf": xrefstm_chain,
    "pdf-xref-entries.pdf": xref_entries,
    "pdf-shared-inline-differences.pdf": shared_inline_differences,
    "pdf-shared-inline-widths.pdf": shared_inline_widths,
    "pdf-shared-tounicode.pdf": shared_tounicode,
    "pdf-bfrange-array.pdf": bfrange_array,
    "pdf-ascii85-z-chain.pdf": ascii85_z_chain,
    "epub-rootfiles.epub": epub_rootfiles,
    "docx-zip64.docx": zip64_docx,
    "wpd-font-descriptors.wpd": wordperfect_font_descriptors,
    "wpd-compound-aliases.wpd": compound_file_aliases,
    "doc-vba-dir-storages.doc": vba_dir_storages,
    "doc-vba-module-records.doc": vba_module_records,
    "pdf-filter-chain.pdf": pdf_filter_chain,
    "pdf-repeated-contents.pdf": pdf_repeated_contents,
    "pdf-nested-forms.pdf": pdf_nested_forms,
    "pdf-nested-forms-alternating.pdf": pdf_nested_forms_alternating,
    "pdf-many-fonts.pdf": pdf_many_fonts,
    "docx-md-wide-table.docx": md_wide_table,
    "docx-md-wide-table-large.docx": md_wide_table_large,
    "odt-nested-lists.odt": odt_lists,
    "odt-nested-lists-large.odt": odt_lists_large,
    "docx-based-on-chain.docx": docx_based_on,
    "docx-based-on-chain-large.docx": docx_based_on_large,
    "fb2-md-tiny-paragraphs.fb2": fb2_md_paragraphs,
    "fb2-md-tiny-paragraphs-small.fb2": fb2_md_paragraphs_small,
    "epub-nested-divs.epub": epub_nested_divs,
    "epub-nested-divs-large.epub": epub_nested_divs_large,
    "epub-spine-repeats.epub": epub_spine,
    "epub-spine-repeats-large.epub": epub_spine_large,
    "docx-shared-data.docx": docx_shared_data,
    "docx-shared-data-deflated.docx": docx_shared_data_deflated,
    # Shared structures, at the sizes they were found at and scaled up.
    "pdf-shared-content.pdf": lambda: shared_content(1100, 9000),
    "pdf-shared-content-large.pdf": lambda: shared_content(20000, 60000),
    "pdf-shared-font-dictionary.pdf": lambda: shared_font_dictionary(1100, 200000),
    "pdf-shared-font-dictionary-large.pdf": lambda: shared_font_dictionary(5000, 900000),
    "pdf-shared-differences.pdf": lambda: shared_encoding_differences(3000, 540000),
    "pdf-shared-differences-large.pdf": lambda: shared_encoding_differences(20000, 1600000),
    "pdf-inline-fonts.pdf": lambda: inline_fonts(300000),
    "pdf-inline-fonts-large.pdf": lambda: inline_fonts(480000),
    "pdf-large-contents.pdf": lambda: large_contents(4, 255),
    "pdf-large-contents-large.pdf": lambda: large_contents(40, 255),
    "pdf-lzw-content.pdf": lambda: lzw_content(255),
    "pdf-lzw-content-large.pdf": lambda: lzw_content(255, 40),
    "pdf-many-operators.pdf": lambda: many_operators(255),
    "pdf-many-operators-large.pdf": lambda: many_operators(255, 40),
    "pdf-xref-stream-count.pdf": lambda: xref_stream_count(255),
    "pdf-xref-stream-count-large.pdf": lambda: xref_stream_count(10 << 10),
    "pdf-glyph-page-large.pdf": lambda: glyph_page(150_000_000),
    "doc-vba-shared-source.doc": lambda: vba_shared_source(40000, 40),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/hostile"
    only = set(sys.argv[2:])
    os.makedirs(folder, exist_ok=True)
    for name, make in CLASSES.items():
        if only and name not in only:
            continue
        data = make()
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print("%-40s %10d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
