#include "installer/PayloadListing.h"

#include <cstdint>
#include <string>
#include <unordered_set>

#include "installer/product/GbkPath.h"
#include "services/zip/EndRecord.h"
#include "services/zip/EntryName.h"
#include "services/zip/GbkPath.h"
#include "services/zip/LittleEndian.h"
#include "services/zip/ZipReader.h"

namespace installer {
namespace {

constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr size_t kCentralSize = 46;

using ziplib::Read16;
using ziplib::Read32;

// The end record by the rule the pack check applies, or null.
const unsigned char* FindEndRecord(const unsigned char* archive, size_t size) {
  const size_t tailSize = size < ziplib::kEndRecordSearch ? size : ziplib::kEndRecordSearch;
  const unsigned char* tail = archive + (size - tailSize);
  const int64_t at = ziplib::FindEndRecord(tail, tailSize);
  return at < 0 ? nullptr : tail + at;
}

// Collects each path once, folders before what lies in them.
class ItemCollector {
 public:
  explicit ItemCollector(std::vector<product::InstalledItem>& items) : items_(items) {}

  void AddFolder(const std::string& folder) {
    if (folder.empty() || !seen_.insert(product::path::CaseFolded(folder)).second) return;
    AddFolder(product::path::Folder(folder));  // EnsurePath makes every missing level
    items_.push_back({true, folder});
  }
  void AddFile(const std::string& file) {
    if (seen_.insert(product::path::CaseFolded(file)).second) items_.push_back({false, file});
  }

 private:
  std::vector<product::InstalledItem>& items_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

bool ListPayload(const unsigned char* archive, size_t size, std::vector<product::InstalledItem>& items) {
  const unsigned char* end = FindEndRecord(archive, size);
  if (end == nullptr) return false;
  const size_t count = Read16(end + 10);
  size_t at = Read32(end + 16);
  const size_t directoryEnd = static_cast<size_t>(end - archive);
  ItemCollector collector(items);
  for (size_t i = 0; i < count; ++i) {
    if (at > directoryEnd || directoryEnd - at < kCentralSize || Read32(archive + at) != kCentralSignature) return false;
    const unsigned char* record = archive + at;
    const size_t nameLength = Read16(record + 28), extraLength = Read16(record + 30), commentLength = Read16(record + 32);
    const size_t recordSize = kCentralSize + nameLength + extraLength + commentLength;
    if (directoryEnd - at < recordSize) return false;
    // The unpack decides the same way what each entry is called, what is a folder and where
    // each entry lands.
    std::string stored;
    const std::string_view rawName(reinterpret_cast<const char*>(record + kCentralSize), nameLength);
    if (!ziplib::EntryNameInCodePage(rawName, Read16(record + 8), &stored)) return false;
    const bool isFolder = ziplib::AttributesFromExternal(Read32(record + 38), stored.c_str()) & 0x10;
    const std::string relative = product::path::WithoutTrailingSeparators(ziplib::gbk::SlashesToBackslashes(stored));
    if (!product::IsContainedRelativePath(relative)) return false;
    if (isFolder) {
      collector.AddFolder(relative);
    } else {
      collector.AddFile(relative);
    }
    at += recordSize;
  }
  return true;
}

}  // namespace installer
