// Paths as GBK byte strings: a byte with bit 7 set starts a two-byte character, so a trail
// byte 0x5C is part of a character and never a folder separator.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include "services/core/GbkText.h"

namespace ziplib::gbk {

// Length in bytes of the character that starts at byte i, by the one GBK rule of all libraries.
inline size_t CharLength(std::string_view text, size_t i) { return ::gbk::CharLength(text.data(), i, text.size()); }

// True when the last character is the single-byte "\".
bool EndsWithBackslash(std::string_view text);

// Byte offset of the last single-byte "\" or "/", or npos.
size_t LastSeparator(std::string_view text);

// Calls visit(component) for each piece between single-byte "\" separators.
template <typename Visit>
void ForEachComponent(std::string_view text, Visit visit) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] != '\\') continue;
    visit(text.substr(start, i - start));
    start = i + 1;
  }
  visit(text.substr(start));
}

// The name with every byte "/" made "\" ("/" is below 0x40 and cannot be a trail byte).
std::string SlashesToBackslashes(std::string_view name);

}  // namespace ziplib::gbk
