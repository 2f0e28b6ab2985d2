#!/usr/bin/env python3
"""damaged.py FOLDER: writes small damaged GIFs for bench/gif/damaged.sh."""
import struct
import sys


def packed(codes, min_code=2):
    """Image data of (code, bit size) pairs: packed low bit first, in sub-blocks."""
    bits = nbits = 0
    out = bytearray()
    for code, size in codes:
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 255)
    data = bytearray([min_code])
    for i in range(0, len(out), 255):
        data += bytes([len(out[i:i + 255])]) + out[i:i + 255]
    return bytes(data + b"\0")


def lzw_literals(pixels, min_code=2):
    """Image data holding each pixel as a literal code (a clear code every two)."""
    clear, end, size = 1 << min_code, (1 << min_code) + 1, min_code + 1
    codes = []
    for i, p in enumerate(pixels):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    return packed([(c, size) for c in codes], min_code)


def header(w, h):
    return b"GIF89a" + struct.pack("<HHBBB", w, h, 0x81, 0, 0) + bytes([0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255])


def frame(left, top, w, h, data, delay=10):
    return (b"\x21\xf9\x04\x04" + struct.pack("<H", delay) + b"\0\0" + b"\x2c" + struct.pack("<HHHHB", left, top, w, h, 0)
            + data)


# Image data of many pixels in few bytes: codes that grow the string table
# with one colour (each new string one pixel longer), ending without an end code.
def lzw_long_run(codes=3000):
    size, nxt = 3, 6
    out = [(4, size), (1, size)]  # clear, then colour 1
    for _ in range(codes):
        out.append((nxt, size))  # the string in progress: one longer each time
        nxt += 1
        if nxt >= (1 << size) and size < 12:
            size += 1
        if nxt >= 4095:
            break
    return packed(out)


def main(folder):
    small = lzw_literals([1, 2, 3, 0] * 64)
    files = {
        # The hostile user's file: a frame claiming 13532 x 23121 on a 32 x 32 screen.
        "huge-frame-small-screen": header(32, 32) + frame(0, 0, 13532, 23121, lzw_long_run()) + b";",
        # The same frame, second in an animation whose first frame fits.
        "huge-second-frame": header(32, 32) + frame(0, 0, 16, 16, small) + frame(0, 0, 13532, 23121, lzw_long_run())
        + b";",
        # Frames partly and wholly outside the screen.
        "frames-outside": header(64, 48) + frame(0, 0, 64, 48, lzw_literals([1] * 3072)) + frame(40, 30, 40, 40, small)
        + frame(500, 500, 16, 16, small) + b";",
        # Image data cut short: the stream ends inside the second frame.
        "truncated-lzw": (header(64, 48) + frame(0, 0, 64, 48, lzw_literals([2] * 3072))
                          + frame(0, 0, 64, 48, lzw_literals([3] * 3072)))[:-600],
        # A huge screen with tiny frames.
        "huge-screen": header(65535, 65535) + frame(0, 0, 16, 16, small) + frame(100, 100, 16, 16, small) + b";",
        "large-screen": header(20000, 20000) + frame(0, 0, 16, 16, small) + b";",
    }
    for name, data in files.items():
        with open(f"{folder}/{name}.gif", "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
