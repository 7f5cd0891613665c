#!/usr/bin/env python3
"""Copies the end-to-end road's pictures from the gallery (build/win/gallery/
road-*.bmp, left by e2e_road) into docs/road as PNG files for the README's
guide.  Run by hand after scripts/test when the windows change:

    python3 scripts/road_pictures.py [GALLERY] [OUT]
"""
import glob
import os
import struct
import sys
import zlib


def read_bmp(path):
    """Width, height and rows (top first) of RGB bytes from a 24- or
    32-bit uncompressed BMP."""
    data = open(path, 'rb').read()
    if data[:2] != b'BM':
        raise ValueError(path + ': not a BMP file')
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    bits = struct.unpack_from('<H', data, 28)[0]
    if bits not in (24, 32):
        raise ValueError('%s: %d bits a pixel' % (path, bits))
    step = bits // 8
    stride = (width * step + 3) & ~3
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        src = y if top_down else height - 1 - y
        row = data[offset + src * stride: offset + src * stride + width * step]
        rgb = bytearray(width * 3)
        rgb[0::3] = row[2::step]
        rgb[1::3] = row[1::step]
        rgb[2::3] = row[0::step]
        rows.append(bytes(rgb))
    return width, height, rows


def png_bytes(width, height, rows):
    def chunk(kind, body):
        c = struct.pack('>I', len(body)) + kind + body
        return c + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
    raw = b''.join(b'\0' + r for r in rows)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    gallery = sys.argv[1] if len(sys.argv) > 1 else os.path.join(top, 'build', 'win', 'gallery')
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(top, 'docs', 'road')
    os.makedirs(out, exist_ok=True)
    found = sorted(glob.glob(os.path.join(gallery, 'road-*.bmp')))
    if not found:
        sys.exit('no road pictures in ' + gallery + ' (run scripts/test first)')
    for path in found:
        name = os.path.splitext(os.path.basename(path))[0] + '.png'
        with open(os.path.join(out, name), 'wb') as f:
            f.write(png_bytes(*read_bmp(path)))
        print(os.path.join(out, name))


if __name__ == '__main__':
    main()
