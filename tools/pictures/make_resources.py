#!/usr/bin/env python3
"""Draws the executable's binary resources: the program icon, the cursors and the page control's
scroll-button strip.

Usage: make_resources.py [--out DIR]   (default: installer/resources beside this tool)

Icons and cursors are written as classic DIB entries (32-bit colour with alpha plus the 1-bit AND
mask) rather than PNG entries, which every Windows version and Wine load.
"""
import argparse
import os
import sys
import struct

from PIL import Image, ImageDraw, ImageFilter

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import artwork as art  # noqa: E402

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)


# ---------------------------------------------------------------------------------------------
# ICO and CUR files


def dib_entry(picture):
    """One image of an icon or cursor file: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    w, h = picture.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = picture.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if picture.getpixel((x, y))[3] == 0:  # a set bit lets the screen show through
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def icon_file(pictures, kind=1, hotspots=None):
    """An ICO (kind 1) or CUR (kind 2) file holding the given RGBA pictures."""
    entries = [dib_entry(p) for p in pictures]
    out = bytearray(struct.pack("<HHH", 0, kind, len(pictures)))
    offset = 6 + 16 * len(pictures)
    for i, (picture, data) in enumerate(zip(pictures, entries)):
        w, h = picture.size
        if kind == 1:
            planes, bits = 1, 32
        else:
            planes, bits = hotspots[i]  # a cursor stores its hot spot in these two fields
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# Pictures


def program_icon(size):
    """The emblem without its outer ring at 16 pixels, where the ring would only blur."""
    return art.emblem(size, ring=size > 16)


def outlined(white_shapes, size=32, colour_layer=None):
    """A classic cursor look: the shapes filled white with a one-pixel black outline around them.

    Shapes one pixel apart keep a black line between them (the gaps between fingers).
    """
    fill = Image.new("L", (size, size), 0)
    white_shapes(ImageDraw.Draw(fill))
    grown = fill.filter(ImageFilter.MaxFilter(3))
    picture = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    picture.paste(Image.new("RGBA", (size, size), BLACK), (0, 0), grown)
    picture.paste(Image.new("RGBA", (size, size), WHITE), (0, 0), fill)
    if colour_layer is not None:
        picture.alpha_composite(colour_layer)
    return picture


def hand(d):
    """A pointing hand; its index fingertip is the hot spot (10, 2)."""
    d.rectangle([10, 2, 11, 13], fill=255)     # index finger
    d.rectangle([13, 7, 14, 13], fill=255)     # middle finger
    d.rectangle([16, 8, 17, 13], fill=255)     # ring finger
    d.rectangle([19, 10, 20, 14], fill=255)    # little finger
    d.rectangle([10, 14, 20, 19], fill=255)    # palm
    d.rectangle([11, 20, 19, 22], fill=255)    # heel of the hand
    d.polygon([(5, 13), (6, 12), (10, 16), (10, 19), (9, 19)], fill=255)  # thumb
    d.line([(6, 13), (10, 17)], fill=255)


def arrow(d, x=1, y=1):
    """The usual arrow pointer with its tip at (x + 1, y + 1)."""
    pts = [(1, 1), (1, 15), (4, 12), (7, 18), (8, 17), (6, 11), (11, 11)]
    d.polygon([(x + px, y + py) for px, py in pts], fill=255)


def dragging(d):
    """The arrow carrying a tab: a page being moved along the tab strip."""
    arrow(d)
    d.rectangle([13, 17, 16, 18], fill=255)    # the tab's ear
    d.rectangle([11, 19, 24, 27], fill=255)    # the page


def no_drop_sign():
    layer = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    red = (0xD9, 0x30, 0x25, 255)
    d.ellipse([12, 14, 28, 30], fill=WHITE, outline=red, width=3)
    d.line([(15, 27), (25, 17)], fill=red, width=3)
    return layer


def scroll_buttons():
    """The tab strip's scroll buttons, 16 x 16 each, side by side:
    left normal, hot, pressed, disabled, then right normal, hot, pressed, disabled."""
    looks = [
        ((0xFF, 0xFF, 0xFF), (0xE3, 0xF0, 0xFD), (0x8C, 0xBE, 0xF0), art.NAVY),
        ((0xF0, 0xF8, 0xFF), (0xC8, 0xE4, 0xFF), art.ACCENT, art.ACCENT_DEEP),
        ((0x3D, 0x98, 0xF5), (0x1A, 0x6F, 0xD6), (0x14, 0x5F, 0xBE), (0xFF, 0xFF, 0xFF)),
        ((0xF4, 0xF5, 0xF7), (0xE6, 0xE8, 0xEB), (0xC6, 0xCB, 0xD2), (0xB0, 0xB6, 0xBF)),
    ]
    strip = Image.new("RGB", (16 * 8, 16), art.WINDOW_BLUE)
    for direction in (0, 1):
        for i, (top, bottom, outline, glyph) in enumerate(looks):
            c = art.Canvas(16, 16, art.WINDOW_BLUE)
            c.gradient_round_rect(0.5, 0.5, 15.5, 15.5, 3, top, bottom, outline=outline)
            if direction == 0:
                pts = [(9.5, 4.5), (5.5, 8), (9.5, 11.5)]
            else:
                pts = [(6.5, 4.5), (10.5, 8), (6.5, 11.5)]
            c.draw.polygon([(c.s(x), c.s(y)) for x, y in pts], fill=glyph)
            strip.paste(c.finish(), (16 * (direction * 4 + i), 0))
    return strip


# ---------------------------------------------------------------------------------------------
# Output


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "installer", "resources"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    write(os.path.join(args.out, "veltaro.ico"), icon_file([program_icon(32), program_icon(16)]))
    write(os.path.join(args.out, "hand.cur"), icon_file([outlined(hand)], kind=2, hotspots=[(10, 2)]))
    write(os.path.join(args.out, "dragging.cur"), icon_file([outlined(dragging)], kind=2, hotspots=[(2, 2)]))
    write(os.path.join(args.out, "nodragging.cur"),
          icon_file([outlined(dragging, colour_layer=no_drop_sign())], kind=2, hotspots=[(2, 2)]))
    scroll_buttons().save(os.path.join(args.out, "scroll-buttons.bmp"), "BMP")


if __name__ == "__main__":
    main()
