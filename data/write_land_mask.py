#!/usr/bin/env python3
"""Packs a land/sea grid into a plain binary PBM.

    write_land_mask.py POINTS WIDTH HEIGHT OUTPUT

POINTS holds WIDTH x HEIGHT bytes, top row first and each row west to east, as
`gmt grd2xyz -ZTLc` writes them: nonzero for land. The PBM ("P4") keeps one bit a point, rows
padded to whole bytes, the first point of a byte in its high bit; 1 (black) is land.
"""

import sys


def pack_row(row):
    padded = bytes(row) + bytes(-len(row) % 8)
    packed = bytearray()
    for start in range(0, len(padded), 8):
        byte = 0
        for point in padded[start : start + 8]:
            byte = byte << 1 | (1 if point else 0)
        packed.append(byte)
    return packed


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    points_path, width, height, output = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    with open(points_path, "rb") as points_file:
        points = points_file.read()
    if width <= 0 or height <= 0 or len(points) != width * height:
        sys.exit(f"{points_path}: {len(points)} bytes, not {width} x {height} points")
    pbm = bytearray(f"P4\n{width} {height}\n".encode("ascii"))
    for top in range(0, len(points), width):
        pbm += pack_row(points[top : top + width])
    with open(output, "wb") as out:
        out.write(pbm)


if __name__ == "__main__":
    main()
