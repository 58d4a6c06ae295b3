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


CLASSES = {
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
