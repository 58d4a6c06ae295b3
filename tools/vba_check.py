#!/usr/bin/env python3
"""Lists the VBA modules of a Word binary document, independently of the C++
code: a small compound-file reader, the VBA decompression and the "dir"
records, written from the published formats.  Used to check by hand what the
converter's macro listing shows.

    python3 tools/vba_check.py FILE.doc [--source]
"""
import struct
import sys


def read_cfb(data):
    assert data[:8] == bytes.fromhex('d0cf11e0a1b11ae1'), 'not a compound file'
    ssz = 1 << struct.unpack_from('<H', data, 30)[0]
    mssz = 1 << struct.unpack_from('<H', data, 32)[0]
    dir_start, = struct.unpack_from('<I', data, 48)
    cutoff, = struct.unpack_from('<I', data, 56)
    minifat_start, = struct.unpack_from('<I', data, 60)
    difat_start, ndifat = struct.unpack_from('<II', data, 68)
    difat = list(struct.unpack_from('<109I', data, 76))
    sec = lambda n: data[(n + 1) * ssz:(n + 2) * ssz]
    while difat_start < 0xFFFFFFFA and ndifat:
        entries = struct.unpack('<%dI' % (ssz // 4), sec(difat_start))
        difat += entries[:-1]
        difat_start = entries[-1]
        ndifat -= 1
    fat = []
    for s in difat:
        if s < 0xFFFFFFFA:
            fat += struct.unpack('<%dI' % (ssz // 4), sec(s))

    def chain(start, table, limit=1 << 20):
        out = []
        while start < 0xFFFFFFFA and len(out) < limit:
            out.append(start)
            start = table[start]
        return out

    dirdata = b''.join(sec(s) for s in chain(dir_start, fat))
    entries = []
    for i in range(len(dirdata) // 128):
        e = dirdata[i * 128:(i + 1) * 128]
        nlen, = struct.unpack_from('<H', e, 64)
        name = e[:max(nlen - 2, 0)].decode('utf-16-le')
        typ = e[66]
        left, right, child = struct.unpack_from('<III', e, 68)
        start, size = struct.unpack_from('<IQ', e, 116)
        entries.append(dict(name=name, type=typ, left=left, right=right,
                            child=child, start=start, size=size & 0xFFFFFFFF))
    root = entries[0]
    ministream = b''.join(sec(s) for s in chain(root['start'], fat))
    minifat = []
    for s in chain(minifat_start, fat):
        minifat += struct.unpack('<%dI' % (ssz // 4), sec(s))

    def stream(e):
        if e['size'] < cutoff:
            raw = b''.join(ministream[s * mssz:(s + 1) * mssz]
                           for s in chain(e['start'], minifat))
        else:
            raw = b''.join(sec(s) for s in chain(e['start'], fat))
        return raw[:e['size']]

    def children(i):
        out, stack, node = [], [], entries[i]['child']
        while node != 0xFFFFFFFF or stack:
            while node != 0xFFFFFFFF:
                stack.append(node)
                node = entries[node]['left']
            node = stack.pop()
            out.append(node)
            node = entries[node]['right']
        return out

    return entries, children, stream


def decompress(buf):
    assert buf[0] == 1, 'no container signature'
    out = bytearray()
    pos = 1
    while pos < len(buf):
        header, = struct.unpack_from('<H', buf, pos)
        if not any(buf[pos:]):
            break  # zero padding after the last chunk
        size = (header & 0xFFF) + 3
        assert (header >> 12) & 7 == 3, 'chunk signature'
        if not header & 0x8000:
            out += buf[pos + 2:pos + 2 + 4096]
            pos += 2 + 4096
            continue
        end = min(pos + size, len(buf))
        p = pos + 2
        start = len(out)
        while p < end:
            flags = buf[p]
            p += 1
            for bit in range(8):
                if p >= end:
                    break
                if flags >> bit & 1:
                    token, = struct.unpack_from('<H', buf, p)
                    p += 2
                    d = len(out) - start
                    bits = max((d - 1).bit_length(), 4)
                    lbits = 16 - bits
                    length = (token & ((1 << lbits) - 1)) + 3
                    offset = (token >> lbits) + 1
                    for _ in range(length):
                        out.append(out[-offset])
                else:
                    out.append(buf[p])
                    p += 1
        pos = end
    return bytes(out)


def dir_modules(d):
    pos, codepage, modules = 0, 1252, []
    while pos + 6 <= len(d):
        rid, size = struct.unpack_from('<HI', d, pos)
        pos += 6
        if rid == 0x10:
            break
        if rid == 0x09:
            size = 6
        body = d[pos:pos + size]
        pos += size
        if rid == 0x03:
            codepage, = struct.unpack('<H', body)
        elif rid == 0x19:
            modules.append({'name': body})
        elif rid == 0x1A:
            modules[-1]['stream'] = body
        elif rid == 0x32:
            modules[-1]['ustream'] = body.decode('utf-16-le')
        elif rid == 0x31:
            modules[-1]['offset'], = struct.unpack('<I', body)
    return codepage, modules


def main():
    data = open(sys.argv[1], 'rb').read()
    show = '--source' in sys.argv
    entries, children, stream = read_cfb(data)
    # Depth-first over the storages, looking for the one with "dir".
    pending = [0]
    while pending:
        i = pending.pop()
        kids = children(i)
        names = {entries[k]['name'].lower(): k for k in kids}
        if 'dir' in names and entries[names['dir']]['type'] == 2:
            codepage, modules = dir_modules(decompress(stream(entries[names['dir']])))
            print('storage %r code page %d, %d modules' % (entries[i]['name'], codepage, len(modules)))
            for m in modules:
                name = m['name'].decode('cp%d' % codepage, 'replace')
                sname = m.get('ustream') or m['stream'].decode('cp%d' % codepage)
                k = names.get(sname.lower())
                src = b''
                if k is not None:
                    raw = stream(entries[k])
                    try:
                        src = decompress(raw[m['offset']:])
                    except (AssertionError, IndexError, struct.error):
                        # The offset points elsewhere: the source begins
                        # with the literals "Attribut" after a flag byte 0.
                        at = raw.find(b'\x00Attribut') - 3
                        print('  offset %d unusable; container found at %d' % (m['offset'], at))
                        src = decompress(raw[at:])
                print('module %r stream %r offset %d source %d bytes' % (name, sname, m['offset'], len(src)))
                if show:
                    print(src.decode('cp%d' % codepage, 'replace'))
        pending += [k for k in kids if entries[k]['type'] == 1]


if __name__ == '__main__':
    main()
