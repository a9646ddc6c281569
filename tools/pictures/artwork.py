"""Drawing helpers shared by the picture and resource generators.

Everything is drawn at SCALE times the final size and shrunk with a Lanczos filter at the end,
which gives smooth edges without relying on anti-aliasing support of each PIL primitive.
Only deterministic operations are used, so a rerun reproduces every output byte for byte.
"""
from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SCALE = 3

# The theme. The window behind the pages is RGB(0x97, 0xCD, 0xFF); everything else leans on it.
WINDOW_BLUE = (0x97, 0xCD, 0xFF)
BAND_TOP = (0xC9, 0xE6, 0xFF)        # first row of every header band
BAND_BOTTOM = WINDOW_BLUE            # row BAND_HEIGHT of every header band
HERO_BOTTOM = (0x6C, 0xB4, 0xF8)     # deepest blue of the welcome page's hero area
NAVY = (0x14, 0x45, 0x85)            # product name and headings
ACCENT = (0x1E, 0x7B, 0xE6)          # primary buttons, rules, emblem
ACCENT_DEEP = (0x12, 0x5C, 0xC0)
GOLD = (0xFF, 0xBE, 0x3B)            # the emblem's check mark
BODY_TOP = (0xFF, 0xFF, 0xFF)
BODY_BOTTOM = (0xF1, 0xF7, 0xFF)
FOOTER = (0xF4, 0xF8, 0xFD)
FOOTER_RULE = (0xD8, 0xE6, 0xF4)
TEXT_GREY = (0x55, 0x5F, 0x6B)
BAND_HEIGHT = 50                     # header band of pages 2 to 5
FOOTER_TOP = 280                     # footer strip of pages 1, 2, 4 and 5


def mix(a, b, t):
    """Colour a..b at fraction t (clamped)."""
    t = max(0.0, min(1.0, t))
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def band_colour(y):
    """Header colour of row y. Every page uses the same rows, so shared buttons match them."""
    if y <= BAND_HEIGHT:
        return mix(BAND_TOP, BAND_BOTTOM, y / BAND_HEIGHT)
    return mix(BAND_BOTTOM, HERO_BOTTOM, (y - BAND_HEIGHT) / 160)


def body_colour(y):
    """Body colour of row y (page coordinates), shared by every page below its header."""
    return mix(BODY_TOP, BODY_BOTTOM, (y - 50) / 276)


class Canvas:
    """An RGB picture drawn at SCALE times its final size; coordinates are final pixels."""

    def __init__(self, width, height, colour=(255, 255, 255)):
        self.width, self.height = width, height
        self.image = Image.new("RGB", (width * SCALE, height * SCALE), colour)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def s(v):
        return int(round(v * SCALE))

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def rows(self, y0, y1, colour_of_row, x0=0, x1=None):
        """Fills rows y0..y1 with colour_of_row(y) (y in final pixels, fractional)."""
        x1 = self.width if x1 is None else x1
        for sy in range(self.s(y0), self.s(y1)):
            self.draw.line([(self.s(x0), sy), (self.s(x1) - 1, sy)], fill=colour_of_row(sy / SCALE))

    def rect(self, x0, y0, x1, y1, fill):
        self.draw.rectangle(self.box(x0, y0, x1, y1), fill=fill)

    def overlay(self, paint, opacity=1.0):
        """Composites shapes drawn by paint(draw) on a transparent layer at the given opacity."""
        layer = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        paint(ImageDraw.Draw(layer))
        if opacity < 1.0:
            alpha = layer.getchannel("A").point(lambda a: int(a * opacity))
            layer.putalpha(alpha)
        base = self.image.convert("RGBA")
        base.alpha_composite(layer)
        self.image = base.convert("RGB")
        self.draw = ImageDraw.Draw(self.image)

    def gradient_round_rect(self, x0, y0, x1, y1, radius, top, bottom, outline=None, width=1.0):
        """A rounded rectangle filled with a vertical gradient, optionally outlined."""
        w, h = self.s(x1) - self.s(x0), self.s(y1) - self.s(y0)
        fill = Image.new("RGB", (w, h))
        fd = ImageDraw.Draw(fill)
        for sy in range(h):
            fd.line([(0, sy), (w - 1, sy)], fill=mix(top, bottom, sy / max(1, h - 1)))
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, w - 1, h - 1], radius=self.s(radius), fill=255)
        self.image.paste(fill, (self.s(x0), self.s(y0)), mask)
        if outline is not None:
            self.draw.rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(radius),
                                        outline=outline, width=max(1, self.s(width)))

    def soft_glow(self, cx, cy, radius, colour, strength):
        """A blurred disc, for light spots and shadows."""
        layer = Image.new("RGBA", self.image.size, colour + (0,))
        ImageDraw.Draw(layer).ellipse(self.box(cx - radius, cy - radius, cx + radius, cy + radius),
                                      fill=colour + (int(255 * strength),))
        layer = layer.filter(ImageFilter.GaussianBlur(self.s(radius) / 3))
        base = self.image.convert("RGBA")
        base.alpha_composite(layer)
        self.image = base.convert("RGB")
        self.draw = ImageDraw.Draw(self.image)

    def text(self, x, y, words, size, colour, weight=0, anchor="la"):
        """Text at final-pixel size; weight > 0 thickens strokes (the font has no bold face)."""
        f = font(size)
        self.draw.text((self.s(x), self.s(y)), words, font=f, fill=colour, anchor=anchor,
                       stroke_width=weight, stroke_fill=colour)

    def text_width(self, words, size, weight=0):
        f = font(size)
        left, _, right, _ = self.draw.textbbox((0, 0), words, font=f, stroke_width=weight)
        return (right - left) / SCALE

    def paste(self, picture, x, y):
        """Pastes a finished (final-size) RGBA picture, scaled up to the canvas."""
        big = picture.resize((picture.width * SCALE, picture.height * SCALE), Image.LANCZOS)
        base = self.image.convert("RGBA")
        base.alpha_composite(big, (self.s(x), self.s(y)))
        self.image = base.convert("RGB")
        self.draw = ImageDraw.Draw(self.image)

    def finish(self):
        return self.image.resize((self.width, self.height), Image.LANCZOS)


_fonts = {}


def font(size):
    """The WQY Micro Hei face at final-pixel size (drawn at SCALE)."""
    key = int(round(size * SCALE))
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(FONT_PATH, key, index=0)
    return _fonts[key]


def emblem(size, ring=True):
    """The product's emblem as an RGBA picture: a blue disc with an open ledger and a gold tick.

    Drawn on a 96-unit grid and scaled, so the 16-pixel icon and the 64-pixel hero share one design.
    """
    big = size * 8
    u = big / 96.0
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))

    # Disc with a top-lit gradient.
    disc = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    dd = ImageDraw.Draw(disc)
    for y in range(big):
        dd.line([(0, y), (big - 1, y)], fill=mix((0x4A, 0xA6, 0xFF), ACCENT_DEEP, y / big) + (255,))
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).ellipse([2 * u, 2 * u, 94 * u, 94 * u], fill=255)
    img.paste(disc, (0, 0), mask)
    d = ImageDraw.Draw(img)
    if ring:
        d.ellipse([2 * u, 2 * u, 94 * u, 94 * u], outline=(255, 255, 255, 235), width=int(4 * u))
    # A gloss over the upper half.
    gloss = Image.new("L", (big, big), 0)
    ImageDraw.Draw(gloss).ellipse([12 * u, 6 * u, 84 * u, 52 * u], fill=46)
    white = Image.new("RGBA", (big, big), (255, 255, 255, 255))
    img.paste(white, (0, 0), Image.composite(gloss, Image.new("L", (big, big), 0), mask))

    # Open ledger: two pages meeting at a spine, with ruled lines.
    left = [(20 * u, 40 * u), (47 * u, 46 * u), (47 * u, 74 * u), (20 * u, 68 * u)]
    right = [(49 * u, 46 * u), (76 * u, 40 * u), (76 * u, 68 * u), (49 * u, 74 * u)]
    d.polygon(left, fill=(255, 255, 255, 255))
    d.polygon(right, fill=(0xEE, 0xF5, 0xFF, 255))
    for i in range(3):
        dy = 51 + i * 7
        d.line([(25 * u, (dy - 4.5) * u), (42 * u, (dy - 1) * u)], fill=(0x9C, 0xC6, 0xF2, 255), width=max(1, int(1.6 * u)))
        d.line([(54 * u, (dy - 1) * u), (71 * u, (dy - 4.5) * u)], fill=(0x9C, 0xC6, 0xF2, 255), width=max(1, int(1.6 * u)))
    # Gold tick rising out of the ledger.
    tick = [(36 * u, 30 * u), (46 * u, 40 * u), (66 * u, 18 * u)]
    d.line(tick, fill=GOLD + (255,), width=int(8 * u), joint="curve")
    for px, py in (tick[0], tick[2]):
        r = 4 * u
        d.ellipse([px - r, py - r, px + r, py + r], fill=GOLD + (255,))
    return img.resize((size, size), Image.LANCZOS)
