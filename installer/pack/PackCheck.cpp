// packcheck ARCHIVE [--stamp FILE]: checks, when the installer is built, that a product archive
// installs right on the user's machine: its layout, every entry's name, method and data, the
// folders and the two programs the installer names; then it unpacks the archive with the
// installer's own ZIP service and compares what landed. Exit code 0 when the archive is taken
// (and the stamp file written), 1 when it is refused, with one line per reason on stderr.
#include <windows.h>

#include <string>
#include <vector>

#include "installer/pack/ArchiveLayout.h"
#include "installer/pack/EntryRules.h"
#include "installer/pack/UnpackCheck.h"
#include "runtime/Win32Handle.h"
#include "services/zip/EntryName.h"

namespace {

constexpr unsigned kGbk = 936;
constexpr size_t kRefusalsShown = 40;

// Lines go out as UTF-8, the terminal's encoding on the vendor's build machine.
void Print(DWORD stream, const std::string& gbk) {
  const int wideLength = MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), wideLength);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  utf8 += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::string Escaped(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      shown += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    }
  }
  return shown;
}

// The name as a person reads it: its characters where GBK has them, its bytes otherwise.
std::string ShownName(const pack::Refusal& refusal) {
  std::string name;
  if (!ziplib::EntryNameInCodePage(refusal.storedName, refusal.flags, &name, kGbk)) return Escaped(refusal.storedName);
  const bool valid = name.empty() || MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, name.data(),
                                                         static_cast<int>(name.size()), nullptr, 0) > 0;
  bool printable = true;
  for (unsigned char c : name) printable = printable && c >= 0x20 && c != 0x7F;
  return valid && printable ? name : Escaped(refusal.storedName);
}

void PrintRefusals(const std::vector<pack::Refusal>& refusals) {
  for (size_t i = 0; i < refusals.size() && i < kRefusalsShown; ++i) {
    const pack::Refusal& refusal = refusals[i];
    const std::string where = refusal.entry < 0 ? std::string()
                                                : "entry " + std::to_string(refusal.entry) + " \"" + ShownName(refusal) + "\": ";
    Print(STD_ERROR_HANDLE, "refused: " + where + refusal.reason);
  }
  if (refusals.size() > kRefusalsShown) {
    Print(STD_ERROR_HANDLE, "refused: and " + std::to_string(refusals.size() - kRefusalsShown) + " more reasons");
  }
}

bool WriteStamp(const std::string& file, const std::string& text) {
  rt::UniqueHandle stamp(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return stamp.Valid() && WriteFile(stamp.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && stamp.Close();
}

std::string Summary(const pack::ArchiveLayout& layout, const std::vector<pack::PlannedItem>& items) {
  size_t files = 0;
  uint64_t unpacked = 0;
  for (const pack::PlannedItem& item : items) {
    if (item.isFolder) continue;
    ++files;
    unpacked += item.size;
  }
  return "checked: " + std::to_string(layout.entries.size()) + " entries (" + std::to_string(files) + " files, " +
         std::to_string(layout.entries.size() - files) + " folders), " + std::to_string(unpacked) +
         " bytes unpacked; the installer unpacks every one as the archive holds it";
}

int Check(const std::string& archive, const std::string& stamp) {
  pack::ArchiveLayout layout;
  std::vector<pack::Refusal> refusals = pack::ReadArchiveLayout(archive, &layout);
  std::vector<pack::PlannedItem> items;
  if (refusals.empty()) refusals = pack::CheckEntries(layout, &items);
  if (refusals.empty()) refusals = pack::UnpackAndCompare(archive, layout, items);
  if (!refusals.empty()) {
    PrintRefusals(refusals);
    return 1;
  }
  const std::string summary = Summary(layout, items);
  if (!stamp.empty() && !WriteStamp(stamp, summary + "\n")) {
    Print(STD_ERROR_HANDLE, "packcheck: cannot write " + stamp);
    return 2;
  }
  Print(STD_OUTPUT_HANDLE, summary);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string archive, stamp;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--stamp" && i + 1 < args.size()) {
      stamp = args[++i];
    } else if (archive.empty()) {
      archive = args[i];
    } else {
      archive.clear();
      break;
    }
  }
  if (archive.empty()) {
    Print(STD_ERROR_HANDLE, "usage: packcheck ARCHIVE.zip [--stamp FILE]");
    return 2;
  }
  return Check(archive, stamp);
}
