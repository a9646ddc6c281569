#include "window/FontValue.h"
#include <cstring>
#include "runtime/Runtime.h"
#include "window/template/PropertyBlocks.h"

namespace window {
namespace {

constexpr char kFallbackFace[] = "宋体";

int32_t ScreenDpi() {
  rt::gdi::ClientDc screen(nullptr);
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int32_t PointsFromHeight(int32_t height) { return MulDiv(height < 0 ? -height : height, 72, ScreenDpi()); }
int32_t HeightFromPoints(int32_t points) { return -MulDiv(points, ScreenDpi(), 72); }

// The record's integer fields in attribute order.
int32_t FontRecord::* const kRecordFields[kFontFace] = {&FontRecord::angle,     &FontRecord::bold,
                                                        &FontRecord::italic,    &FontRecord::strikeOut,
                                                        &FontRecord::underline, &FontRecord::size};

int32_t NormalisedAngle(int32_t angle) {
  int32_t a = angle % 3600;
  return a < 0 ? a + 3600 : a;
}

void SetFace(LOGFONTA& font, const char* face) {
  size_t length = face ? std::strlen(face) : 0;
  if (length < 1 || length > 31) face = kFallbackFace, length = std::strlen(kFallbackFace);
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  std::memcpy(font.lfFaceName, face, length);
}

int32_t AttributeOf(const LOGFONTA& font, int32_t member) {
  switch (member) {
    case kFontAngle: return font.lfEscapement;
    case kFontBold: return font.lfWeight >= FW_BOLD ? 1 : 0;
    case kFontItalic: return font.lfItalic ? 1 : 0;
    case kFontStrikeOut: return font.lfStrikeOut ? 1 : 0;
    case kFontUnderline: return font.lfUnderline ? 1 : 0;
    case kFontSize: return PointsFromHeight(font.lfHeight);
    default: return 0;
  }
}

void SetAttribute(LOGFONTA& font, int32_t member, int32_t value) {
  switch (member) {
    case kFontAngle:
      font.lfEscapement = font.lfOrientation = NormalisedAngle(value);
      break;
    case kFontBold: font.lfWeight = value ? FW_BOLD : 0; break;
    case kFontItalic: font.lfItalic = value ? 1 : 0; break;
    case kFontStrikeOut: font.lfStrikeOut = value ? 1 : 0; break;
    case kFontUnderline: font.lfUnderline = value ? 1 : 0; break;
    case kFontSize: font.lfHeight = HeightFromPoints(value); break;
    default: break;
  }
}

}  // namespace

HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

LOGFONTA StoredLogFont(const std::string& stored) {
  LOGFONTA font = {};
  if (stored.size() == sizeof(LOGFONTA)) {
    std::memcpy(&font, stored.data(), sizeof font);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    return font;
  }
  GetObjectA(DefaultGuiFont(), sizeof font, &font);
  return font;
}

std::string LogFontBytes(const LOGFONTA& font) {
  static_assert(sizeof(LOGFONTA) == tmpl::LogFont::kSize, "logical font is 60 bytes");
  return std::string(reinterpret_cast<const char*>(&font), sizeof font);
}

uint64_t ReadFontValue(const std::string& stored, int32_t member) {
  LOGFONTA font = StoredLogFont(stored);
  if (member == kFontFace) return reinterpret_cast<uintptr_t>(rt::NewText(font.lfFaceName));
  if (member >= kFontAngle && member < kFontFace) return uint32_t(AttributeOf(font, member));
  auto* record = static_cast<FontRecord*>(rt::AllocateBlock(sizeof(FontRecord)));
  for (int32_t m = kFontAngle; m < kFontFace; ++m) record->*kRecordFields[m] = AttributeOf(font, m);
  record->faceName = rt::NewText(font.lfFaceName);
  return reinterpret_cast<uintptr_t>(record);
}

std::string WriteFontValue(const std::string& stored, int32_t member, uint32_t lo, uint32_t hi) {
  (void)hi;
  LOGFONTA font = StoredLogFont(stored);
  if (member == kFontFace) {
    SetFace(font, reinterpret_cast<const char*>(uintptr_t(lo)));
  } else if (member >= kFontAngle && member < kFontFace) {
    SetAttribute(font, member, int32_t(lo));
  } else {
    const auto* record = reinterpret_cast<const FontRecord*>(uintptr_t(lo));
    if (!record) return stored;
    for (int32_t m = kFontAngle; m < kFontFace; ++m) SetAttribute(font, m, record->*kRecordFields[m]);
    SetFace(font, record->faceName);
  }
  return LogFontBytes(font);
}

rt::gdi::Font CreateStoredFont(const std::string& stored) {
  if (stored.size() != sizeof(LOGFONTA)) return rt::gdi::Font();
  LOGFONTA font = StoredLogFont(stored);
  return rt::gdi::Font(CreateFontIndirectA(&font));
}

}  // namespace window
