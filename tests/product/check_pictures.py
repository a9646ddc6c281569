#!/usr/bin/env python3
"""Checks the committed installer pictures: formats and sizes, that the generators reproduce them
and the drawn resources, that button states look different in the right direction, and that every
place where the window puts a label, box or button is left plain so transparent labels stay
readable."""
import os
import subprocess
import sys
import tempfile
import unittest

from PIL import Image, ImageChops, ImageStat

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PICTURES = os.path.join(TOP, "installer", "pictures")
GENERATOR = os.path.join(TOP, "tools", "pictures", "make_pictures.py")
RESOURCES = os.path.join(TOP, "installer", "resources")
RESOURCE_GENERATOR = os.path.join(TOP, "tools", "pictures", "make_resources.py")

SIZES = {f"page{n}.jpg": (506, 326) for n in range(1, 6)}
SIZES.update({f"close-{s}.jpg": (24, 24) for s in ("normal", "hot", "disabled")})
SIZES.update({f"install-{s}.jpg": (152, 38) for s in ("normal", "hot", "disabled")})
SIZES.update({f"finish-{s}.jpg": (152, 38) for s in ("normal", "hot")})
SIZES.update({f"browse-{s}.jpg": (75, 23) for s in ("normal", "hot")})
SIZES.update({f"small-install-{s}.jpg": (75, 23) for s in ("normal", "hot", "disabled")})

# Places of the window's labels, check boxes, edit boxes and the progress bar (x, y, w, h) by page.
PLAIN_AREAS = {
    1: [(354, 289, 79, 20), (23, 289, 80, 24), (431, 289, 60, 20), (335, 293, 16, 16)],
    2: [(39, 69, 104, 24), (17, 287, 62, 24), (38, 107, 344, 24), (322, 147, 99, 16), (304, 150, 12, 12),
        (187, 147, 99, 16), (168, 150, 12, 12), (55, 147, 80, 16), (36, 150, 12, 12)],
    3: [(392, 249, 79, 20), (16, 280, 463, 10), (17, 249, 79, 20)],
    4: [(61, 206, 12, 12), (81, 201, 110, 20)],
    5: [(30, 287, 62, 24), (32, 24, 135, 24), (32, 53, 440, 220)],
}
BUTTON_PLACES = {  # picture -> (page, x, y)
    "close": [(n, 475, 5) for n in range(1, 6)],
    "install": [(1, 170, 225), (2, 170, 225)],
    "finish": [(4, 184, 240)],
    "browse": [(2, 396, 107)],
    "small-install": [(5, 358, 287)],
}


def load(name):
    with Image.open(os.path.join(PICTURES, name)) as picture:
        picture.load()
        return picture.copy()


def luminance(picture):
    return ImageStat.Stat(picture.convert("L")).mean[0]


def saturation(picture):
    return ImageStat.Stat(picture.convert("HSV").getchannel("S")).mean[0]


def largest_step(picture):
    """The largest brightness step between neighbouring pixels: text and outlines make big ones."""
    grey = picture.convert("L")
    w, h = grey.size
    right = ImageChops.difference(grey.crop((1, 0, w, h)), grey.crop((0, 0, w - 1, h)))
    down = ImageChops.difference(grey.crop((0, 1, w, h)), grey.crop((0, 0, w, h - 1)))
    return max(right.getextrema()[1], down.getextrema()[1])


def edge_pixels(picture, threshold=60):
    grey = picture.convert("L")
    w, h = grey.size
    right = ImageChops.difference(grey.crop((1, 0, w, h)), grey.crop((0, 0, w - 1, h)))
    return sum(right.point(lambda v: 255 if v > threshold else 0).convert("1").getdata()) // 255


class FilesTest(unittest.TestCase):
    def test_every_picture_is_a_baseline_jpeg_of_its_size(self):
        for name, size in SIZES.items():
            with self.subTest(name=name):
                with open(os.path.join(PICTURES, name), "rb") as f:
                    head = f.read(4)
                self.assertEqual(head[:3], b"\xff\xd8\xff")
                with Image.open(os.path.join(PICTURES, name)) as picture:
                    self.assertEqual(picture.format, "JPEG")
                    self.assertEqual(picture.mode, "RGB")
                    self.assertEqual(picture.size, size)
                    self.assertFalse(picture.info.get("progressive"), "the window's decoder expects baseline")

    def test_no_stray_files(self):
        self.assertEqual(sorted(os.listdir(PICTURES)), sorted(SIZES))

    def test_generator_reproduces_the_committed_pictures(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, GENERATOR, "--out", out], check=True)
            for name in SIZES:
                with self.subTest(name=name):
                    with open(os.path.join(out, name), "rb") as a, open(os.path.join(PICTURES, name), "rb") as b:
                        self.assertEqual(a.read(), b.read(), "rerun tools/pictures/make_pictures.py")


class ResourceFilesTest(unittest.TestCase):
    def test_generator_reproduces_the_committed_resources(self):
        names = ("veltaro.ico", "hand.cur", "dragging.cur", "nodragging.cur", "scroll-buttons.bmp")
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, RESOURCE_GENERATOR, "--out", out], check=True)
            for name in names:
                with self.subTest(name=name):
                    with open(os.path.join(out, name), "rb") as a, open(os.path.join(RESOURCES, name), "rb") as b:
                        self.assertEqual(a.read(), b.read(), "rerun tools/pictures/make_resources.py")


class StatesTest(unittest.TestCase):
    def test_hot_buttons_are_brighter(self):
        for kind in ("install", "finish", "small-install"):
            with self.subTest(kind=kind):
                self.assertGreater(luminance(load(f"{kind}-hot.jpg")), luminance(load(f"{kind}-normal.jpg")) + 4)

    def test_hot_browse_button_is_tinted(self):
        # The white browse button lights up in the theme's blue rather than getting brighter.
        self.assertGreater(saturation(load("browse-hot.jpg")), saturation(load("browse-normal.jpg")) + 10)

    def test_hot_close_button_stands_out(self):
        normal, hot = load("close-normal.jpg").convert("RGB"), load("close-hot.jpg").convert("RGB")
        difference = ImageStat.Stat(ImageChops.difference(normal, hot)).mean
        self.assertGreater(sum(difference) / 3, 40)

    def test_disabled_buttons_are_grey(self):
        for kind in ("install", "small-install"):
            with self.subTest(kind=kind):
                self.assertLess(saturation(load(f"{kind}-disabled.jpg")), saturation(load(f"{kind}-normal.jpg")) / 3)
        # The disabled cross is paler than the normal one against the same band.
        self.assertLess(largest_step(load("close-disabled.jpg")), largest_step(load("close-normal.jpg")))

    def test_buttons_carry_their_words(self):
        for name in SIZES:
            if not name.startswith("page"):
                with self.subTest(name=name):
                    self.assertGreater(edge_pixels(load(name), 40), 8)


class LayoutTest(unittest.TestCase):
    def test_places_of_labels_and_boxes_are_plain(self):
        for page, areas in PLAIN_AREAS.items():
            picture = load(f"page{page}.jpg")
            for x, y, w, h in areas:
                with self.subTest(page=page, area=(x, y, w, h)):
                    self.assertLess(largest_step(picture.crop((x, y, x + w, y + h))), 24)

    def test_places_of_labels_are_light(self):
        # Labels draw grey and blue text; the picture behind them must be light for contrast.
        for page, areas in PLAIN_AREAS.items():
            picture = load(f"page{page}.jpg")
            for x, y, w, h in areas:
                with self.subTest(page=page, area=(x, y, w, h)):
                    self.assertGreater(luminance(picture.crop((x, y, x + w, y + h))), 175)

    def test_buttons_blend_into_every_page_they_sit_on(self):
        for kind, places in BUTTON_PLACES.items():
            button = load(f"{kind}-normal.jpg").convert("RGB")
            w, h = button.size
            for page, x, y in places:
                with self.subTest(kind=kind, page=page):
                    behind = load(f"page{page}.jpg").convert("RGB").crop((x, y, x + w, y + h))
                    # The corner pixels show the page through the rounded corners.
                    for cx, cy in ((0, 0), (w - 1, 0)):
                        a, b = button.getpixel((cx, cy)), behind.getpixel((cx, cy))
                        self.assertLess(max(abs(p - q) for p, q in zip(a, b)), 24, (cx, cy))

    def test_pages_carry_header_and_heading(self):
        # The welcome page's header is its tall hero area; the others have a 50-pixel band.
        for page in range(1, 6):
            with self.subTest(page=page):
                band = load(f"page{page}.jpg").crop((0, 0, 470, 180 if page == 1 else 50))
                self.assertGreater(edge_pixels(band), 150)


if __name__ == "__main__":
    unittest.main()
