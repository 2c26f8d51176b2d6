#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: EXIF blocks in both byte
orders with GPS, thumbnail and maker-note directories for each maker read,
and small JPEG files with IPTC, EXIF and comment segments in several orders.
Usage: fuzz/make_seeds.py BASE_JPEG (a tiny JPEG without metadata)."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 7: 1, 9: 4, 10: 8}


def ifd(entries, start, order, next_offset=0):
    """One directory at `start` (offset from the TIFF header); values longer
    than four bytes follow it. entries: (tag, type, count, bytes)."""
    head = struct.pack(order + 'H', len(entries))
    data_at = start + 2 + 12 * len(entries) + 4
    body, extra = b'', b''
    for tag, typ, count, value in entries:
        if len(value) <= 4:
            field = value.ljust(4, b'\0')
        else:
            field = struct.pack(order + 'I', data_at + len(extra))
            extra += value + (b'\0' if len(value) % 2 else b'')
        body += struct.pack(order + 'HHI', tag, typ, count) + field
    return head + body + struct.pack(order + 'I', next_offset) + extra


def short(order, v):
    return struct.pack(order + 'H', v)


def long_(order, v):
    return struct.pack(order + 'I', v)


def rational(order, *pairs):
    return b''.join(struct.pack(order + 'II', n, d) for n, d in pairs)


def ascii_(text):
    return text.encode() + b'\0'


def maker_note(maker, order):
    entries = [(0x0001, 2, 4, b'0210'), (0x0002, 3, 2, short(order, 0) + short(order, 200)),
               (0x0004, 2, 8, b'NORMAL\0\0')]
    if maker == 'NIKON':
        inner = b'MM' if order == '>' else b'II'
        return b'Nikon\0\x02\x10\0\0' + inner + short(order, 42) + long_(order, 8) + \
            ifd(entries, 8, order)
    if maker == 'OLYMPUS':
        return b'OLYMP\0\x01\0' + ifd([(0x0200, 4, 3, b'\0' * 12), (0x0201, 3, 1, short(order, 2))],
                                     0, order)
    if maker == 'FUJIFILM':
        return b'FUJIFILM' + struct.pack('<I', 12) + ifd([(0x1000, 2, 8, b'NORMAL \0')], 12, '<')
    if maker == 'SANYO':
        return b'SANYO\0\x01\0' + ifd([(0x0200, 4, 3, b'\0' * 12)], 0, order)
    if maker == 'CASIO':
        return b'QVC\0\0\0' + ifd([(0x0002, 3, 2, short(order, 640) + short(order, 480))], 0, order)
    return ifd(entries, 0, order)


def exif_block(order, make):
    """The APP1 payload: "Exif\\0\\0" and a TIFF structure."""
    mark = b'MM' if order == '>' else b'II'
    ifd0_at = 8
    note = maker_note(make, order)
    gps = [(0x0000, 1, 4, b'\x02\x02\0\0'), (0x0001, 2, 2, b'N\0'),
           (0x0002, 5, 3, rational(order, (40, 1), (2655, 100), (0, 1))),
           (0x0007, 5, 3, rational(order, (12, 1), (30, 1), (5, 1)))]
    exif = [(0x829A, 5, 1, rational(order, (1, 125))), (0x829D, 5, 1, rational(order, (56, 10))),
            (0x9000, 7, 4, b'0230'), (0x9101, 7, 4, b'\x01\x02\x03\0'),
            (0x9201, 10, 1, rational(order, (7, 1))), (0x9209, 3, 1, short(order, 25)),
            (0x920A, 5, 1, rational(order, (50, 1))), (0x927C, 7, len(note), note),
            (0x9286, 7, 13, b'ASCII\0\0\0hello'),
            (0xA002, 4, 1, long_(order, 3600)), (0xA003, 4, 1, long_(order, 2400)),
            (0xA20E, 5, 1, rational(order, (100, 1))), (0xA20F, 5, 1, rational(order, (100, 1))),
            (0xA210, 3, 1, short(order, 3))]
    ifd0 = [(0x010F, 2, len(make) + 1, ascii_(make)), (0x0110, 2, 6, ascii_('Model')),
            (0x0112, 3, 1, short(order, 6)), (0x011A, 5, 1, rational(order, (72, 1))),
            (0x9C9B, 1, 6, 'Hi\0'.encode('utf-16-le')),
            (0x8769, 4, 1, b''), (0x8825, 4, 1, b'')]
    # Lay out: IFD0, then the EXIF directory, then GPS, then IFD1.
    draft = ifd(ifd0[:-2] + [(0x8769, 4, 1, long_(order, 0)), (0x8825, 4, 1, long_(order, 0))],
                ifd0_at, order)
    exif_at = ifd0_at + len(draft)
    exif_bytes = ifd(exif, exif_at, order)
    gps_at = exif_at + len(exif_bytes)
    gps_bytes = ifd(gps, gps_at, order)
    ifd1_at = gps_at + len(gps_bytes)
    ifd1_bytes = ifd([(0x0103, 3, 1, short(order, 6))], ifd1_at, order)
    final0 = ifd(ifd0[:-2] + [(0x8769, 4, 1, long_(order, exif_at)),
                              (0x8825, 4, 1, long_(order, gps_at))], ifd0_at, order, ifd1_at)
    tiff = mark + short(order, 42) + long_(order, ifd0_at) + final0 + exif_bytes + gps_bytes + \
        ifd1_bytes
    return b'Exif\0\0' + tiff


def segment(marker, payload):
    return b'\xFF' + bytes([marker]) + struct.pack('>H', len(payload) + 2) + payload


def iptc_payload(datasets):
    body = b'\x1C\x02\x00\x00\x02\x00\x02'
    for record, number, value in datasets:
        body += bytes([0x1C, record, number]) + struct.pack('>H', len(value)) + value
    if len(body) % 2:
        body += b'\0'
    return b'Photoshop 3.0\0' + b'8BIM\x04\x04\0\0' + struct.pack('>I', len(body)) + body


def main():
    base = open(sys.argv[1], 'rb').read()
    assert base[:2] == b'\xFF\xD8'
    rest = base[2:]
    exif_dir = os.path.join(HERE, 'corpus', 'fuzz_exif')
    jpeg_dir = os.path.join(HERE, 'corpus', 'fuzz_jpeg_iptc')
    os.makedirs(exif_dir, exist_ok=True)
    os.makedirs(jpeg_dir, exist_ok=True)
    for make in ['NIKON', 'OLYMPUS', 'CASIO', 'FUJIFILM', 'Canon', 'SEIKO EPSON', 'SANYO',
                 'Minolta']:
        for order, name in (('<', 'ii'), ('>', 'mm')):
            block = exif_block(order, make)
            with open(os.path.join(exif_dir, f'{make.split()[0].lower()}-{name}'), 'wb') as out:
                out.write(struct.pack('>H', len(block) + 2) + block)
    iptc = iptc_payload([(2, 5, b'Name'), (2, 25, b'sky'), (2, 25, b'blue sky'), (2, 25, b'Sky'),
                         (2, 120, b'A caption'), (2, 200, b'custom'), (8, 10, b'1')])
    exif = exif_block('<', 'NIKON')
    layouts = {
        'app1-app13': segment(0xE1, exif) + segment(0xED, iptc),
        'app0-app1': segment(0xE0, b'JFIF\0\x01\x01\0\0\x01\0\x01\0\0') + segment(0xE1, exif),
        'app1-app2-app13': segment(0xE1, exif) + segment(0xE2, b'ICC') + segment(0xED, iptc),
        'app13-com': segment(0xED, iptc) + segment(0xFE, b'a comment'),
        'plain': b'',
    }
    for name, segments in layouts.items():
        with open(os.path.join(jpeg_dir, name + '.jpg'), 'wb') as out:
            out.write(b'\xFF\xD8' + segments + rest)


if __name__ == '__main__':
    main()
