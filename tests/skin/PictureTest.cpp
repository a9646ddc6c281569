// Picture recognition and decoding: what each decoder makes of good and damaged files.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestSupport.h"
#include "window/Picture.h"

using namespace skintest;
using window::Picture;
using window::PictureKind;

namespace {

// The bitmap's pixels as 0xRRGGBB, read back through GDI.
Image BitmapPixels(HBITMAP bitmap) {
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  Image image;
  image.width = info.bmWidth, image.height = info.bmHeight;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = image.width;
  header.bmiHeader.biHeight = -image.height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, image.height, image.pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// An icon file with one 16 x 16 image of 32 bits: opaque red on the left half, fully
// transparent on the right.
std::string MakeIconFile(bool cursor) {
  std::string image;
  PutInt(image, 40);
  PutInt(image, 16);
  PutInt(image, 32);  // colour and mask rows
  image += std::string("\x01\x00\x20\x00", 4);
  for (int i = 0; i < 6; ++i) PutInt(image, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) PutInt(image, x < 8 ? static_cast<int32_t>(0xFFFF0000) : 0);
  for (int y = 0; y < 16; ++y) image += std::string("\x00\xFF\x00\x00", 4);  // mask: right half transparent
  std::string file;
  file += std::string("\x00\x00", 2);
  file += cursor ? std::string("\x02\x00", 2) : std::string("\x01\x00", 2);
  file += std::string("\x01\x00", 2);
  file += std::string("\x10\x10\x00\x00", 4);
  file += cursor ? std::string("\x03\x00\x04\x00", 4) : std::string("\x01\x00\x20\x00", 4);
  PutInt(file, static_cast<int32_t>(image.size()));
  PutInt(file, 6 + 16);
  return file + image;
}

}  // namespace

TEST(Picture, RecognisesKindsByTheirFirstBytes) {
  struct Case {
    std::string bytes;
    PictureKind kind;
  };
  const Case cases[] = {
      {std::string("BM\0\0\0\0", 6), PictureKind::Bitmap},
      {std::string("\xFF\xD8\xFF\xE0\0\0", 6), PictureKind::Jpeg},
      {std::string("\x89PNG\r\n", 6), PictureKind::Png},
      {std::string("\0\0\1\0\1\0", 6), PictureKind::Icon},
      {std::string("\0\0\2\0\1\0", 6), PictureKind::Cursor},
      {"GIF89a", PictureKind::Gif},
      {"GIF87a", PictureKind::Gif},
      {std::string("\x0A\x05\x01\x08\0\0", 6), PictureKind::Pcx},
      {std::string("\x0A\x05\x01\x01\0\0", 6), PictureKind::Pcx},
      {std::string("\x0A\x05\x01\x04\0\0", 6), PictureKind::None},  // 16-colour PCX is not one of ours
      {"GIF90a", PictureKind::None},
      {std::string("BM\0\0\0", 5), PictureKind::None},  // fewer than six bytes
      {"hello!", PictureKind::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Picture::Recognise(Bytes(c.bytes), c.bytes.size()), c.kind) << "first bytes of case " << &c - cases;
  EXPECT_EQ(Picture::Recognise(nullptr, 100), PictureKind::None);
  Picture gif;  // recognised, but no GIF decoder is linked
  EXPECT_FALSE(gif.Decode(std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14), 0));
  EXPECT_EQ(gif.Kind(), PictureKind::Gif);
}

TEST(Picture, BitmapFilesKeepTheirRowsInOrder) {
  auto rows = [](int, int y) { return y < 2 ? 0xFF0000u : y < 4 ? 0x00FF00u : 0x0000FFu; };
  std::string bmp = MakeBmp(5, 6, rows);  // stored bottom-up, with padded rows
  Picture picture;
  ASSERT_TRUE(picture.Decode(bmp, 0));
  EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
  EXPECT_EQ(picture.Width(), 5);
  EXPECT_EQ(picture.Height(), 6);
  Image pixels = BitmapPixels(picture.Bitmap());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixels.At(x, y), rows(x, y)) << x << "," << y;
}

TEST(Picture, DamagedFilesGiveNoPicture) {
  std::string bmp = MakeBmp(40, 40, [](int, int) { return 0x123456u; });
  std::string jpeg = MakeJpeg(40, 40, [](int, int) { return 0x123456u; });
  std::string png = MakePng(40, 40, [](int, int) { return 0xFF123456u; });
  std::string hugeBmp = bmp;
  hugeBmp[18] = '\xE8', hugeBmp[19] = '\x03';  // width 1000: the rows would run past the end
  const std::string damaged[] = {
      bmp.substr(0, bmp.size() / 2),   jpeg.substr(0, 30),  png.substr(0, png.size() / 2),
      std::string("\xFF\xD8garbage-garbage"), hugeBmp,     std::string("\x89PNG\r\n\x1A\n", 8) + "junk",
      MakeIconFile(false).substr(0, 40),
  };
  for (const std::string& bytes : damaged) {
    Picture picture;
    EXPECT_FALSE(picture.Decode(bytes, 0)) << "case " << &bytes - damaged;
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0);
  }
}

TEST(Picture, PngAlphaIsBlendedOverTheColourBehind) {
  // Left column opaque blue, middle half-transparent blue, right fully transparent.
  std::string png = MakePng(3, 1, [](int x, int) { return x == 0 ? 0xFF0000FFu : x == 1 ? 0x800000FFu : 0x000000FFu; });
  Picture picture;
  ASSERT_TRUE(picture.Decode(png, RGB(255, 0, 0)));  // red behind
  Image pixels = BitmapPixels(picture.Bitmap());
  EXPECT_EQ(pixels.At(0, 0), 0x0000FFu);
  EXPECT_LE(ColourDistance(pixels.At(1, 0), Rgb(127, 0, 128)), 1);
  EXPECT_EQ(pixels.At(2, 0), 0xFF0000u);
}

TEST(Picture, IconAndCursorFilesBecomeIconsThatFlattenOntoABackColour) {
  for (bool cursor : {false, true}) {
    Picture picture;
    ASSERT_TRUE(picture.Decode(MakeIconFile(cursor), 0)) << "cursor " << cursor;
    EXPECT_EQ(picture.Kind(), cursor ? PictureKind::Cursor : PictureKind::Icon);
    ASSERT_NE(picture.Icon(), nullptr);
    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(picture.Height(), 16);
    picture.FlattenOnto(RGB(0, 255, 0));
    ASSERT_NE(picture.Bitmap(), nullptr);
    Image pixels = BitmapPixels(picture.Bitmap());
    EXPECT_EQ(pixels.At(2, 8), 0xFF0000u) << "the icon's own pixels";
    EXPECT_EQ(pixels.At(13, 8), 0x00FF00u) << "the back colour through the transparent half";
  }
}
