// Text commands: ReplaceText, FindText, SplitText, ToUpperCase, ToText. All scans walk GBK
// characters (GbkText.h), so matches and splits begin only at character boundaries.
#include <cstring>
#include <string>
#include <vector>

#include "services/core/CommandArgs.h"
#include "services/core/CoreHost.h"
#include "services/core/CoreLib.h"
#include "services/core/GbkText.h"
#include "services/core/ValueText.h"

namespace corelib {

namespace {

// An integer argument: integers as they are, other numbers through the runtime's conversion.
int32_t IntOf(const rt::ArgTriple& arg) {
  if (arg.type != rt::kTypeInt && rt::IsNumericType(arg.type)) return host::ValueToInt(arg);
  return arg.Int();
}

// A 1-based start position argument as a 0-based offset; 0 when omitted or before the start.
size_t StartOffset(const rt::ArgTriple& position) {
  if (!position.Given()) return 0;
  int64_t offset = static_cast<int64_t>(IntOf(position)) - 1;
  return offset < 0 ? 0 : static_cast<size_t>(offset);
}

void ReturnText(rt::ArgTriple* result, const std::string& text) { rt::SetText(result, host::NewText(text)); }

}  // namespace

void ReplaceText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const std::string text = cmdargs::Text(cmdargs::At(args, argCount, 0));
  const char* search = cmdargs::Text(cmdargs::At(args, argCount, 1));
  const char* replacement = cmdargs::Text(cmdargs::At(args, argCount, 2));
  const size_t start = StartOffset(cmdargs::At(args, argCount, 3));
  const rt::ArgTriple& countArg = cmdargs::At(args, argCount, 4);
  int32_t remaining = countArg.Given() ? IntOf(countArg) : -1;  // any negative count: unlimited
  const bool ignoreCase = !cmdargs::IsTrue(cmdargs::At(args, argCount, 5));

  const size_t searchLength = std::strlen(search);
  if (text.empty() || searchLength == 0 || start >= text.size() || remaining == 0) {
    ReturnText(result, text);
    return;
  }

  std::string built(text, 0, start);
  size_t at = start;
  while (text.size() - at >= searchLength) {
    if (gbk::MatchAt(text.c_str(), at, search, searchLength, ignoreCase)) {
      built += replacement;
      at += searchLength;
      if (remaining > 0 && --remaining == 0) break;
      continue;
    }
    const size_t length = gbk::CharLength(text.c_str(), at, text.size());
    built.append(text, at, length);
    at += length;
  }
  built.append(text, at, std::string::npos);
  ReturnText(result, built);
}

void FindText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const char* text = cmdargs::Text(cmdargs::At(args, argCount, 0));
  const char* search = cmdargs::Text(cmdargs::At(args, argCount, 1));
  const size_t start = StartOffset(cmdargs::At(args, argCount, 2));
  const rt::ArgTriple& ignoreCaseArg = cmdargs::At(args, argCount, 3);
  const bool ignoreCase = ignoreCaseArg.Given() && ignoreCaseArg.lo == 1;

  rt::SetInt(result, -1);
  const size_t length = std::strlen(text);
  if (start >= length) return;
  const size_t searchLength = std::strlen(search);
  if (searchLength == 0) {
    rt::SetInt(result, 1);
    return;
  }
  const size_t found = gbk::Find(text, length, start, search, searchLength, ignoreCase);
  if (found != gbk::npos) rt::SetInt(result, static_cast<int32_t>(found + 1));
}

namespace {

// The array-of-texts value: the word 1, the count, then one text pointer per element.
void* NewTextArray(const std::vector<std::string>& elements) {
  const size_t count = elements.size();
  auto words = static_cast<uint32_t*>(host::Allocate(count * 4 + 8));
  if (!words) return nullptr;
  words[0] = 1;
  words[1] = static_cast<uint32_t>(count);
  for (size_t i = 0; i < count; ++i) {
    words[2 + i] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host::NewText(elements[i])));
  }
  return words;
}

// Cuts text at each delimiter, left to right. `remaining` is -1 for no limit; the rest after the
// last cut becomes an element only when it is not empty and the limit was not used up.
std::vector<std::string> Split(const std::string& text, const char* delimiter, int32_t remaining) {
  std::vector<std::string> elements;
  if (text.empty() || remaining == 0) return elements;
  const size_t delimiterLength = std::strlen(delimiter);
  if (delimiterLength == 0) return {text};

  size_t pieceStart = 0;
  size_t at = 0;
  while (text.size() - at >= delimiterLength) {
    if (!gbk::MatchAt(text.c_str(), at, delimiter, delimiterLength, false)) {
      at += gbk::CharLength(text.c_str(), at, text.size());
      continue;
    }
    elements.emplace_back(text, pieceStart, at - pieceStart);
    at += delimiterLength;
    pieceStart = at;
    if (remaining != -1 && --remaining == 0) break;
  }
  if (pieceStart < text.size() && remaining != 0) elements.emplace_back(text, pieceStart, std::string::npos);
  return elements;
}

}  // namespace

void SplitText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const std::string text = cmdargs::Text(cmdargs::At(args, argCount, 0));
  const rt::ArgTriple& delimiterArg = cmdargs::At(args, argCount, 1);
  const char* delimiter = delimiterArg.Given() ? cmdargs::Text(delimiterArg) : ",";
  const rt::ArgTriple& maximumArg = cmdargs::At(args, argCount, 2);
  int32_t maximum = -1;
  if (maximumArg.Given()) maximum = IntOf(maximumArg) < 0 ? 0 : IntOf(maximumArg);

  rt::SetPointer(result, NewTextArray(Split(text, delimiter, maximum)), rt::kTypeText | rt::kArrayBit);
}

void ToUpperCase(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  std::string text = cmdargs::Text(cmdargs::At(args, argCount, 0));
  for (size_t at = 0; at < text.size();) {
    const size_t length = gbk::CharLength(text.c_str(), at, text.size());
    if (length == 1) text[at] = gbk::UpperAscii(text[at]);
    at += length;
  }
  ReturnText(result, text);
}

void ToText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const rt::ArgTriple& value = cmdargs::At(args, argCount, 0);
  std::string text;
  if (value.type == rt::kTypeText) {
    text = cmdargs::Text(value);
  } else if (!valuetext::FormatScalar(value, text)) {
    valuetext::ArrayBytesAsText(value, text);  // anything else stays the empty text
  }
  ReturnText(result, text);
}

}  // namespace corelib
