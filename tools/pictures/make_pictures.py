#!/usr/bin/env python3
"""Draws the installer window's pictures: five page backgrounds and the picture-button states.

Usage: make_pictures.py [--out DIR] [--sheet PNG]
  --out    folder for the JPEG files (default: installer/pictures beside this tool)
  --sheet  also write a contact sheet with every picture and a mock-up of each page

The pages leave the places of the window's labels, boxes and buttons clean: labels draw their
own text transparently over the picture, so none of their words appear here. Buttons carry
their words because a picture button draws nothing but its picture.
"""
import argparse
import os
import sys

from PIL import Image, ImageDraw

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import artwork as art  # noqa: E402
from artwork import Canvas

PRODUCT = "Veltaro 会计从业考试题库"
VERSION = "V4.6"
PAGE_SIZE = (506, 326)
JPEG_OPTIONS = dict(quality=92, subsampling=0, optimize=False, progressive=False)

# Where the controls sit (page coordinates); the pictures keep these places plain.
CLOSE_AT = (475, 5, 24, 24)
INSTALL_AT = (170, 225, 152, 38)
FINISH_AT = (184, 240, 152, 38)
BROWSE_AT = (396, 107, 75, 23)
SMALL_INSTALL_AT = (358, 287, 75, 23)


# ---------------------------------------------------------------------------------------------
# Page parts


def body(c, top):
    c.rows(top, PAGE_SIZE[1], art.body_colour)


def footer(c):
    c.rect(0, art.FOOTER_TOP, PAGE_SIZE[0], PAGE_SIZE[1], art.FOOTER)
    c.rect(0, art.FOOTER_TOP - 1, PAGE_SIZE[0], art.FOOTER_TOP, art.FOOTER_RULE)


def version_pill(c, x, y, size=11):
    """"V4.6" in a small rounded badge whose left edge is x and vertical centre y."""
    w = c.text_width(VERSION, size) + 10
    h = size + 5
    c.gradient_round_rect(x, y - h / 2, x + w, y + h / 2, h / 2, (0x3F, 0x9C, 0xFF), art.ACCENT_DEEP)
    c.text(x + w / 2, y + 0.5, VERSION, size, (255, 255, 255), anchor="mm")
    return w


def band_decoration(c):
    """Light rings and glows in the header band; none near the close button (top right)."""
    c.soft_glow(330, 6, 60, (255, 255, 255), 0.35)
    c.soft_glow(120, 58, 70, (255, 255, 255), 0.18)

    def rings(d):
        for cx, cy, r in ((392, 52, 46), (410, 60, 30), (300, -10, 38)):
            d.ellipse(c.box(cx - r, cy - r, cx + r, cy + r), outline=(255, 255, 255, 110), width=c.s(1))
    c.overlay(rings, 0.8)


def header_band(c, heading, product_on_right=False):
    """The header of pages 2 to 5: band, emblem, product name with version, page heading."""
    c.rows(0, art.BAND_HEIGHT, art.band_colour)
    band_decoration(c)
    c.rect(0, art.BAND_HEIGHT - 1, PAGE_SIZE[0], art.BAND_HEIGHT, (0x7F, 0xBC, 0xF6))
    name_size = 15
    block = 30 + 8 + c.text_width(PRODUCT, name_size, 1) + 6 + c.text_width(VERSION, 11) + 10
    x = 458 - block if product_on_right else 14
    c.paste(art.emblem(30), x, 10)
    c.text(x + 38, 11, PRODUCT, name_size, art.NAVY, weight=1)
    version_pill(c, x + 38 + c.text_width(PRODUCT, name_size, 1) + 6, 20)
    c.text(x + 38, 31, "会计从业资格考试 · 智能练习题库", 10, (0x3D, 0x6E, 0xA8))
    if heading:
        c.text(458, 25, heading, 18, art.NAVY, weight=1, anchor="rm")


def card(c, x0, y0, x1, y1):
    """A white panel with a faint shadow and a light outline."""
    def shadow(d):
        d.rounded_rectangle(c.box(x0, y0 + 2, x1, y1 + 2), radius=c.s(7), fill=(0x4A, 0x86, 0xC8, 40))
    c.overlay(shadow)
    c.gradient_round_rect(x0, y0, x1, y1, 7, (255, 255, 255), (0xFB, 0xFD, 0xFF),
                          outline=(0xD2, 0xE3, 0xF5), width=1)


def tick(c, cx, cy, r, colour, width):
    """A check mark centred on cx, cy inside a circle of radius r."""
    pts = [(cx - 0.45 * r, cy + 0.02 * r), (cx - 0.1 * r, cy + 0.36 * r), (cx + 0.5 * r, cy - 0.34 * r)]
    c.draw.line([(c.s(x), c.s(y)) for x, y in pts], fill=colour, width=c.s(width), joint="curve")


def feature_icon(c, cx, cy, kind):
    """A round icon for a feature: 'paper' (past papers), 'pencil' (practice), 'clock' (mock exam)."""
    r = 18
    c.gradient_round_rect(cx - r, cy - r, cx + r, cy + r, r, (0x5B, 0xB2, 0xFF), art.ACCENT)
    d, s, white = c.draw, c.s, (255, 255, 255)
    if kind == "paper":
        d.rounded_rectangle(c.box(cx - 8, cy - 10, cx + 8, cy + 10), radius=s(2), fill=white)
        for i in range(4):
            y = cy - 5 + i * 4
            d.line([(s(cx - 5), s(y)), (s(cx + (5 if i < 3 else 1)), s(y))], fill=art.ACCENT, width=s(1.3))
    elif kind == "pencil":
        body_pts = [(cx - 9, cy + 6), (cx + 5, cy - 8), (cx + 9, cy - 4), (cx - 5, cy + 10)]
        d.polygon([(s(x), s(y)) for x, y in body_pts], fill=white)
        d.polygon([(s(cx - 9), s(cy + 6)), (s(cx - 5), s(cy + 10)), (s(cx - 11), s(cy + 12))], fill=art.GOLD)
        d.line([(s(cx - 8), s(cy + 12.5)), (s(cx + 10), s(cy + 12.5))], fill=white, width=s(1.2))
    else:
        d.ellipse(c.box(cx - 10, cy - 9, cx + 10, cy + 11), outline=white, width=s(2.2))
        d.rectangle(c.box(cx - 2, cy - 13, cx + 2, cy - 10), fill=white)
        d.line([(s(cx), s(cy + 1)), (s(cx), s(cy - 5))], fill=white, width=s(2))
        d.line([(s(cx), s(cy + 1)), (s(cx + 5), s(cy + 4))], fill=art.GOLD, width=s(2))


# ---------------------------------------------------------------------------------------------
# Pages


def page_welcome():
    c = Canvas(*PAGE_SIZE)
    body(c, 0)
    hero_bottom = 212
    c.rows(0, hero_bottom, art.band_colour)
    c.soft_glow(150, 110, 120, (255, 255, 255), 0.30)
    c.soft_glow(440, 150, 90, (255, 255, 255), 0.22)

    def rings(d):
        for cx, cy, r in ((446, 122, 78), (470, 150, 52), (36, 206, 44), (352, -24, 50)):
            d.ellipse(c.box(cx - r, cy - r, cx + r, cy + r), outline=(255, 255, 255, 120), width=c.s(1.2))
    c.overlay(rings, 0.8)

    # Two waves lead from the hero into the white body.
    def waves(d):
        def wave(base, lift, colour):
            pts = [(c.s(x), c.s(base - lift * (1 - ((x - 250) / 260) ** 2) + 6 * ((x / 506) - 0.5)))
                   for x in range(0, 507, 2)]
            d.polygon(pts + [(c.s(506), c.s(326)), (0, c.s(326))], fill=colour)
        wave(hero_bottom - 6, 16, (255, 255, 255, 90))
        wave(hero_bottom, 12, art.body_colour(hero_bottom) + (255,))
    c.overlay(waves)

    # Emblem and the product's name.
    c.soft_glow(86, 104, 52, (255, 255, 255), 0.45)
    c.paste(art.emblem(76), 48, 66)
    c.text(146, 60, "欢迎使用安装向导", 15, art.ACCENT_DEEP, weight=1)
    c.text(145, 80, PRODUCT, 26, art.NAVY, weight=2)
    version_pill(c, 146 + c.text_width(PRODUCT, 26, 2) + 8, 98, 12)
    c.text(146, 122, "会计从业资格考试 · 历年真题与智能练习", 12, (0x2E, 0x5F, 0x9C))

    # Feature chips.
    x = 146
    for words in ("海量真题", "章节练习", "全真模考", "错题重做"):
        w = c.text_width(words, 11) + 22
        def chip(d, x=x, w=w):
            d.rounded_rectangle(c.box(x, 146, x + w, 166), radius=c.s(10), fill=(255, 255, 255, 150),
                                outline=(255, 255, 255, 230), width=c.s(1))
        c.overlay(chip)
        c.draw.ellipse(c.box(x + 7, 153.5, x + 12, 158.5), fill=art.ACCENT)
        c.text(x + 15, 156.5, words, 11, art.NAVY, anchor="lm")
        x += w + 8
    footer(c)
    return c.finish()


def page_custom():
    c = Canvas(*PAGE_SIZE)
    body(c, art.BAND_HEIGHT)
    header_band(c, "自定义安装")
    card(c, 22, 60, 484, 182)
    c.rect(36, 139, 470, 140, (0xE6, 0xEF, 0xF9))
    c.text(24, 199, "提示：安装前请确认目标磁盘有足够的可用空间。", 11, (0x8A, 0x96, 0xA4), anchor="lm")
    footer(c)
    return c.finish()


FEATURES = (
    ("paper", "历年真题", ("收录历年考试真题", "附详细答案解析")),
    ("pencil", "章节练习", ("按考试大纲分章练习", "巩固每一个知识点")),
    ("clock", "全真模考", ("仿真机考界面", "限时作答自动评分")),
)


def page_progress():
    c = Canvas(*PAGE_SIZE)
    body(c, art.BAND_HEIGHT)
    header_band(c, "正在安装")
    c.text(24, 70, "安装完成后，您就可以随时随地练习：", 12, art.ACCENT_DEEP, anchor="lm")
    left, gap, width = 24, 12, (458 - 24) / 3
    for i, (kind, title, lines) in enumerate(FEATURES):
        x0 = left + i * (width + gap)
        card(c, x0, 86, x0 + width, 226)
        cx = x0 + width / 2
        feature_icon(c, cx, 118, kind)
        c.text(cx, 154, title, 14, art.NAVY, weight=1, anchor="mm")
        for j, line in enumerate(lines):
            c.text(cx, 180 + j * 18, line, 11, art.TEXT_GREY, anchor="mm")
    return c.finish()


def page_finish():
    c = Canvas(*PAGE_SIZE)
    body(c, art.BAND_HEIGHT)
    header_band(c, "安装完成")
    c.soft_glow(253, 104, 48, (0x9F, 0xD2, 0xFF), 0.45)
    c.gradient_round_rect(253 - 29, 104 - 29, 253 + 29, 104 + 29, 29, (0x5C, 0xB4, 0xFF), art.ACCENT_DEEP,
                          outline=(255, 255, 255), width=2.5)
    tick(c, 253, 104, 29, (255, 255, 255), 6)
    c.text(253, 153, PRODUCT + " " + VERSION + " 已成功安装", 15, art.NAVY, weight=1, anchor="mm")
    c.text(253, 177, "感谢您的选择，祝您考试顺利通过！", 12, art.TEXT_GREY, anchor="mm")
    footer(c)
    return c.finish()


def page_licence():
    c = Canvas(*PAGE_SIZE)
    body(c, art.BAND_HEIGHT)
    # The title label sits at the band's left, so the product moves to the right.
    header_band(c, None, product_on_right=True)
    footer(c)
    return c.finish()


# ---------------------------------------------------------------------------------------------
# Buttons


PRIMARY = {
    "normal": dict(top=(0x45, 0xA4, 0xFF), bottom=(0x17, 0x6F, 0xDC), outline=(0x14, 0x63, 0xC6),
                   text=(255, 255, 255), shine=70),
    "hot": dict(top=(0x7A, 0xC2, 0xFF), bottom=(0x35, 0x93, 0xF7), outline=(0x2A, 0x84, 0xE6),
                text=(255, 255, 255), shine=110),
    "disabled": dict(top=(0xEC, 0xEE, 0xF1), bottom=(0xD6, 0xDA, 0xE0), outline=(0xBB, 0xC1, 0xC9),
                     text=(0x9B, 0xA2, 0xAB), shine=40),
}

SECONDARY = {
    "normal": dict(top=(0xFF, 0xFF, 0xFF), bottom=(0xE8, 0xF2, 0xFD), outline=(0x86, 0xBC, 0xF2),
                   text=art.ACCENT_DEEP, shine=0),
    "hot": dict(top=(0xF0, 0xF8, 0xFF), bottom=(0xCC, 0xE6, 0xFF), outline=art.ACCENT,
                text=art.ACCENT_DEEP, shine=0),
}


def button(background, words, look, text_size, radius):
    """A rounded button over its own page background, with a soft shadow and a top shine."""
    w, h = background.size
    c = Canvas(w, h)
    c.image = background.resize((w * art.SCALE, h * art.SCALE), Image.LANCZOS)
    c.draw = ImageDraw.Draw(c.image)

    def shadow(d):
        d.rounded_rectangle(c.box(0.5, 1.5, w - 0.5, h), radius=c.s(radius), fill=(0x1B, 0x4F, 0x8F, 45))
    c.overlay(shadow)
    c.gradient_round_rect(0.5, 0, w - 0.5, h - 1, radius, look["top"], look["bottom"], outline=look["outline"])
    if look["shine"]:
        def shine(d):
            d.rounded_rectangle(c.box(2, 1.5, w - 2, (h - 1) / 2), radius=c.s(radius - 1),
                                fill=(255, 255, 255, look["shine"]))
        c.overlay(shine)
    c.text(w / 2, (h - 1) / 2 + 0.5, words, text_size, look["text"], weight=1 if text_size >= 14 else 0,
           anchor="mm")
    return c.finish()


def close_button(background, state):
    """The window's close button: a plain cross, red when hot, faded when disabled."""
    w, h = background.size
    c = Canvas(w, h)
    c.image = background.resize((w * art.SCALE, h * art.SCALE), Image.LANCZOS)
    c.draw = ImageDraw.Draw(c.image)
    cross = {"normal": (0x2F, 0x5B, 0x93), "hot": (255, 255, 255), "disabled": (0x8E, 0xAD, 0xCC)}[state]
    if state == "hot":
        c.gradient_round_rect(1, 1, w - 1, h - 1, 11, (0xF2, 0x6A, 0x5C), (0xD8, 0x3A, 0x2C))
    elif state == "normal":
        def ring(d):
            d.ellipse(c.box(1, 1, w - 1, h - 1), fill=(255, 255, 255, 60))
        c.overlay(ring)
    r = 5.5
    for (x0, y0), (x1, y1) in (((w / 2 - r, h / 2 - r), (w / 2 + r, h / 2 + r)),
                               ((w / 2 - r, h / 2 + r), (w / 2 + r, h / 2 - r))):
        c.draw.line([(c.s(x0), c.s(y0)), (c.s(x1), c.s(y1))], fill=cross, width=c.s(1.8))
    return c.finish()


def crop(page, at):
    x, y, w, h = at
    return page.crop((x, y, x + w, y + h))


# ---------------------------------------------------------------------------------------------
# Output


def make_all():
    """Every picture by file name, in a fixed order."""
    pages = {
        "page1.jpg": page_welcome(),
        "page2.jpg": page_custom(),
        "page3.jpg": page_progress(),
        "page4.jpg": page_finish(),
        "page5.jpg": page_licence(),
    }
    out = dict(pages)
    close_bg = crop(pages["page2.jpg"], CLOSE_AT)
    for state in ("normal", "hot", "disabled"):
        out[f"close-{state}.jpg"] = close_button(close_bg, state)
    for state in ("normal", "hot", "disabled"):
        out[f"install-{state}.jpg"] = button(crop(pages["page1.jpg"], INSTALL_AT), "立即安装",
                                              PRIMARY[state], 17, 5)
    for state in ("normal", "hot"):
        out[f"finish-{state}.jpg"] = button(crop(pages["page4.jpg"], FINISH_AT), "完成", PRIMARY[state], 17, 5)
    for state in ("normal", "hot"):
        out[f"browse-{state}.jpg"] = button(crop(pages["page2.jpg"], BROWSE_AT), "浏览...",
                                             SECONDARY[state], 12, 3)
    for state in ("normal", "hot", "disabled"):
        out[f"small-install-{state}.jpg"] = button(crop(pages["page5.jpg"], SMALL_INSTALL_AT), "安装",
                                                    PRIMARY[state], 12, 3)
    return out


def save_jpeg(picture, path):
    picture.save(path, "JPEG", **JPEG_OPTIONS)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "installer", "pictures"))
    parser.add_argument("--sheet", default=None)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    pictures = make_all()
    for name, picture in pictures.items():
        save_jpeg(picture, os.path.join(args.out, name))
    if args.sheet:
        import contact_sheet
        os.makedirs(os.path.dirname(os.path.abspath(args.sheet)), exist_ok=True)
        contact_sheet.write(args.out, args.sheet)


if __name__ == "__main__":
    main()
