#!/usr/bin/env python3
"""Renders the program's SVG icons to PNG, for Qt builds without the SVG image plugin.

The icons use a small part of SVG only: <rect> (with rx) and <path> with the commands M, H, V, h, v,
l and z, filled and stroked (round joins). This draws exactly that, anti-aliased by supersampling.
Usage: render_icons.py SIZE ICON.svg... (writes ICON-SIZE.png beside each ICON.svg)
"""
import math
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

SUB = 4  # samples per pixel along each axis


def colour(text):
    text = text.lstrip('#')
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def path_points(d):
    tokens = re.findall(r'[MHVhvlLz]|-?[0-9.]+', d)
    points, x, y, i = [], 0.0, 0.0, 0
    command = None
    while i < len(tokens):
        t = tokens[i]
        if re.match(r'[A-Za-z]', t):
            command = t
            i += 1
            if command == 'z':
                continue
        if command in ('M', 'L'):
            x, y = float(tokens[i]), float(tokens[i + 1]); i += 2
        elif command == 'l':
            x, y = x + float(tokens[i]), y + float(tokens[i + 1]); i += 2
        elif command == 'h':
            x += float(tokens[i]); i += 1
        elif command == 'v':
            y += float(tokens[i]); i += 1
        elif command == 'H':
            x = float(tokens[i]); i += 1
        elif command == 'V':
            y = float(tokens[i]); i += 1
        points.append((x, y))
    return points, 'z' in d


def inside_polygon(px, py, poly):
    hit = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def near_segments(px, py, segments, half):
    for (x1, y1), (x2, y2) in segments:
        dx, dy = x2 - x1, y2 - y1
        length = dx * dx + dy * dy
        t = 0 if length == 0 else max(0, min(1, ((px - x1) * dx + (py - y1) * dy) / length))
        if math.hypot(px - x1 - t * dx, py - y1 - t * dy) <= half:
            return True
    return False


def inside_rect(px, py, x, y, w, h, r):
    if not (x <= px <= x + w and y <= py <= y + h):
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return math.hypot(px - cx, py - cy) <= r


def shapes(svg):
    root = ET.parse(svg).getroot()
    for element in root:
        tag = element.tag.split('}')[-1]
        a = element.attrib
        fill = colour(a['fill']) if a.get('fill', 'none') != 'none' else None
        stroke = colour(a['stroke']) if 'stroke' in a else None
        half = float(a.get('stroke-width', '0')) / 2
        if tag == 'rect':
            x, y, w, h = (float(a[k]) for k in ('x', 'y', 'width', 'height'))
            r = float(a.get('rx', '0'))
            yield (lambda px, py, x=x, y=y, w=w, h=h, r=r: inside_rect(px, py, x, y, w, h, r)), fill, None, None
            if stroke:
                yield None, None, (lambda px, py, x=x, y=y, w=w, h=h, r=r, s=half:
                                   inside_rect(px, py, x - s, y - s, w + 2 * s, h + 2 * s, r + s)
                                   and not inside_rect(px, py, x + s, y + s, w - 2 * s, h - 2 * s, max(r - s, 0))), stroke
        elif tag == 'path':
            points, closed = path_points(a['d'])
            segments = list(zip(points, points[1:] + (points[:1] if closed else [])))
            yield (lambda px, py, p=points: inside_polygon(px, py, p)), fill, None, None
            if stroke:
                yield None, None, (lambda px, py, s=segments, h=half: near_segments(px, py, s, h)), stroke


def render(svg, size):
    scale = 64.0 / size
    layers = list(shapes(svg))
    rows = []
    for row in range(size):
        line = bytearray()
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    px = (col + (sx + 0.5) / SUB) * scale
                    py = (row + (sy + 0.5) / SUB) * scale
                    rgb = None
                    for fill_test, fill, stroke_test, stroke in layers:
                        if fill_test and fill and fill_test(px, py):
                            rgb = fill
                        if stroke_test and stroke_test(px, py):
                            rgb = stroke
                    if rgb:
                        acc[0] += rgb[0]; acc[1] += rgb[1]; acc[2] += rgb[2]; acc[3] += 1
            n = acc[3]
            if n == 0:
                line += bytes(4)
            else:
                line += bytes((round(acc[0] / n), round(acc[1] / n), round(acc[2] / n), round(255 * n / (SUB * SUB))))
        rows.append(bytes(line))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    raw = b''.join(b'\0' + r for r in rows)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n')
        out.write(chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)))
        out.write(chunk(b'IDAT', zlib.compress(raw, 9)))
        out.write(chunk(b'IEND', b''))


if __name__ == '__main__':
    size = int(sys.argv[1])
    for svg in sys.argv[2:]:
        write_png(svg[:-4] + '-%d.png' % size, size, render(svg, size))
