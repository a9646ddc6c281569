#include "services/zip/ZipUnpacker.h"

#include <cstring>

#include "runtime/Win32Handle.h"
#include "services/zip/EnsurePath.h"
#include "services/zip/EntryName.h"
#include "services/zip/GbkPath.h"
#include "services/zip/ZipReader.h"
#include "services/zip/ZipUnit.h"

namespace ziplib {
namespace {

bool IsEmptyText(const char* text) { return !text || !*text; }

// Folder + "\" (unless it already ends in one) + the entry name with "/" made "\".
std::string EntryPath(const std::string& folder, const char* name) {
  std::string path = folder;
  if (!gbk::EndsWithBackslash(path)) path += '\\';
  return path + gbk::SlashesToBackslashes(name);
}

}  // namespace

bool LooksLikeZipArchive(const char* archive) {
  rt::UniqueHandle file(CreateFileA(archive, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  uint8_t head[32];
  DWORD got = 0;
  if (!ReadFile(file.Get(), head, sizeof(head), &got, nullptr) || got != sizeof(head)) return false;
  static const uint8_t kLocalHeaderSignature[4] = {0x50, 0x4B, 0x03, 0x04};
  if (std::memcmp(head, kLocalHeaderSignature, 4) != 0) return false;
  int32_t sizeHighAndNameLength;
  std::memcpy(&sizeHighAndNameLength, head + 24, 4);
  return sizeHighAndNameLength >= 1;
}

void ZipUnpacker::SetUnit(ZipUnit* unit) {
  unit_ = unit;
  unitWindow_ = unit ? unit->Handle() : nullptr;
}

void ZipUnpacker::SetProgressCallback(ZipProgressCallback callback) {
  Reset();
  callback_ = callback;
}

void ZipUnpacker::Reset() {
  cancel_ = 0;
  total_ = 0;
  current_ = 0;
  callback_ = nullptr;
}

void ZipUnpacker::ReportProgress() {
  if (callback_) callback_(current_, total_, currentPath_.c_str(), this);
}

// Every path out of a run goes through here: a stop by the event routine returns at once; the
// end of the archive and every failure report the closing progress (100 percent) first.
int32_t ZipUnpacker::Run(const char* archive, const char* folder) {
  ZipReader reader;
  const Outcome outcome = Walk(reader, archive, folder);
  if (outcome == Outcome::kStopped) return 1;
  current_ = total_;
  ReportProgress();
  Reset();
  reader.Close();
  switch (outcome) {
    case Outcome::kFinished: return 1;
    case Outcome::kMissing: return -1;
    default: return 0;
  }
}

ZipUnpacker::Outcome ZipUnpacker::Walk(ZipReader& reader, const char* archive, const char* folder) {
  if (IsEmptyText(archive) || IsEmptyText(folder) || !PathExists(archive)) return Outcome::kMissing;
  const std::string target(folder);
  if (!PathExists(target) && !EnsurePath(target, true)) return Outcome::kFailed;
  realFolders_.clear();
  if (!LooksLikeZipArchive(archive)) return Outcome::kFailed;
  if (reader.Open(archive) != kZipOk) return Outcome::kFailed;
  if (callback_) {
    const int32_t count = CountEntries(reader);
    if (count < 0) {
      total_ = 0;
      return Outcome::kFailed;
    }
    total_ = count;
  }
  for (int32_t i = 0;; ++i) {
    ZipEntryInfo entry;
    const uint32_t found = reader.GetEntry(i, &entry);
    if (found == kZipBadArgument) return Outcome::kFinished;  // past the last entry
    if (found != kZipOk) return Outcome::kFailed;            // a damaged record is not the end
    // Names that would leave the target folder are refused before anything is written for them.
    if (!IsContainedEntryName(gbk::SlashesToBackslashes(entry.name))) return Outcome::kFailed;
    const std::string path = EntryPath(target, entry.name);
    if (!ReachesNoLink(target, gbk::SlashesToBackslashes(entry.name))) return Outcome::kFailed;
    if (!HandleEntry(reader, path, entry)) return Outcome::kFailed;
    current_ = i;
    currentPath_ = path;
    ReportProgress();
    if (cancel_) return Outcome::kStopped;
  }
}

// Entries the reader accepts, asked one by one; -1 when the directory cannot be read.
int32_t ZipUnpacker::CountEntries(ZipReader& reader) {
  for (int32_t i = 0;; ++i) {
    ZipEntryInfo entry;
    const uint32_t found = reader.GetEntry(i, &entry);
    if (found == kZipBadArgument) return i;
    if (found != kZipOk) return -1;
  }
}

// Whether the entry's path below the target folder passes through no link and is none itself:
// the unpack writes nothing where a link would send it, inside the folder or out of it. Folders
// found real once in a run are not asked again.
bool ZipUnpacker::ReachesNoLink(const std::string& target, const std::string& relative) {
  std::string level = target;
  if (!gbk::EndsWithBackslash(level)) level += '\\';
  bool reaches = true;
  gbk::ForEachComponent(relative, [&](std::string_view component) {
    if (!reaches || component.empty()) return;
    level.append(component.data(), component.size());
    if (!realFolders_.count(level)) {
      const DWORD attributes = GetFileAttributesA(level.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) reaches = false;
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && reaches) {
        realFolders_.insert(level);
      }
    }
    level += '\\';
  });
  return reaches;
}

// A folder entry makes its folder; a file entry replaces whatever file has its path (read-only,
// hidden and system cleared first) and ends with normal attributes whatever the entry carried.
bool ZipUnpacker::HandleEntry(ZipReader& reader, const std::string& path, const ZipEntryInfo& entry) {
  if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) return PathExists(path) || EnsurePath(path, true);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (reader.ExtractEntry(entry.index, path.c_str()) != kZipOk) return false;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

}  // namespace ziplib
