#include "services/zip/GbkPath.h"

namespace ziplib::gbk {

bool EndsWithBackslash(std::string_view text) {
  bool lastIsBackslash = false;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) lastIsBackslash = text[i] == '\\';
  return lastIsBackslash;
}

size_t LastSeparator(std::string_view text) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == '\\' || text[i] == '/') last = i;
  }
  return last;
}

std::string SlashesToBackslashes(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace ziplib::gbk
