// Font properties: stored as the 60-byte logical-font record (empty = the default GUI font),
// exchanged with the program whole as a font record or one attribute at a time.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "window/Picture.h"

namespace window {

// The font record as the program sees it (a runtime block of 28 bytes).
struct FontRecord {
  int32_t angle;       // tenths of a degree, 0 ... 3599
  int32_t bold;        // logical
  int32_t italic;      // logical
  int32_t strikeOut;   // logical
  int32_t underline;   // logical
  int32_t size;        // points
  char* faceName;      // text (runtime block), null = empty
};
static_assert(sizeof(FontRecord) == 28, "font record is seven words");

// Selectors of a single font attribute; -1 (or anything else) means the whole record.
enum FontMember : int32_t { kFontAngle, kFontBold, kFontItalic, kFontStrikeOut, kFontUnderline, kFontSize, kFontFace };

// The logical font a stored font stands for (the default GUI font unless it is 60 bytes).
LOGFONTA StoredLogFont(const std::string& stored);
std::string LogFontBytes(const LOGFONTA& font);

// The value of a font property for the program: a new font record, or one attribute (integers
// and logicals as they are, the face name as a new text).
uint64_t ReadFontValue(const std::string& stored, int32_t member);
// The stored font after writing a font record (lo points to it) or one attribute.
std::string WriteFontValue(const std::string& stored, int32_t member, uint32_t lo, uint32_t hi);

// A font object for a stored font; null for the default GUI font (use DefaultGuiFont()).
rt::gdi::Font CreateStoredFont(const std::string& stored);
HFONT DefaultGuiFont();

}  // namespace window
