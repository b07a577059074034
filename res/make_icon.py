#!/usr/bin/env python3
"""Draws the program's icon: a 32x32, 16-colour image of a blue box with a red
cross (the product being taken away). Writes res/uninstall.ico."""
import struct, sys

W = H = 32
# The standard 16-colour palette (B, G, R, 0).
PALETTE = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
           (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
TRANSPARENT, BOX, EDGE, CROSS, LIGHT = None, 1, 0, 12, 9

def pixel(x, y):
    # The box: x 4..27, y 8..29, with a dark edge and a lighter lid.
    if 4 <= x <= 27 and 8 <= y <= 29:
        if x in (4, 27) or y in (8, 29):
            colour = EDGE
        elif y <= 12:
            colour = LIGHT
        else:
            colour = BOX
    else:
        colour = TRANSPARENT
    # The cross: two thick diagonals over the whole image.
    if 2 <= x <= 29 and 2 <= y <= 29 and (abs(x - y) <= 1 or abs(x + y - 31) <= 1):
        colour = CROSS
    return colour

def main(out):
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(H)):          # bottom-up rows
        row = [pixel(x, y) for x in range(W)]
        for x in range(0, W, 2):
            hi = row[x] or 0
            lo = row[x + 1] or 0
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(W):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andmask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in
                       [(p[2], p[1], p[0]) for p in PALETTE])
    image = header + palette + bytes(xor) + bytes(andmask)
    icondir = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 22)
    with open(out, "wb") as f:
        f.write(icondir + image)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/uninstall.ico")
