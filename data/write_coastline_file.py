#!/usr/bin/env python3
"""Writes a coastline file from line dumps in GMT's multiple-segment text form.

    write_coastline_file.py OUTPUT [--tolerance T] TYPE=DUMP [TYPE=DUMP ...]

Each DUMP holds segments of one element type (1 coastlines, 2 lake shores, 3 national borders,
4 rivers), every segment opened by a line starting with ">" and followed by "lon lat" lines in
degrees. The output is the program's coastline file:

    bytes 0..15   byte 0 = 1 (records carry element types), the rest 0
    records       int16 little-endian: marker 1, element type, longitude extent A and B,
                  lowest and highest latitude, point count n, then n points (longitude, latitude);
                  every angle in hundredths of a degree
    end           one int16 marker 0

The dumps come in short pieces, cut at GMT's bin edges. Pieces that continue one another are
joined into lines, each line thinned when --tolerance is given (Douglas-Peucker, in hundredths of
a degree), and the lines are cut again into records of at most MAX_POINTS points, neighbours
sharing their end point so that no gap opens between them. Short records keep the extents tight,
so that a drawing of a small area passes over most of them cheaply.
"""

import argparse
import math
import struct
import sys

MAX_POINTS = 256
HEADER = bytes([1]) + bytes(15)


def hundredths(text):
    return math.floor(float(text) * 100 + 0.5)


def read_segments(path):
    """The segments of a dump as lists of (lon, lat) in hundredths, repeated points dropped."""
    segments = []
    current = None
    with open(path, encoding="ascii") as dump:
        for line in dump:
            if line.startswith(">"):
                current = []
                segments.append(current)
                continue
            fields = line.split()
            if not fields:
                continue
            if current is None or len(fields) < 2:
                sys.exit(f"{path}: not a multiple-segment dump: {line.strip()!r}")
            point = (hundredths(fields[0]), hundredths(fields[1]))
            if not current or current[-1] != point:
                current.append(point)
    return [segment for segment in segments if len(segment) >= 2]


def join_pieces(pieces):
    """Lines made of pieces where one piece starts at the point where another ends."""
    starting_at = {}
    for index, piece in enumerate(pieces):
        starting_at.setdefault(piece[0], []).append(index)
    ending_at = {}
    for index, piece in enumerate(pieces):
        ending_at.setdefault(piece[-1], []).append(index)
    used = [False] * len(pieces)

    def take(candidates):
        for index in candidates:
            if not used[index]:
                used[index] = True
                return index
        return None

    lines = []
    for first in range(len(pieces)):
        if used[first]:
            continue
        used[first] = True
        line = list(pieces[first])
        while (following := take(starting_at.get(line[-1], []))) is not None:
            line.extend(pieces[following][1:])
        while (preceding := take(ending_at.get(line[0], []))) is not None:
            line[:0] = pieces[preceding][:-1]
        lines.append(line)
    return lines


def distance_to_chord(point, start, end):
    (x, y), (x0, y0), (x1, y1) = point, start, end
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    if length == 0:
        return math.hypot(x - x0, y - y0)
    return abs(dy * (x - x0) - dx * (y - y0)) / length


def thin(line, tolerance):
    """Douglas-Peucker: the points that keep the line within `tolerance` of the original."""
    keep = [False] * len(line)
    keep[0] = keep[-1] = True
    spans = [(0, len(line) - 1)]
    while spans:
        first, last = spans.pop()
        farthest, distance = None, tolerance
        for index in range(first + 1, last):
            d = distance_to_chord(line[index], line[first], line[last])
            if d > distance:
                farthest, distance = index, d
        if farthest is not None:
            keep[farthest] = True
            spans += [(first, farthest), (farthest, last)]
    return [point for point, kept in zip(line, keep) if kept]


def cut(line):
    """Records of at most MAX_POINTS points; each starts where the one before ends."""
    step = MAX_POINTS - 1
    return [line[start : start + MAX_POINTS] for start in range(0, len(line) - 1, step)]


def record_bytes(element_type, points):
    lons = [lon for lon, _ in points]
    lats = [lat for _, lat in points]
    header = struct.pack(
        "<7h", 1, element_type, min(lons), max(lons), min(lats), max(lats), len(points)
    )
    return header + b"".join(struct.pack("<2h", lon, lat) for lon, lat in points)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--tolerance", type=float, default=0.0)
    parser.add_argument("dumps", nargs="+", metavar="TYPE=DUMP")
    arguments = parser.parse_args()
    typed_dumps = []
    for text in arguments.dumps:
        element_type, _, path = text.partition("=")
        if not element_type.isdigit() or not path:
            parser.error(f"expected TYPE=DUMP, got {text!r}")
        typed_dumps.append((int(element_type), path))
    return arguments.output, arguments.tolerance, typed_dumps


def main():
    output, tolerance, typed_dumps = parse_arguments()
    body = bytearray(HEADER)
    for element_type, path in typed_dumps:
        lines = join_pieces(read_segments(path))
        if tolerance > 0:
            # A ring small enough to thin down to its one point is dropped.
            lines = [thin(line, tolerance) for line in lines]
            lines = [line for line in lines if len(set(line)) >= 2]
        for line in lines:
            for points in cut(line):
                body += record_bytes(element_type, points)
    body += struct.pack("<h", 0)
    with open(output, "wb") as out:
        out.write(body)


if __name__ == "__main__":
    main()
