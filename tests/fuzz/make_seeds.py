#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (corpus/payload, corpus/png).

Small valid inputs of every shape the readers know, so that the fuzzer starts
from the inside of the formats. Run it again after changing it; the seeds are
kept in the tree.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def entry(name, data, stamp=45000.5):
    return bytes([len(name)]) + name + struct.pack('<dI', stamp, len(data)) + data


def write(kind, name, data):
    with open(os.path.join(HERE, 'corpus', kind, name), 'wb') as f:
        f.write(data)


def payloads():
    write('payload', 'empty', zlib.compress(b''))
    write('payload', 'two-entries', zlib.compress(
        entry(b'License.txt', b'Terms of use.\r\n') + entry(b'kel.exe', b'MZ' + bytes(40)), 9))
    write('payload', 'folders', zlib.compress(
        entry(b'Templates\\Letters\\Plain.kwt', b'a plain letter') +
        entry(b'Clip Library\\Animals\\cat.gif', b'GIF89a') +
        entry(b'Templates\\..\\..\\x', b'outside') +
        entry(b'Templates\\C:\\x', b'drive') + entry(b'Templates\\CON.kwt', b'device'), 6))
    write('payload', 'empty-entry-and-long-name',
          zlib.compress(entry(b'e', b'') + entry(b'n' * 255, b'long'), 1))
    write('payload', 'stored-block', zlib.compress(entry(b'r', bytes((37 * i) & 255 for i in range(300))), 0))
    # The inflated form, for the indexer fed directly.
    write('payload', 'raw-entries', entry(b'a.txt', b'abc') + entry(b'b\\c.txt', b'de'))


def chunk(kind, data):
    body = kind + data
    return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))


def png(width, height, depth, rows, colour=3, palette=4, split=1, extra=b''):
    raw = b''.join(bytes([f]) + r for f, r in rows)
    packed = zlib.compress(raw, 9)
    step = max(1, (len(packed) + split - 1) // split)
    idats = b''.join(chunk(b'IDAT', packed[i:i + step]) for i in range(0, len(packed), step))
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, 0)) +
            extra + chunk(b'PLTE', bytes(range(3 * palette))) + idats + chunk(b'IEND', b''))


def pngs():
    for name in ('logo.png', 'logosmall.png'):
        with open(os.path.join(HERE, '..', '..', 'resources', name), 'rb') as f:
            write('png', name, f.read())
    for depth in (1, 2, 4, 8, 16):
        row = (5 * depth + 7) // 8
        rows = [(f % 5, bytes((17 * f + i) & 255 for i in range(row))) for f in range(5)]
        write('png', 'depth%d' % depth, png(5, 5, depth, rows))
    rows = [(0, bytes(range(8)))] * 4
    write('png', 'split-idat', png(8, 4, 8, rows, split=3))
    write('png', 'ancillary', png(8, 4, 8, rows, extra=chunk(b'tEXt', b'Comment\0hello')))
    write('png', 'grey-with-palette', png(8, 4, 8, rows, colour=0))


if __name__ == '__main__':
    payloads()
    pngs()
