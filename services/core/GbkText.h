// Scanning GBK texts (code page 936) byte by byte without ever landing inside a character.
//
// A byte with bit 7 set starts a two-byte character; the byte after it belongs to that character
// even when it looks like ASCII (trail bytes run from 0x40 to 0xFE and so include "\", "@" and
// the letters). Every scan therefore steps over both bytes together, and a lead byte followed by
// the terminating zero counts as a lone byte that ends the scan. Case folding touches the ASCII
// letters only, and never a trail byte.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gbk {

inline bool IsLeadByte(char c) { return (static_cast<uint8_t>(c) & 0x80) != 0; }

// Bytes of the character that starts at text[at] inside a text of `length` bytes: 2 for a
// two-byte character, 1 for an ASCII byte or for a lead byte that has no trail byte left.
inline size_t CharLength(const char* text, size_t at, size_t length) {
  if (IsLeadByte(text[at]) && at + 1 < length && text[at + 1] != '\0') return 2;
  return 1;
}

// Windows itself reads a path in code page 936, where only 0x81..0xFE start a two-byte character:
// 0x80 (the euro sign) and 0xFF stand alone. Up to the first such byte at the start of a
// character both readings split a text alike; from there on they may not ("x\x80\y" is one name
// above and two to Windows). Whether the whole text splits alike:
inline bool SplitsAsWindowsDoes(const char* text, size_t length) {
  for (size_t at = 0; at < length; at += CharLength(text, at, length)) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == 0x80 || c == 0xFF) return false;
  }
  return true;
}

inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }
inline char UpperAscii(char c) { return FoldAscii(c); }

// Whether `pattern` (patternLength bytes) matches text at `at`, where at least patternLength
// bytes remain. With ignoreCase the single-byte letters of the pattern compare without case;
// the two bytes of a GBK character always compare exactly, so no character can match another
// one whose trail byte differs only in "case".
inline bool MatchAt(const char* text, size_t at, const char* pattern, size_t patternLength, bool ignoreCase) {
  size_t i = 0;
  while (i < patternLength) {
    char p = pattern[i];
    char t = text[at + i];
    if (IsLeadByte(p) && i + 1 < patternLength) {
      if (p != t || pattern[i + 1] != text[at + i + 1]) return false;
      i += 2;
      continue;
    }
    if (ignoreCase ? FoldAscii(p) != FoldAscii(t) : p != t) return false;
    ++i;
  }
  return true;
}

// Offset of the first match of pattern in text at or after `from` (a character boundary),
// scanning character by character; npos when there is none. An empty pattern never matches.
constexpr size_t npos = static_cast<size_t>(-1);
inline size_t Find(const char* text, size_t length, size_t from, const char* pattern, size_t patternLength,
                   bool ignoreCase) {
  if (patternLength == 0) return npos;
  size_t at = from;
  while (at < length && length - at >= patternLength) {
    if (MatchAt(text, at, pattern, patternLength, ignoreCase)) return at;
    at += CharLength(text, at, length);
  }
  return npos;
}

// Offset of the last single-byte character `c` (an ASCII byte) in the text, or npos. A byte that
// is the second half of a GBK character is not counted.
inline size_t FindLastAscii(const char* text, size_t length, char c) {
  size_t found = npos;
  for (size_t at = 0; at < length; at += CharLength(text, at, length)) {
    if (text[at] == c) found = at;
  }
  return found;
}

// Whether the text's last character is the single-byte character `c`.
inline bool EndsWithAscii(const char* text, size_t length, char c) {
  if (length == 0) return false;
  size_t last = npos;
  for (size_t at = 0; at < length; at += CharLength(text, at, length)) last = at;
  return last == length - 1 && text[last] == c;
}

}  // namespace gbk
