"""A contact sheet of the installer pictures, with a mock-up of each page as the window shows it.

The mock-up pastes the button pictures and draws the labels, boxes and the progress bar at the
places the window puts them, so one look shows whether the pages leave those places clean.
"""
import os

from PIL import Image, ImageDraw

import artwork as art


def rgb(colorref):
    """A Win32 COLORREF (0x00BBGGRR) as an RGB tuple."""
    return (colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF)


LINK = 0xFF8800

# Per page: ("label", x, y, w, h, text, colorref[, align]), ("button", x, y, picture),
# ("check", x, y, size), ("edit", x, y, w, h, text), ("progress", x, y, w, h, percent).
CONTROLS = {
    1: [("label", 354, 289, 79, 20, "已阅读并同意", 0x606060), ("button", 475, 5, "close-normal.jpg"),
        ("label", 23, 289, 80, 24, "自定义安装 >", LINK), ("label", 431, 289, 60, 20, "许可协议", LINK),
        ("check", 335, 293, 16), ("button", 170, 225, "install-normal.jpg")],
    2: [("label", 39, 69, 104, 24, "选择安装目录：", 0x535353), ("label", 17, 287, 62, 24, "<  返回", LINK),
        ("button", 475, 5, "close-normal.jpg"), ("edit", 38, 107, 344, 24, "C:\\Veltaro\\会计从业资格"),
        ("label", 322, 147, 99, 16, "添加到快速启动栏", 0x606060), ("check", 304, 150, 12),
        ("label", 187, 147, 99, 16, "添加到开始菜单", 0x606060), ("check", 168, 150, 12),
        ("label", 55, 147, 80, 16, "创建桌面图标", 0x606060), ("check", 36, 150, 12),
        ("button", 396, 107, "browse-normal.jpg"), ("button", 170, 225, "install-hot.jpg")],
    3: [("label", 392, 249, 79, 20, "42 %", 0x535353, "right"), ("progress", 16, 280, 463, 10, 42),
        ("label", 17, 249, 79, 20, "正在安装", 0x535353), ("button", 475, 5, "close-hot.jpg")],
    4: [("check", 61, 206, 12), ("button", 184, 240, "finish-normal.jpg"),
        ("label", 81, 201, 110, 20, "立即启动题库软件", 0x000000), ("button", 475, 5, "close-disabled.jpg")],
    5: [("button", 358, 287, "small-install-normal.jpg"), ("label", 30, 287, 62, 24, "<  返回", LINK),
        ("label", 32, 24, 135, 24, "Veltaro软件安装协议：", 0x535353),
        ("edit", 32, 53, 440, 220, "Veltaro 会计从业考试题库 软件许可协议\n\n请您仔细阅读以下条款……"),
        ("button", 475, 5, "close-normal.jpg")],
}


def mock_up(folder, number):
    page = Image.open(os.path.join(folder, f"page{number}.jpg")).convert("RGB")
    d = ImageDraw.Draw(page)
    f = art.ImageFont.truetype(art.FONT_PATH, 12, index=0)
    for item in CONTROLS[number]:
        kind = item[0]
        if kind == "label":
            _, x, y, w, h, words, colour = item[:7]
            if len(item) > 7:
                d.text((x + w, y + 2), words, font=f, fill=rgb(colour), anchor="ra")
            else:
                d.text((x, y + 2), words, font=f, fill=rgb(colour))
        elif kind == "button":
            _, x, y, name = item
            page.paste(Image.open(os.path.join(folder, name)).convert("RGB"), (x, y))
        elif kind == "check":
            _, x, y, size = item
            d.rectangle([x, y, x + size - 1, y + size - 1], fill=(255, 255, 255), outline=(0x70, 0x70, 0x70))
            d.line([(x + 2, y + size // 2), (x + size // 2 - 1, y + size - 3), (x + size - 3, y + 2)],
                   fill=(0x20, 0x20, 0x20), width=2)
        elif kind == "edit":
            _, x, y, w, h, words = item
            d.rectangle([x, y, x + w - 1, y + h - 1], fill=(255, 255, 255), outline=(0x7A, 0x9C, 0xC0))
            d.multiline_text((x + 4, y + 5), words, font=f, fill=(0, 0, 0))
        elif kind == "progress":
            _, x, y, w, h, percent = item
            d.rectangle([x, y, x + w - 1, y + h - 1], fill=(0xE6, 0xE6, 0xE6), outline=(0xA0, 0xA0, 0xA0))
            d.rectangle([x + 1, y + 1, x + 1 + (w - 3) * percent // 100, y + h - 2], fill=(0x06, 0xB0, 0x25))
    return page


def write(folder, path):
    names = sorted(n for n in os.listdir(folder) if n.endswith(".jpg") and not n.startswith("page"))
    margin = 12
    width = 2 * 506 + 3 * margin
    buttons_height = 70
    height = 5 * (326 + margin) + margin + buttons_height
    sheet = Image.new("RGB", (width, height), (0x60, 0x66, 0x70))
    for i in range(5):
        y = margin + i * (326 + margin)
        sheet.paste(Image.open(os.path.join(folder, f"page{i + 1}.jpg")).convert("RGB"), (margin, y))
        sheet.paste(mock_up(folder, i + 1), (2 * margin + 506, y))
    x, y = margin, 5 * (326 + margin) + margin
    for name in names:
        picture = Image.open(os.path.join(folder, name)).convert("RGB")
        if x + picture.width > width - margin:
            x, y = margin, y + 44
        sheet.paste(picture, (x, y))
        x += picture.width + 8
    sheet.save(path, "PNG")
