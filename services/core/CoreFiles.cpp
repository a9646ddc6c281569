// File, folder, INI and disk commands.
#include <windows.h>

#include <direct.h>

#include "runtime/Win32Handle.h"
#include "services/core/CommandArgs.h"
#include "services/core/CoreHost.h"
#include "services/core/CoreLib.h"
#include "services/core/DiskSize.h"

namespace corelib {

namespace {

// Writes the whole block with one WriteFile: the payload (over 100 MB) goes to disk straight
// from where it lies, without a copy.
bool WriteWhole(HANDLE file, const rt::ByteArrayView& bytes) {
  if (bytes.size == 0) return true;
  DWORD written = 0;
  return WriteFile(file, bytes.data, bytes.size, &written, nullptr) && written == bytes.size;
}

constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;  // 0x27

}  // namespace

void WriteBytesToFile(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  const char* fileName = cmdargs::Text(cmdargs::At(args, argCount, 0));
  if (*fileName == '\0') return;
  rt::UniqueHandle file(rt::CreateReplacingFile(fileName, FILE_ATTRIBUTE_NORMAL));
  if (!file.Valid()) return;
  for (int32_t i = 1; i < argCount; ++i) {
    // Only byte arrays carry data; an omitted argument or a value of another type writes nothing.
    if (args[i].type != rt::kTypeBytes) continue;
    if (!WriteWhole(file.Get(), rt::ViewBytes(args[i].Pointer()))) return;
  }
  rt::SetBool(result, file.Close());
}

void SetFileAttrs(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const char* fileName = cmdargs::Text(cmdargs::At(args, argCount, 0));
  const DWORD attributes = cmdargs::At(args, argCount, 1).lo & kSettableAttributes;
  rt::SetBool(result, false);
  result->lo = SetFileAttributesA(fileName, attributes);
}

void RemoveFile(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  result->lo = DeleteFileA(cmdargs::Text(cmdargs::At(args, argCount, 0)));
}

void CreateFolder(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  result->lo = CreateDirectoryA(cmdargs::Text(cmdargs::At(args, argCount, 0)), nullptr);
}

void WriteIniEntry(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const char* fileName = cmdargs::Text(cmdargs::At(args, argCount, 0));
  const char* section = cmdargs::Text(cmdargs::At(args, argCount, 1));
  // Left out, the entry name deletes the whole section and the value deletes the entry.
  const rt::ArgTriple& nameArg = cmdargs::At(args, argCount, 2);
  const rt::ArgTriple& valueArg = cmdargs::At(args, argCount, 3);
  const char* name = nameArg.Given() ? cmdargs::Text(nameArg) : nullptr;
  const char* value = valueArg.Given() ? cmdargs::Text(valueArg) : nullptr;
  rt::SetBool(result, false);
  result->lo = WritePrivateProfileStringA(section, name, value, fileName);
}

namespace {

// The drive's root "X:\": the first letter of the argument, or the current drive when the
// argument is left out or does not start with a letter.
void DriveRoot(const rt::ArgTriple& drive, char root[4]) {
  char letter = *cmdargs::Text(drive);
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 0x20);
  if (!drive.Given() || letter < 'A' || letter > 'Z') letter = static_cast<char>(_getdrive() + 0x40);
  root[0] = letter;
  root[1] = ':';
  root[2] = '\\';
  root[3] = '\0';
}

}  // namespace

void GetDiskTotalSpace(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  char root[4];
  DriveRoot(cmdargs::At(args, argCount, 0), root);
  rt::SetInt(result, disk::TotalKilobytes(root, disk::FindGetDiskFreeSpaceEx()));
}

namespace disk {

GetDiskFreeSpaceExFunction FindGetDiskFreeSpaceEx() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel ? GetProcAddress(kernel, "GetDiskFreeSpaceExA") : nullptr;
  return reinterpret_cast<GetDiskFreeSpaceExFunction>(reinterpret_cast<void*>(found));
}

int32_t TotalKilobytes(const char* root, GetDiskFreeSpaceExFunction extended) {
  if (extended) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!extended(root, &available, &total, &free)) return -1;
    return static_cast<int32_t>(static_cast<uint32_t>(total.QuadPart >> 10));
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return -1;
  // Rounded to the nearest KB as MulDiv(cluster bytes, clusters, 1024) rounds, but in 64 bits:
  // MulDiv gives -1 once the KB count passes 2^31, which would make a drive of 2 TB or more
  // look like one that does not exist, where the other path hands out its low 32 bits.
  const uint64_t bytes = uint64_t(sectorsPerCluster) * bytesPerSector * totalClusters;
  return static_cast<int32_t>(static_cast<uint32_t>((bytes + 512) >> 10));
}

}  // namespace disk
}  // namespace corelib
