#include "installer/InstallPath.h"
#include "installer/ProgramCalls.h"
#include "program_pool.h"
#include "services/core/GbkText.h"
#include "services/zip/EntryName.h"

namespace installer {
namespace {

// Room for the records, the shortcuts' targets and a product's own paths; a product with long
// names asks for less (HoldsPathsOf).
constexpr size_t kLongestFolder = 180;

const char* const kRefusedInNames[] = {"/", "*", "?", "\"", "<", ">", "|"};

// Splits at single-byte separators only: a GBK character's trail byte may be 0x5C.
bool EveryPartIsAName(const std::string& folder) {
  size_t partStart = 3;
  for (size_t i = 3; i <= folder.size(); ++i) {
    bool end = i == folder.size() || folder[i] == '\\';
    if (!end) {
      i += gbk::CharLength(folder.data(), i, folder.size()) - 1;
      continue;
    }
    std::string part = folder.substr(partStart, i - partStart);
    if (part.empty() || part == "." || part == ".." || part.back() == ' ') return false;
    partStart = i + 1;
  }
  return true;
}

}  // namespace

std::string InstallFolderFor(const std::string& picked) {
  return ReplaceText(picked + pool::Text(pool::ProductSuffix), pool::Text(pool::DoubleSeparator),
                     pool::Text(pool::Separator));
}

std::string TidyFolder(const std::string& typed) {
  size_t first = typed.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  std::string folder = typed.substr(first, typed.find_last_not_of(' ') + 1 - first);
  folder = ReplaceText(folder, pool::Text(pool::DoubleSeparator), pool::Text(pool::Separator));
  // A trailing separator goes; a last byte 0x5C that is the trail byte of a character stays.
  while (folder.size() > 3 && gbk::EndsWithAscii(folder.data(), folder.size(), '\\')) folder.pop_back();
  return folder;
}

bool IsUsableFolder(const std::string& folder) {
  if (folder.size() < 4 || folder.size() > kLongestFolder) return false;
  std::string drive = ToUpperCase(folder.substr(0, 1));
  if (drive[0] < 'A' || drive[0] > 'Z') return false;
  if (FindText(folder, pool::Text(pool::DriveRoot)) != 2) return false;  // "X:\" and no other colon
  if (FindText(folder, pool::Text(pool::DriveColon), 3) != -1) return false;
  for (const char* refused : kRefusedInNames)
    if (FindText(folder, refused) != -1) return false;
  for (unsigned char c : folder)
    if (c < 0x20) return false;
  // Windows would split the folder into other names than the ones checked here and written to the
  // log, and the uninstaller would refuse that log.
  if (!gbk::SplitsAsWindowsDoes(folder.data(), folder.size())) return false;
  return EveryPartIsAName(folder);
}

bool HoldsPathsOf(const std::string& folder, size_t longestItem) {
  return folder.size() + 1 + longestItem <= ziplib::kLongestEntryPath;
}

std::string DriveOf(const std::string& folder) { return ToUpperCase(folder.substr(0, 1)) + pool::Text(pool::DriveColon); }

}  // namespace installer
