#!/usr/bin/python3
"""Checks the reading order of multi-column PDF files made by LibreOffice.

    tools/check_pdf_columns.py [--ours COMMAND]

Writes flat OpenDocument texts of two and three columns (a heading across
the page, three paragraphs in each column, a footnote in the first, a
table at the end) to a temporary folder, converts them with
`soffice --headless --convert-to pdf` and reads the PDF files with scrivlet
(by default `build/scrivlet FILE`).  Every word names its column and
paragraph, so the order is checked word by word: the heading first, each
paragraph's words contiguous and in order, the paragraphs column by
column, the table's cells row by row.  Prints one line per file and exits
1 when a check fails.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

NAMESPACES = (
    'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
    'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
    'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"')
FOOTNOTE = ('<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>'
            '<text:note-body><text:p>footnote text here</text:p></text:note-body></text:note>')


def flat_text(columns):
    body = ['<text:h text:style-name="H" text:outline-level="1">Heading across all columns</text:h>',
            '<text:section text:style-name="Sect" text:name="S1">']
    for column in range(columns):
        for paragraph in range(3):
            words = ' '.join('c%dp%dw%d' % (column, paragraph, i) for i in range(60))
            note = FOOTNOTE if column == 0 and paragraph == 0 else ''
            body.append('<text:p text:style-name="P">%s%s</text:p>' % (words, note))
    rows = ''.join('<table:table-row>%s</table:table-row>' % ''.join(
        '<table:table-cell><text:p>r%dc%d</text:p></table:table-cell>' % (r, c) for c in range(3))
        for r in range(3))
    body.append('<table:table table:name="T"><table:table-column '
                'table:number-columns-repeated="3"/>%s</table:table>' % rows)
    body.append('</text:section>')
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document %s office:version="1.2" '
            'office:mimetype="application/vnd.oasis.opendocument.text"><office:automatic-styles>'
            '<style:style style:name="Sect" style:family="section"><style:section-properties>'
            '<style:columns fo:column-count="%d" fo:column-gap="0.5cm"/></style:section-properties>'
            '</style:style><style:style style:name="H" style:family="paragraph"><style:text-properties '
            'fo:font-size="20pt" fo:font-weight="bold"/></style:style><style:style style:name="P" '
            'style:family="paragraph"><style:paragraph-properties fo:margin-bottom="0.3cm" '
            'fo:text-align="justify"/></style:style></office:automatic-styles><office:body>'
            '<office:text>%s</office:text></office:body></office:document>\n') % (
                NAMESPACES, columns, '\n'.join(body))


def problems(words, columns):
    found = []
    if words[:4] != ['Heading', 'across', 'all', 'columns']:
        found.append('the heading is not first')
    tagged = [m.groups() for m in (re.match(r'(c\d+p\d+)w(\d+)', w) for w in words) if m]
    expected = [('c%dp%d' % (c, p), str(i)) for c in range(columns) for p in range(3)
                for i in range(60)]
    if tagged != expected:
        first = next(i for i, pair in enumerate(zip(tagged, expected)) if pair[0] != pair[1]) \
            if any(a != b for a, b in zip(tagged, expected)) else min(len(tagged), len(expected))
        found.append('the columns are not read in order (word %d)' % first)
    cells = [w for w in words if re.match(r'r\dc\d$', w)]
    if cells != ['r%dc%d' % (r, c) for r in range(3) for c in range(3)]:
        found.append('the table is not read row by row: %s' % ' '.join(cells))
    if 'footnote' not in words:
        found.append('the footnote is missing')
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--ours', default='build/scrivlet')
    args = parser.parse_args()
    failed = False
    with tempfile.TemporaryDirectory() as folder:
        names = []
        for columns in (2, 3):
            name = os.path.join(folder, 'columns%d.fodt' % columns)
            with open(name, 'w', encoding='utf-8') as out:
                out.write(flat_text(columns))
            names.append(name)
        subprocess.run(['soffice', '--headless', '--convert-to', 'pdf', '--outdir', folder] + names,
                       capture_output=True, timeout=300, check=True)
        for columns, name in zip((2, 3), names):
            pdf = name[:-5] + '.pdf'
            text = subprocess.run(args.ours.split() + [pdf], capture_output=True,
                                  check=True).stdout.decode('utf-8')
            # The footnote's mark stands right after the word it follows.
            words = ['c0p0w59' if w == 'c0p0w591' else w for w in text.split()]
            found = problems(words, columns)
            failed = failed or bool(found)
            print('%d columns: %s' % (columns, '; '.join(found) if found else 'ok'))
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
