// Pictures of the window templates (bitmap, JPEG, PNG, icon and cursor files), decoded once into
// a GDI bitmap or an icon.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/GdiObjects.h"

namespace window {

// The colour value 0xFF000000 stands for the system's button-face colour.
constexpr uint32_t kButtonFaceColour = 0xFF000000;
inline COLORREF ResolveColour(uint32_t colour) {
  return colour == kButtonFaceColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

// Sets the stretch mode for the next stretched blit: half-tone on screens of more than 16 bits
// per pixel, colour-on-colour otherwise.
void SetStretchQuality(HDC dc);

enum class PictureKind {
  None,    // not a picture, or too short to tell
  Bitmap,  // "BM"
  Jpeg,    // FF D8
  Png,     // 89 "PNG"
  Icon,    // icon file
  Cursor,  // cursor file
  Gif,     // GIF87a / GIF89a (recognised; not decoded)
  Pcx,     // 256-colour or monochrome PCX (recognised; not decoded)
};

// A decoded picture: its kind, its size and a bitmap (bitmap, JPEG, PNG) or an icon handle
// (icon and cursor files).
class Picture {
 public:
  Picture() = default;
  Picture(Picture&&) = default;
  Picture& operator=(Picture&&) = default;

  // What the first bytes say the data is; at least 6 bytes are needed.
  static PictureKind Recognise(const uint8_t* data, size_t size);

  // Decodes a complete picture file. A PNG's alpha channel is blended over backColour. Returns
  // false, leaving no picture, when the data is empty, unrecognised or damaged.
  bool Decode(const uint8_t* data, size_t size, COLORREF backColour);
  bool Decode(const std::string& bytes, COLORREF backColour) {
    return Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), backColour);
  }
  void Reset();

  bool Empty() const { return !bitmap_ && !icon_; }
  PictureKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  HICON Icon() const { return icon_.get(); }

  // Draws into target: stretched to it, or at the picture's own size at its top-left corner
  // (clipped to it). Icons and cursors are drawn with DrawIconEx at the size asked for.
  void Draw(HDC dc, const RECT& target, bool stretch) const;

  // Makes an icon or cursor picture drawable as a bitmap of its own size over backColour; a
  // bitmap picture is left as it is.
  void FlattenOnto(COLORREF backColour);

 private:
  PictureKind kind_ = PictureKind::None;
  int width_ = 0;
  int height_ = 0;
  rt::gdi::Bitmap bitmap_;  // bitmap, JPEG and PNG pictures; icons after FlattenOnto
  rt::gdi::Icon icon_;      // icon and cursor files
};

}  // namespace window
