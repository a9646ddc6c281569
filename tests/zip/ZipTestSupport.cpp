#include "tests/zip/ZipTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>

#include "runtime/Value.h"
#include "services/zip/ZipLib.h"
#include "tools/productzip/ZipFields.h"

namespace ziptest {
namespace {

using zipfields::Put16;
using zipfields::Put32;

TestRuntime* g_runtime = nullptr;  // the one installed test entry

}  // namespace

std::string Deflate(const std::string& data) {
  z_stream stream = {};
  deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&packed[0]);
  stream.avail_out = static_cast<uInt>(packed.size());
  deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

std::string ExtraBlock(uint16_t id, const std::string& data) {
  std::string block;
  Put16(block, id);
  Put16(block, static_cast<uint32_t>(data.size()));
  return block + data;
}

std::string ExtendedTimestamp(uint8_t flags, const std::vector<uint32_t>& times) {
  std::string data(1, static_cast<char>(flags));
  for (uint32_t time : times) Put32(data, time);
  return ExtraBlock(0x5455, data);
}

std::string Pattern(size_t size, uint32_t seed) {
  std::string out;
  out.reserve(size);
  uint32_t state = seed * 2654435761u + 1;
  while (out.size() < size) {
    state = state * 1103515245u + 12345u;
    if ((state >> 16) % 3 == 0) {
      out += "repeated words make this compressible; ";
    } else {
      for (int i = 0; i < 16; ++i) out += static_cast<char>((state >> (i % 4 * 8)) ^ (i * 37));
    }
  }
  out.resize(size);
  return out;
}

std::string BuildArchive(const std::vector<TestEntry>& entries) { return BuildArchive(entries, nullptr); }

std::string BuildArchive(const std::vector<TestEntry>& entries, ArchiveLayout* layout) {
  std::string archive, directory;
  ArchiveLayout where;
  for (const TestEntry& entry : entries) {
    std::string packed = entry.method == 8 ? Deflate(entry.data) : entry.data;
    if (entry.packedLength >= 0) packed.resize(static_cast<size_t>(entry.packedLength));
    const uint32_t crc = zipfields::Crc32(entry.data);
    const std::string& localName = entry.localName.empty() ? entry.name : entry.localName;
    where.localHeaders.push_back(static_cast<uint32_t>(archive.size()));
    Put32(archive, 0x04034b50);
    Put16(archive, 20);
    Put16(archive, entry.flags);
    Put16(archive, entry.localMethod >= 0 ? static_cast<uint32_t>(entry.localMethod) : entry.method);
    Put16(archive, entry.dosTime);
    Put16(archive, entry.dosDate);
    Put32(archive, crc);
    Put32(archive, static_cast<uint32_t>(packed.size()));
    Put32(archive, static_cast<uint32_t>(entry.data.size()));
    Put16(archive, static_cast<uint32_t>(localName.size()));
    Put16(archive, static_cast<uint32_t>(entry.localExtra.size()));
    archive += localName + entry.localExtra;
    where.dataStarts.push_back(static_cast<uint32_t>(archive.size()));
    archive += packed;

    std::string record;
    Put32(record, 0x02014b50);
    Put16(record, entry.versionMadeBy);
    Put16(record, 20);
    Put16(record, entry.flags);
    Put16(record, entry.method);
    Put16(record, entry.dosTime);
    Put16(record, entry.dosDate);
    Put32(record, entry.centralCrc >= 0 ? static_cast<uint32_t>(entry.centralCrc) : crc);
    Put32(record, static_cast<uint32_t>(packed.size()));
    Put32(record, entry.centralSize >= 0 ? static_cast<uint32_t>(entry.centralSize) : static_cast<uint32_t>(entry.data.size()));
    Put16(record, static_cast<uint32_t>(entry.name.size()));
    Put16(record, static_cast<uint32_t>(entry.centralExtra.size()));
    Put16(record, 0);
    Put16(record, 0);
    Put16(record, 0);
    Put32(record, entry.externalAttributes);
    Put32(record, where.localHeaders.back());
    record += entry.name + entry.centralExtra;
    where.centralRecords.push_back(static_cast<uint32_t>(directory.size()));
    directory += record;
  }
  const uint32_t directoryStart = static_cast<uint32_t>(archive.size());
  for (uint32_t& offset : where.centralRecords) offset += directoryStart;
  archive += directory;
  where.endRecord = static_cast<uint32_t>(archive.size());
  Put32(archive, 0x06054b50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<uint32_t>(entries.size()));
  Put16(archive, static_cast<uint32_t>(entries.size()));
  Put32(archive, static_cast<uint32_t>(directory.size()));
  Put32(archive, directoryStart);
  Put16(archive, 0);
  if (layout) *layout = where;
  return archive;
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "ziptest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  GetFileSizeEx(file, &size);
  bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  const BOOL ok = bytes->empty() || ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr);
  CloseHandle(file);
  return ok && got == bytes->size();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

namespace {
void ListInto(const std::string& root, const std::string& relative, std::vector<std::string>* names) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((root + "\\" + relative + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      names->push_back(relative + name + "\\");
      ListInto(root, relative + name + "\\", names);
    } else {
      names->push_back(relative + name);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
}  // namespace

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> names;
  ListInto(root, "", &names);
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestDataFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\') + 1);
}

TestRuntime::TestRuntime() {
  g_runtime = this;
  ziplib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&TestRuntime::Entry)), 0);
}

TestRuntime::~TestRuntime() {
  ziplib::Notify(1, 0, 0);
  g_runtime = nullptr;
}

int32_t TestRuntime::Entry(int32_t code, int32_t first, int32_t second) {
  return g_runtime ? g_runtime->Serve(code, first, second) : 0;
}

int32_t TestRuntime::Serve(int32_t code, int32_t first, int32_t second) {
  switch (code) {
    case rt::kNotifyLocate: {
      located.emplace_back(static_cast<uint32_t>(first), static_cast<uint32_t>(second));
      const bool match = unit_ && unit_->windowId == static_cast<uint32_t>(first) && unit_->unitId == static_cast<uint32_t>(second);
      return match ? static_cast<int32_t>(reinterpret_cast<uintptr_t>(unit_)) : 0;
    }
    case rt::kNotifyRaiseEvent: {
      auto* record = reinterpret_cast<rt::EventRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(first)));
      const int number = static_cast<int>(events.size());
      events.push_back(*record);
      if (record->event == 1) percentages.push_back(static_cast<int>(record->args[0]));
      if (number == destroyAt_ && unit_) {
        DestroyWindow(unit_->Handle());
        unit_ = nullptr;
      }
      record->hasResult = 1;
      record->result = number == falseAt_ ? 0 : 1;
      return 1;
    }
    case rt::kNotifyControlDestroyed:
      destroyed.emplace_back(static_cast<uint32_t>(first), static_cast<uint32_t>(second));
      return 0;
    default:
      return 0;
  }
}

ParentWindow::ParentWindow() {
  window_ = CreateWindowExA(0, "STATIC", "zip test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

ParentWindow::~ParentWindow() {
  if (IsWindow(window_)) DestroyWindow(window_);
}

rt::UnitObject* CreateZipUnit(HWND parent, uint32_t windowId, uint32_t unitId) {
  auto create = reinterpret_cast<rt::UnitCreate>(ziplib::ZipUnitInterface(rt::kUnitCreate));
  rt::UnitCreateArgs args = {};
  args.parent = parent;
  args.controlId = 100;
  args.left = 4;
  args.top = 6;
  args.width = 24;
  args.height = 20;
  args.windowId = windowId;
  args.unitId = unitId;
  return create(args);
}

int32_t CallUnpack(const rt::UnitObject* unit, const char* archive, const char* folder) {
  rt::ArgTriple args[3] = {
      rt::UnitArg(unit ? unit->windowId : 0, unit ? unit->unitId : 0, 0x00060001),
      archive ? rt::TextArg(archive) : rt::OmittedArg(),
      folder ? rt::TextArg(folder) : rt::OmittedArg(),
  };
  rt::ArgTriple result = {};
  ziplib::Unpack(&result, 3, args);
  EXPECT_EQ(rt::kTypeInt, result.type);
  return result.Int();
}

}  // namespace ziptest
