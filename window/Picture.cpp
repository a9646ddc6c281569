// Picture decoding: bitmaps through GDI, JPEG through libjpeg, PNG through libpng, icon and
// cursor files through the icon calls. Everything ends up as a 32-bit top-down DIB section (or
// an icon handle), decoded once and blitted from then on.
#include "window/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace window {

void SetStretchQuality(HDC dc) {
  rt::gdi::ClientDc screen(nullptr);
  if (GetDeviceCaps(screen.get(), BITSPIXEL) > 16) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);  // half-tone needs the brush origin reset after the mode
    return;
  }
  SetStretchBltMode(dc, COLORONCOLOR);
}

namespace {

uint16_t Word16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Word32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Pictures above this are refused rather than allocated (a damaged header must not make us ask
// for gigabytes).
constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxPixels = 32 * 1024 * 1024;
bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Decoded pixels, top-down, one BGRX (or BGRA before blending) word per pixel.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;

  bool Allocate(int w, int h) {
    try {
      data.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    width = w, height = h;
    return true;
  }
  uint8_t* Row(int y) { return reinterpret_cast<uint8_t*>(data.data() + static_cast<size_t>(y) * width); }
};

rt::gdi::Bitmap BitmapFromPixels(const Pixels& pixels) {
  uint32_t* bits = nullptr;
  rt::gdi::Bitmap bitmap = rt::gdi::CreateDib32(pixels.width, pixels.height, &bits);
  if (bitmap) std::memcpy(bits, pixels.data.data(), pixels.data.size() * sizeof(uint32_t));
  return bitmap;
}

// ---- JPEG ------------------------------------------------------------------------------------

struct JpegFailure {
  jpeg_error_mgr manager;  // first, so that the library's error pointer is this record
  jmp_buf jump;            // where a fatal library error lands
};

void JpegFail(j_common_ptr info) { longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

// Adobe's CMYK JPEGs store the inks inverted; the product of ink and black is the colour.
void CmykToBgrx(Pixels& pixels) {
  for (uint32_t& pixel : pixels.data) {
    uint8_t* p = reinterpret_cast<uint8_t*>(&pixel);
    unsigned c = p[0], m = p[1], y = p[2], k = p[3];
    p[0] = static_cast<uint8_t>(y * k / 255);
    p[1] = static_cast<uint8_t>(m * k / 255);
    p[2] = static_cast<uint8_t>(c * k / 255);
    p[3] = 0xFF;
  }
}

// The library reports fatal errors by jumping back here; all locals that live across the jump
// are plain C records, so no destructor is skipped.
bool ReadJpeg(const uint8_t* data, size_t size, Pixels* out) {
  jpeg_decompress_struct info;
  JpegFailure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = JpegFail;
  failure.manager.output_message = JpegQuiet;
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  if (!SizeAllowed(info.output_width, info.output_height) ||
      !out->Allocate(static_cast<int>(info.output_width), static_cast<int>(info.output_height))) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->Row(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (cmyk) CmykToBgrx(*out);
  return true;
}

// ---- PNG -------------------------------------------------------------------------------------

struct PngSource {
  const uint8_t* data;  // the whole file
  size_t size;
  size_t position;      // next byte to hand to the library
};

void PngRead(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > source->size - source->position) png_error(png, "truncated");
  std::memcpy(out, source->data + source->position, count);
  source->position += count;
}
void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngQuiet(png_structp, png_const_charp) {}

// As ReadJpeg: the library jumps back to the setjmp below on a fatal error.
bool ReadPng(const uint8_t* data, size_t size, Pixels* out) {
  PngSource source = {data, size, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngQuiet);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, PngRead);
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  // Every colour type becomes 8-bit BGRA.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (!SizeAllowed(width, height) || png_get_rowbytes(png, info) != width * 4 ||
      !out->Allocate(static_cast<int>(width), static_cast<int>(height))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < out->height; ++y) png_read_row(png, out->Row(y), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// The alpha channel goes away here: each pixel is mixed with the colour behind the picture.
void BlendOver(Pixels& pixels, COLORREF back) {
  const unsigned behind[3] = {GetBValue(back), GetGValue(back), GetRValue(back)};
  for (uint32_t& pixel : pixels.data) {
    uint8_t* p = reinterpret_cast<uint8_t*>(&pixel);
    unsigned alpha = p[3];
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * alpha + behind[c] * (255 - alpha) + 127) / 255);
    p[3] = 0xFF;
  }
}

// ---- BMP -------------------------------------------------------------------------------------

// What a bitmap file says about itself, checked against the file's length.
struct BmpLayout {
  size_t headerEnd = 0;  // end of info header, masks and colour table
  size_t bitsOffset = 0;
  size_t bitsSize = 0;
  int width = 0;
  int height = 0;        // rows, always positive
};

bool MeasureBmp(const uint8_t* data, size_t size, BmpLayout& layout) {
  constexpr size_t kFileHeader = 14;
  if (size < kFileHeader + 12) return false;
  const uint8_t* header = data + kFileHeader;
  uint32_t headerSize = Word32(header);
  int64_t width, height;
  unsigned bitCount, compression = BI_RGB;
  uint64_t colours, entrySize, masks = 0, sizeImage = 0;
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    width = Word16(header + 4), height = Word16(header + 6), bitCount = Word16(header + 10);
    colours = bitCount <= 8 ? 1u << bitCount : 0, entrySize = 3;
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && kFileHeader + headerSize <= size) {
    width = static_cast<int32_t>(Word32(header + 4)), height = static_cast<int32_t>(Word32(header + 8));
    bitCount = Word16(header + 14), compression = Word32(header + 16), sizeImage = Word32(header + 20);
    uint32_t used = Word32(header + 32);
    colours = used ? used : (bitCount <= 8 ? 1u << bitCount : 0), entrySize = 4;
    if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER)) masks = 12;
  } else {
    return false;
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (!SizeAllowed(width, height) || colours > 65536) return false;
  layout.headerEnd = kFileHeader + headerSize + masks + colours * entrySize;
  if (layout.headerEnd > size) return false;
  uint32_t offset = Word32(data + 10);
  layout.bitsOffset = offset ? offset : layout.headerEnd;
  if (layout.bitsOffset < kFileHeader + headerSize || layout.bitsOffset >= size) return false;
  size_t available = size - layout.bitsOffset;
  bool plain = compression == BI_RGB || compression == BI_BITFIELDS;
  bool rle = (compression == BI_RLE8 && bitCount == 8) || (compression == BI_RLE4 && bitCount == 4);
  if (plain) {
    static const unsigned kDepths[] = {1, 4, 8, 16, 24, 32};
    bool known = false;
    for (unsigned depth : kDepths) known = known || depth == bitCount;
    uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (!known || stride * height > available) return false;
    layout.bitsSize = static_cast<size_t>(stride * height);
  } else if (rle) {
    if (topDown || sizeImage == 0 || sizeImage > available) return false;
    layout.bitsSize = static_cast<size_t>(sizeImage);
  } else {
    return false;  // JPEG or PNG inside a BMP, or nonsense
  }
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height);
  return true;
}

// GDI converts every bitmap format into our 32-bit section.
rt::gdi::Bitmap DecodeBmp(const uint8_t* data, size_t size, int& width, int& height) {
  BmpLayout layout;
  if (!MeasureBmp(data, size, layout)) return nullptr;
  // The info header sits at an odd offset in the file; GDI wants it aligned.
  std::vector<uint32_t> header((layout.headerEnd - 14 + 3) / 4 + 1, 0);
  std::memcpy(header.data(), data + 14, layout.headerEnd - 14);
  std::vector<uint8_t> bits(data + layout.bitsOffset, data + layout.bitsOffset + layout.bitsSize);
  rt::gdi::Bitmap bitmap = rt::gdi::CreateDib32(layout.width, layout.height, nullptr);
  if (!bitmap) return nullptr;
  rt::gdi::ClientDc screen(nullptr);
  auto info = reinterpret_cast<const BITMAPINFO*>(header.data());
  if (!SetDIBits(screen.get(), bitmap.get(), 0, layout.height, bits.data(), info, DIB_RGB_COLORS)) return nullptr;
  width = layout.width;
  height = layout.height;
  return bitmap;
}

// ---- Icon and cursor files -------------------------------------------------------------------

// Picks the largest image of the file (the best one to draw at any size) and makes it an icon;
// a cursor image gets its hot spot in front, as the resource format wants.
rt::gdi::Icon DecodeIconFile(const uint8_t* data, size_t size, bool cursor, int& width, int& height) {
  unsigned count = Word16(data + 4);
  if (size < 6 + 16 * static_cast<size_t>(count)) return nullptr;
  const uint8_t* best = nullptr;
  int bestArea = 0;
  for (unsigned i = 0; i < count; ++i) {
    const uint8_t* entry = data + 6 + 16 * i;
    uint32_t length = Word32(entry + 8), offset = Word32(entry + 12);
    if (length < 40 || offset > size || length > size - offset) continue;
    int w = entry[0] ? entry[0] : 256, h = entry[1] ? entry[1] : 256;
    if (w * h > bestArea) best = entry, bestArea = w * h;
  }
  if (!best) return nullptr;
  int w = best[0] ? best[0] : 256, h = best[1] ? best[1] : 256;
  uint32_t length = Word32(best + 8), offset = Word32(best + 12);
  std::vector<uint8_t> image;
  if (cursor) {
    image.insert(image.end(), best + 4, best + 8);  // hot spot x and y
  }
  image.insert(image.end(), data + offset, data + offset + length);
  HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), !cursor, 0x00030000, w, h,
                                        LR_DEFAULTCOLOR);
  if (!icon) return nullptr;
  width = w;
  height = h;
  return rt::gdi::Icon(icon);
}

bool IsPcx(const uint8_t* data) {
  static const uint8_t kVersions[] = {0, 2, 3, 4, 5};
  bool version = false;
  for (uint8_t v : kVersions) version = version || data[1] == v;
  return data[0] == 0x0A && version && data[2] == 1 && (data[3] == 8 || data[3] == 1);
}

}  // namespace

PictureKind Picture::Recognise(const uint8_t* data, size_t size) {
  if (!data || size < 6) return PictureKind::None;
  if (data[0] == 'B' && data[1] == 'M') return PictureKind::Bitmap;
  if (data[0] == 0xFF && data[1] == 0xD8) return PictureKind::Jpeg;
  if (data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') return PictureKind::Png;
  if (Word16(data) == 0 && Word16(data + 2) == 1) return PictureKind::Icon;
  if (Word16(data) == 0 && Word16(data + 2) == 2) return PictureKind::Cursor;
  if (!std::memcmp(data, "GIF87a", 6) || !std::memcmp(data, "GIF89a", 6)) return PictureKind::Gif;
  if (IsPcx(data)) return PictureKind::Pcx;
  return PictureKind::None;
}

void Picture::Reset() {
  kind_ = PictureKind::None;
  width_ = height_ = 0;
  bitmap_.reset();
  icon_.reset();
}

bool Picture::Decode(const uint8_t* data, size_t size, COLORREF backColour) {
  Reset();
  kind_ = Recognise(data, size);
  Pixels pixels;
  switch (kind_) {
    case PictureKind::Bitmap:
      bitmap_ = DecodeBmp(data, size, width_, height_);
      break;
    case PictureKind::Jpeg:
      if (ReadJpeg(data, size, &pixels)) bitmap_ = BitmapFromPixels(pixels);
      break;
    case PictureKind::Png:
      if (!ReadPng(data, size, &pixels)) break;
      BlendOver(pixels, backColour);
      bitmap_ = BitmapFromPixels(pixels);
      break;
    case PictureKind::Icon:
    case PictureKind::Cursor:
      icon_ = DecodeIconFile(data, size, kind_ == PictureKind::Cursor, width_, height_);
      break;
    default:
      break;  // GIF and PCX are recognised only; nothing else is a picture
  }
  if (bitmap_ && pixels.width) width_ = pixels.width, height_ = pixels.height;
  if (Empty()) width_ = height_ = 0;
  return !Empty();
}

void Picture::Draw(HDC dc, const RECT& target, bool stretch) const {
  int targetWidth = target.right - target.left, targetHeight = target.bottom - target.top;
  if (icon_) {
    DrawIconEx(dc, target.left, target.top, icon_.get(), stretch ? targetWidth : width_, stretch ? targetHeight : height_,
               0, nullptr, DI_NORMAL);
    return;
  }
  if (!bitmap_) return;
  rt::gdi::MemoryDc source(dc);
  rt::gdi::Selection selected(source.get(), bitmap_.get());
  if (!stretch) {
    BitBlt(dc, target.left, target.top, std::min(width_, targetWidth), std::min(height_, targetHeight), source.get(), 0, 0,
           SRCCOPY);
    return;
  }
  SetStretchQuality(dc);
  StretchBlt(dc, target.left, target.top, targetWidth, targetHeight, source.get(), 0, 0, width_, height_, SRCCOPY);
}

void Picture::FlattenOnto(COLORREF backColour) {
  if (!icon_ || bitmap_) return;
  uint32_t* bits = nullptr;
  rt::gdi::Bitmap bitmap = rt::gdi::CreateDib32(width_, height_, &bits);
  if (!bitmap) return;
  rt::gdi::MemoryDc dc(nullptr);
  rt::gdi::Selection selected(dc.get(), bitmap.get());
  rt::gdi::Brush back(CreateSolidBrush(backColour));
  RECT all = {0, 0, width_, height_};
  FillRect(dc.get(), &all, back.get());
  DrawIconEx(dc.get(), 0, 0, icon_.get(), width_, height_, 0, nullptr, DI_NORMAL);
  GdiFlush();
  bitmap_ = std::move(bitmap);
}

}  // namespace window
