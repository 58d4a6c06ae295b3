#!/usr/bin/env python3
"""Writes the two inputs of bench/model-memory.sh into a directory.

    bench/model-memory-inputs.py DIR [DOCX_BYTES] [FB2_PARAGRAPHS]

DIR/large.docx: a Word 2007+ package of about DOCX_BYTES (default 50,000,000)
bytes, its parts stored (not deflated), so that the file size is about the size
of word/document.xml: headings, paragraphs of a few sentences with bold and
italic runs, and a table every 40 paragraphs.

DIR/large.fb2: a FictionBook 2 file in UTF-8 with FB2_PARAGRAPHS (default
20,000) paragraphs in chapters of sections, a third of them in Russian, with
emphasis, strong text, subtitles and a few poems.

The output is the same on every run (fixed seed).
"""

import random
import sys
import zipfile
from xml.sax.saxutils import escape

ENGLISH = (
    "the committee report annual budget figures quarter result council member "
    "proposal meeting agenda minutes draft revision office staff project "
    "schedule delivery customer contract supplier invoice payment account "
    "balance review audit department manager director board decision vote "
    "policy change section paragraph table appendix summary conclusion "
    "introduction method analysis data sample survey response rate growth "
    "decline market share region north south east west city county river "
    "bridge road school library hospital station garden museum theatre "
    "morning evening week month year spring summer autumn winter new old "
    "large small early late final first second third several many few "
    "important necessary possible likely clear open public private local "
    "national written approved agreed considered noted reported requested "
    "received sent prepared discussed presented expected planned finished"
).split()

RUSSIAN = (
    "отчёт комитет бюджет год квартал результат совет член предложение "
    "заседание повестка протокол проект редакция отдел сотрудник график "
    "поставка заказчик договор поставщик счёт оплата баланс проверка "
    "руководитель директор правление решение голосование порядок изменение "
    "раздел таблица приложение вывод введение метод анализ данные опрос "
    "рост спад рынок доля область север юг восток запад город река мост "
    "дорога школа библиотека больница вокзал сад музей театр утро вечер "
    "неделя месяц весна лето осень зима новый старый большой малый ранний "
    "поздний первый второй третий важный нужный возможный ясный открытый "
    "местный письменный принятый согласованный рассмотренный полученный"
).split()


def sentence_pool(rng, words, count):
    pool = []
    for _ in range(count):
        n = rng.randint(8, 20)
        ws = [rng.choice(words) for _ in range(n)]
        ws[0] = ws[0].capitalize()
        if n > 10 and rng.random() < 0.4:
            ws[n // 2] += ","
        pool.append(" ".join(ws) + rng.choice(".....?!"))
    return pool


def paragraph_text(rng, pool):
    return " ".join(rng.choice(pool) for _ in range(rng.randint(2, 6)))


# ---------------------------------------------------------------- .docx

W_NS = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
R_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>
<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>
</Types>
"""

PACKAGE_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>
</Relationships>
"""

DOCUMENT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>
"""

STYLES = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:styles xmlns:w="{W_NS}">
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/><w:pPr><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="heading 2"/><w:basedOn w:val="Normal"/><w:pPr><w:outlineLvl w:val="1"/></w:pPr><w:rPr><w:b/><w:sz w:val="28"/></w:rPr></w:style>
</w:styles>
"""

CORE = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<dc:title>Generated report for the memory benchmark</dc:title>
<dc:creator>model-memory-inputs.py</dc:creator>
<dcterms:created xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:created>
</cp:coreProperties>
"""


def run_xml(text, props=""):
    rpr = f"<w:rPr>{props}</w:rPr>" if props else ""
    return f'<w:r>{rpr}<w:t xml:space="preserve">{escape(text)}</w:t></w:r>'


def docx_paragraph(rng, pool):
    """A body paragraph: plain text with now and then a bold or italic span."""
    text = paragraph_text(rng, pool)
    if rng.random() < 0.5:
        return f"<w:p>{run_xml(text)}</w:p>"
    words = text.split(" ")
    start = rng.randrange(len(words))
    end = min(len(words), start + rng.randint(1, 4))
    props = rng.choice(["<w:b/>", "<w:i/>", "<w:b/><w:i/>"])
    runs = []
    if start:
        runs.append(run_xml(" ".join(words[:start]) + " "))
    runs.append(run_xml(" ".join(words[start:end]), props))
    if end < len(words):
        runs.append(run_xml(" " + " ".join(words[end:])))
    return "<w:p>" + "".join(runs) + "</w:p>"


def docx_heading(level, text):
    return f'<w:p><w:pPr><w:pStyle w:val="Heading{level}"/></w:pPr>{run_xml(text)}</w:p>'


def docx_table(rng, words, rows, cols):
    grid = "".join('<w:gridCol w:w="2000"/>' for _ in range(cols))
    out = [f'<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/></w:tblPr><w:tblGrid>{grid}</w:tblGrid>']
    for r in range(rows):
        out.append("<w:tr>")
        for c in range(cols):
            if r == 0:
                cell = run_xml(rng.choice(words).capitalize(), "<w:b/>")
            elif c == 0:
                cell = run_xml(" ".join(rng.choice(words) for _ in range(2)))
            else:
                cell = run_xml(f"{rng.randint(0, 99999):,}")
            out.append(f'<w:tc><w:tcPr><w:tcW w:w="2000" w:type="dxa"/></w:tcPr><w:p>{cell}</w:p></w:tc>')
        out.append("</w:tr>")
    out.append("</w:tbl>")
    return "".join(out)


DATE = (2024, 1, 1, 0, 0, 0)


def write_docx(path, target_bytes, rng):
    pool = sentence_pool(rng, ENGLISH, 4000)
    head = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<w:document xmlns:w="{W_NS}" xmlns:r="{R_NS}"><w:body>'
    )
    tail = (
        '<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>'
        '<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440"/></w:sectPr>'
        "</w:body></w:document>"
    )
    # What the other parts and the archive's headers take, roughly.
    budget = target_bytes - 6000 - len(head) - len(tail)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        for name, text in [
            ("[Content_Types].xml", CONTENT_TYPES),
            ("_rels/.rels", PACKAGE_RELS),
            ("word/_rels/document.xml.rels", DOCUMENT_RELS),
            ("word/styles.xml", STYLES),
            ("docProps/core.xml", CORE),
        ]:
            z.writestr(zipfile.ZipInfo(name, DATE), text)
        with z.open(zipfile.ZipInfo("word/document.xml", DATE), "w") as out:
            out.write(head.encode())
            written = 0
            chunk = []
            chunk_bytes = 0
            n = 0
            chapter = 0
            while written + chunk_bytes < budget:
                if n % 400 == 0:
                    chapter += 1
                    piece = docx_heading(1, f"Chapter {chapter}")
                elif n % 40 == 0:
                    piece = docx_heading(2, rng.choice(pool).rstrip(".?!"))
                elif n % 40 == 20:
                    piece = docx_table(rng, ENGLISH, rng.randint(3, 8), rng.randint(2, 5))
                else:
                    piece = docx_paragraph(rng, pool)
                n += 1
                data = piece.encode()
                chunk.append(data)
                chunk_bytes += len(data)
                if chunk_bytes > 1 << 20:
                    out.write(b"".join(chunk))
                    written += chunk_bytes
                    chunk, chunk_bytes = [], 0
            out.write(b"".join(chunk))
            out.write(tail.encode())


# ---------------------------------------------------------------- .fb2


def fb2_paragraph(rng, pool):
    text = escape(paragraph_text(rng, pool))
    if rng.random() < 0.3:
        words = text.split(" ")
        i = rng.randrange(len(words))
        tag = rng.choice(["emphasis", "strong"])
        words[i] = f"<{tag}>{words[i]}</{tag}>"
        text = " ".join(words)
    return f"<p>{text}</p>"


def write_fb2(path, paragraphs, rng):
    english = sentence_pool(rng, ENGLISH, 2000)
    russian = sentence_pool(rng, RUSSIAN, 2000)
    out = [
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" '
        'xmlns:l="http://www.w3.org/1999/xlink">\n'
        "<description><title-info><genre>prose_contemporary</genre>"
        "<author><first-name>Анна</first-name><last-name>Петрова</last-name></author>"
        "<book-title>Годовой отчёт — Annual Report</book-title><lang>ru</lang></title-info>"
        "<document-info><author><nickname>generator</nickname></author>"
        "<date>2024</date><id>model-memory-bench</id><version>1.0</version></document-info>"
        "</description>\n<body><title><p>Годовой отчёт</p><p>Annual Report</p></title>\n"
    ]
    per_section = 50
    per_chapter = 10 * per_section
    for n in range(paragraphs):
        if n % per_chapter == 0:
            if n:
                out.append("</section></section>\n")
            chapter = n // per_chapter + 1
            out.append(f"<section><title><p>Глава {chapter}. Chapter {chapter}</p></title>\n")
            out.append("<section>")
        elif n % per_section == 0:
            out.append("</section>\n<section>")
        if n % per_section == 0:
            out.append(f"<title><p>{escape(rng.choice(russian).rstrip('.?!'))}</p></title>\n")
        if n % per_section == 25:
            out.append(f"<subtitle>{escape(rng.choice(english))}</subtitle>\n<empty-line/>\n")
        if n % 1000 == 500:
            verses = "".join(f"<v>{escape(rng.choice(russian))}</v>" for _ in range(4))
            out.append(f"<poem><stanza>{verses}</stanza></poem>\n")
        pool = russian if n % 3 == 0 else english
        out.append(fb2_paragraph(rng, pool) + "\n")
    out.append("</section></section>\n</body>\n</FictionBook>\n")
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join(out))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    directory = sys.argv[1]
    docx_bytes = int(sys.argv[2]) if len(sys.argv) > 2 else 50_000_000
    fb2_paragraphs = int(sys.argv[3]) if len(sys.argv) > 3 else 20_000
    write_docx(f"{directory}/large.docx", docx_bytes, random.Random(20240101))
    write_fb2(f"{directory}/large.fb2", fb2_paragraphs, random.Random(20240102))


if __name__ == "__main__":
    main()
