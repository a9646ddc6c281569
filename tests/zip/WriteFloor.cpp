// write_floor ARCHIVE FOLDER: the least an installation of the archive's product can cost on this
// system, the floor that scripts/bench-install measures the installer against. Before the clock
// starts, every entry is read and inflated into memory (minizip and zlib); then the archive is
// written to FOLDER\zip.tmp in one write from its mapping, as the installer writes its payload,
// and every folder of the archive is made and every file written into FOLDER, one write each.
// Nothing is inflated, checked or given times while the clock runs. Prints one key=value line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <unzip.h>

#include "runtime/Win32Handle.h"

namespace {

struct Entry {
  std::string path;  // FOLDER\name, with "/" made "\"
  std::string data;  // the inflated bytes
  bool folder;       // a folder entry
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ReadEntry(unzFile archive, const std::string& folder, Entry* entry) {
  unz_file_info64 info;
  char name[1024] = {};
  if (unzGetCurrentFileInfo64(archive, &info, name, sizeof(name) - 1, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  std::string relative(name);
  for (char& c : relative)
    if (c == '/') c = '\\';
  entry->folder = !relative.empty() && relative.back() == '\\';
  if (entry->folder) relative.pop_back();
  entry->path = folder + "\\" + relative;
  entry->data.resize(static_cast<size_t>(info.uncompressed_size));
  if (entry->folder || info.uncompressed_size == 0) return true;
  if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
  const int got = unzReadCurrentFile(archive, &entry->data[0], static_cast<unsigned>(entry->data.size()));
  return unzCloseCurrentFile(archive) == UNZ_OK && got == static_cast<int>(entry->data.size());
}

bool ReadEntries(const char* archiveName, const std::string& folder, std::vector<Entry>* entries) {
  unzFile archive = unzOpen64(archiveName);
  if (!archive) return false;
  bool complete = true;
  for (int at = unzGoToFirstFile(archive); at == UNZ_OK && complete; at = unzGoToNextFile(archive)) {
    entries->emplace_back();
    complete = ReadEntry(archive, folder, &entries->back());
  }
  unzClose(archive);
  return complete && !entries->empty();
}

bool WriteOnce(const std::string& path, const void* data, DWORD size) {
  rt::UniqueHandle file(rt::CreateReplacingFile(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  DWORD put = 0;
  if (!file.Valid() || (size > 0 && (!WriteFile(file.Get(), data, size, &put, nullptr) || put != size))) return false;
  return file.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_floor ARCHIVE FOLDER\n");
    return 2;
  }
  const std::string folder = argv[2];
  std::vector<Entry> entries;
  if (!ReadEntries(argv[1], folder, &entries)) {
    std::fprintf(stderr, "write_floor: cannot read %s\n", argv[1]);
    return 3;
  }
  rt::UniqueHandle archive(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const DWORD archiveSize = archive.Valid() ? GetFileSize(archive.Get(), nullptr) : 0;
  rt::UniqueHandle mapping(archive.Valid() ? CreateFileMappingA(archive.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
  const void* view = mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (!view) return 3;

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  bool written = CreateDirectoryA(folder.c_str(), nullptr) && WriteOnce(folder + "\\zip.tmp", view, archiveSize);
  uint64_t bytes = 0;
  for (const Entry& entry : entries) {
    if (!written) break;
    written = entry.folder ? CreateDirectoryA(entry.path.c_str(), nullptr) != FALSE
                           : WriteOnce(entry.path, entry.data.data(), static_cast<DWORD>(entry.data.size()));
    bytes += entry.data.size();
  }
  QueryPerformanceCounter(&end);
  UnmapViewOfFile(view);
  if (!written) {
    std::fprintf(stderr, "write_floor: writing into %s failed (error %lu)\n", folder.c_str(), GetLastError());
    return 4;
  }
  std::printf("floor_seconds=%.3f entries=%u file_bytes=%llu archive_bytes=%lu\n", Seconds(start, end),
              static_cast<unsigned>(entries.size()), static_cast<unsigned long long>(bytes),
              static_cast<unsigned long>(archiveSize));
  return 0;
}
