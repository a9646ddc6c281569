// File, folder, INI and disk commands.
#include <windows.h>

#include <direct.h>

#include "runtime/Win32Handle.h"
#include "services/core/CommandArgs.h"
#include "services/core/CoreHost.h"
#include "services/core/CoreLib.h"

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

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Total size in KB, cut to 32 bits (from 2 TB on it reads as a negative number); -1 on failure.
int32_t TotalKilobytes(const char* root) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto getDiskFreeSpaceEx =
      kernel ? reinterpret_cast<GetDiskFreeSpaceExFn>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")) : nullptr;
  if (getDiskFreeSpaceEx) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!getDiskFreeSpaceEx(root, &available, &total, &free)) return -1;
    return static_cast<int32_t>(static_cast<uint32_t>(total.QuadPart >> 10));
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return -1;
  return MulDiv(static_cast<int>(sectorsPerCluster * bytesPerSector), static_cast<int>(totalClusters), 1024);
}

}  // namespace

void GetDiskTotalSpace(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  char root[4];
  DriveRoot(cmdargs::At(args, argCount, 0), root);
  rt::SetInt(result, TotalKilobytes(root));
}

}  // namespace corelib
