#!/usr/bin/env python3
"""Writes the documents bench/web-load.sh serves, with fixed content:

  small.docx   a one-page Word 2007+ document (a heading, four paragraphs)
  fifty.pdf    a PDF of 50 pages, 40 lines of text each (Helvetica)
  bomb.docx    a small package whose document.xml inflates past the
               64 MiB per-stream limit (the conversion stops at the limit)
  damaged-*    truncated copies of the first two

  web-load-inputs.py FOLDER
"""
import sys
import zipfile
from pathlib import Path

W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/word/document.xml" ContentType="application/'
    'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
RELS = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
    'relationships/officeDocument" Target="word/document.xml"/></Relationships>')


def paragraph(text):
    return f'<w:p><w:r><w:t xml:space="preserve">{text}</w:t></w:r></w:p>'


def write_docx(path, body_parts):
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as package:
        package.writestr('[Content_Types].xml', CONTENT_TYPES)
        package.writestr('_rels/.rels', RELS)
        with package.open('word/document.xml', 'w') as part:
            part.write(f'<?xml version="1.0" encoding="UTF-8"?><w:document {W}><w:body>'.encode())
            for chunk in body_parts:
                part.write(chunk.encode())
            part.write(b'</w:body></w:document>')


def small_docx(path):
    sentences = ('The quarterly figures arrived on Monday and were filed the same day. ' * 3)
    write_docx(path, [paragraph('Quarterly note')] +
               [paragraph(f'{i + 1}. {sentences}') for i in range(4)])


def bomb_docx(path):
    # 70 MB of one repeated paragraph: some 70 KB deflated.
    chunk = paragraph('x' * 1000) * 1000
    write_docx(path, (chunk for _ in range(70)))


def fifty_page_pdf(path, pages=50, lines=40):
    objects = []  # bodies of objects 1..n

    def add(body):
        objects.append(body)
        return len(objects)

    font = add(b'<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>')
    pages_id = len(objects) + 1 + pages * 2 + 1  # after the pages and their contents
    page_ids = []
    for number in range(1, pages + 1):
        text = [b'BT /F1 11 Tf 72 760 Td 14 TL']
        for line in range(1, lines + 1):
            text.append(f'(Page {number}, line {line}: the archive keeps every report it '
                        f'was given.) \'' .encode())
        text.append(b'ET')
        stream = b'\n'.join(text)
        content = add(b'<< /Length %d >>\nstream\n' % len(stream) + stream + b'\nendstream')
        page_ids.append(add(
            b'<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Contents %d 0 R '
            b'/Resources << /Font << /F1 %d 0 R >> >> >>' % (pages_id, content, font)))
    add(b'<< /Type /Info /Title (Fifty pages) >>')
    assert len(objects) + 1 == pages_id
    kids = b' '.join(b'%d 0 R' % i for i in page_ids)
    add(b'<< /Type /Pages /Kids [%s] /Count %d >>' % (kids, pages))
    catalog = add(b'<< /Type /Catalog /Pages %d 0 R >>' % pages_id)
    out = bytearray(b'%PDF-1.4\n')
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b'%d 0 obj\n' % number + body + b'\nendobj\n'
    xref = len(out)
    out += b'xref\n0 %d\n0000000000 65535 f \n' % (len(objects) + 1)
    for offset in offsets:
        out += b'%010d 00000 n \n' % offset
    out += (b'trailer\n<< /Size %d /Root %d 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n'
            % (len(objects) + 1, catalog, pages_id - 1, xref))
    Path(path).write_bytes(out)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    small_docx(folder / 'small.docx')
    fifty_page_pdf(folder / 'fifty.pdf')
    bomb_docx(folder / 'bomb.docx')
    for name in ('small.docx', 'fifty.pdf'):
        data = (folder / name).read_bytes()
        (folder / f'damaged-{name}').write_bytes(data[: len(data) // 2])


if __name__ == '__main__':
    main()
