#include "installer/pack/UnpackCheck.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <zlib.h>

#include "installer/PayloadListing.h"
#include "runtime/Win32Handle.h"
#include "services/zip/ZipReader.h"
#include "services/zip/ZipUnpacker.h"

namespace pack {
namespace {

// The last entry the unpack reported as handled (the walk runs on this one thread).
int32_t lastHandled = -1;

void NoteProgress(int32_t current, int32_t total, const char*, ziplib::ZipUnpacker*) {
  if (current < total) lastHandled = current;
}

// A new folder of our own under the temporary folder, removed with all it holds at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH] = {};
    if (!GetTempPathA(sizeof temp, temp)) return;
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
      const std::string candidate = std::string(temp) + "veltaro-pack-check-" + std::to_string(GetTickCount()) + "-" +
                                    std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;  // never one that was there
    }
  }
  ~ScratchFolder() {
    if (!path_.empty()) RemoveTree(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  // Only what the unpack made lies in the folder: plain files and folders.
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    rt::FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (search.Valid()) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search.Get(), &found));
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

// Why the reader fails at one entry, for telling the vendor.
std::string ReaderFault(const std::string& archive, int32_t index, const std::string& scratch) {
  ziplib::ZipReader reader;
  if (reader.Open(archive.c_str()) != ziplib::kZipOk) return "the archive's directory cannot be read.";
  ziplib::ZipEntryInfo info;
  uint32_t result = reader.GetEntry(index, &info);
  if (result == ziplib::kZipOk && !(info.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::string probe = scratch + "\\probe.bin";
    result = reader.ExtractEntry(index, probe.c_str());
    DeleteFileA(probe.c_str());
  }
  switch (result) {
    case ziplib::kZipHeaderMismatch: return "its local header does not agree with the central directory: the archive is damaged.";
    case ziplib::kZipBadExtraField: return "its extra field cannot be read: the archive is damaged.";
    case ziplib::kZipCannotExtract: return "its data does not unpack to its recorded size and CRC-32: the entry is damaged.";
    case ziplib::kZipCannotOpen: return "its file cannot be created where the installer puts it.";
    case ziplib::kZipOk: return "the installer's unpack stops at it.";
    default: return "the installer's unpack fails at it (reader result " + std::to_string(result) + ").";
  }
}

bool SameAsRecorded(const std::string& file, const PlannedItem& item) {
  rt::UniqueHandle handle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle.Valid()) return false;
  constexpr DWORD kPiece = 1 << 20;
  std::unique_ptr<Bytef[]> buffer(new Bytef[kPiece]);
  uLong crc = crc32(0, nullptr, 0);
  uint64_t size = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle.Get(), buffer.get(), kPiece, &got, nullptr)) return false;
    if (got == 0) break;
    crc = crc32(crc, buffer.get(), got);
    size += got;
  }
  return size == item.size && crc == item.crc;
}

// The installer lists the archive in its image before it writes anything; that listing must
// take the archive too. It reads only the central directory and the end record, so it is given
// those two, the directory moved to offset 0: a whole archive of a gigabyte need not fit into
// this process's address space in one piece.
bool InstallerListsArchive(const std::string& archive, const ArchiveLayout& layout) {
  constexpr size_t kEndSize = 22;
  rt::UniqueHandle file(CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  std::vector<unsigned char> moved(layout.directorySize + kEndSize);
  LARGE_INTEGER at;
  at.QuadPart = layout.directoryAt;
  DWORD got = 0;
  if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
      !ReadFile(file.Get(), moved.data(), static_cast<DWORD>(moved.size()), &got, nullptr) || got != moved.size()) {
    return false;
  }
  unsigned char* end = moved.data() + layout.directorySize;
  std::fill(end + 16, end + 22, 0);  // the directory's offset, and no comment
  std::vector<product::InstalledItem> items;
  return installer::ListPayload(moved.data(), moved.size(), items);
}

const ArchiveEntry& EntryAt(const ArchiveLayout& layout, uint32_t index) { return layout.entries[index]; }

}  // namespace

std::vector<Refusal> UnpackAndCompare(const std::string& archive, const ArchiveLayout& layout,
                                      const std::vector<PlannedItem>& items) {
  if (!InstallerListsArchive(archive, layout)) {
    return {ArchiveRefusal("the installer cannot list what the archive holds before it writes anything.")};
  }
  ScratchFolder scratch;
  if (scratch.Path().empty()) return {ArchiveRefusal("no scratch folder could be made in the temporary folder to unpack the archive into.")};
  const std::string target = scratch.Path() + "\\product";
  ziplib::ZipUnpacker unpacker;
  unpacker.SetProgressCallback(NoteProgress);
  lastHandled = -1;
  if (unpacker.Run(archive.c_str(), target.c_str()) != 1) {
    const int32_t failed = lastHandled + 1;
    if (failed >= static_cast<int32_t>(layout.entries.size())) return {ArchiveRefusal("the installer's unpack fails on this archive.")};
    return {EntryRefusal(EntryAt(layout, static_cast<uint32_t>(failed)), ReaderFault(archive, failed, scratch.Path()))};
  }
  std::vector<Refusal> refusals;
  for (const PlannedItem& item : items) {
    const std::string path = target + "\\" + item.path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool landed = attributes != INVALID_FILE_ATTRIBUTES &&
                        (item.isFolder ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 : SameAsRecorded(path, item));
    if (!landed) {
      refusals.push_back(EntryRefusal(EntryAt(layout, item.index), "what the installer unpacks for it differs from "
                                                                   "the archive's record of its size and CRC-32."));
    }
  }
  return refusals;
}

}  // namespace pack
