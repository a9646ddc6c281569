// zip_bench ARCHIVE FOLDER: the installer's path for its payload, timed. The archive is mapped
// (as the payload is, inside the executable's image), written to FOLDER\zip.tmp with one write,
// then unpacked into FOLDER by Unpack with a ZIP unit whose progress events sample the process's
// private memory. Prints one line of key=value pairs.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "runtime/Notify.h"
#include "runtime/UnitObject.h"
#include "runtime/Value.h"
#include "runtime/Win32Handle.h"
#include "services/zip/ZipLib.h"

namespace {

rt::UnitObject* g_unit = nullptr;  // the unit that 2007 answers
SIZE_T g_peakSampled = 0;         // largest private usage seen in a progress event
int g_events = 0;                 // progress events raised

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

SIZE_T PeakPrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PeakPagefileUsage;
}

int32_t BenchRuntime(int32_t code, int32_t first, int32_t) {
  if (code == rt::kNotifyLocate) return static_cast<int32_t>(reinterpret_cast<uintptr_t>(g_unit));
  if (code != rt::kNotifyRaiseEvent) return 0;
  g_peakSampled = std::max(g_peakSampled, PrivateBytes());
  ++g_events;
  auto* record = reinterpret_cast<rt::EventRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(first)));
  record->hasResult = 1;
  record->result = 1;
  return 1;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct MappedFile {
  HANDLE file = INVALID_HANDLE_VALUE;  // the archive
  HANDLE mapping = nullptr;            // its read-only mapping
  const void* view = nullptr;          // the whole file
  DWORD size = 0;                      // its length
  ~MappedFile() {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zip_bench ARCHIVE FOLDER\n");
    return 2;
  }
  const std::string folder = argv[2];
  const std::string temporary = folder + "\\zip.tmp";
  MappedFile payload;
  payload.file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (payload.file == INVALID_HANDLE_VALUE) return 3;
  payload.size = GetFileSize(payload.file, nullptr);
  payload.mapping = CreateFileMappingA(payload.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  payload.view = payload.mapping ? MapViewOfFile(payload.mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (!payload.view) return 3;
  CreateDirectoryA(folder.c_str(), nullptr);

  LARGE_INTEGER start, written, unpacked;
  QueryPerformanceCounter(&start);
  HANDLE out = rt::CreateReplacingFile(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);  // as WriteBytesToFile makes it
  DWORD count = 0;
  const BOOL wroteAll = out != INVALID_HANDLE_VALUE && WriteFile(out, payload.view, payload.size, &count, nullptr) && count == payload.size;
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  QueryPerformanceCounter(&written);
  if (!wroteAll) return 4;

  HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ziplib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&BenchRuntime)), 0);
  auto create = reinterpret_cast<rt::UnitCreate>(ziplib::ZipUnitInterface(rt::kUnitCreate));
  rt::UnitCreateArgs args = {};
  args.parent = parent;
  args.windowId = 0x52000001;
  args.unitId = 0x16000002;
  g_unit = create(args);
  if (!g_unit) {
    std::fprintf(stderr, "zip_bench: no ZIP unit (error %lu); is there a display?\n", GetLastError());
    return 5;
  }

  const SIZE_T baseline = PrivateBytes();
  const SIZE_T peakBefore = PeakPrivateBytes();
  rt::ArgTriple call[3] = {rt::UnitArg(0x52000001, 0x16000002, 0x00010001), rt::TextArg(temporary.c_str()),
                           rt::TextArg(folder.c_str())};
  rt::ArgTriple result = {};
  LARGE_INTEGER unpackStart;
  QueryPerformanceCounter(&unpackStart);
  ziplib::Unpack(&result, 3, call);
  QueryPerformanceCounter(&unpacked);
  const SIZE_T peakAfter = PeakPrivateBytes();

  std::printf("result=%d events=%d write_seconds=%.3f unpack_seconds=%.3f private_baseline_kib=%lu "
              "private_sampled_peak_kib=%lu private_peak_before_kib=%lu private_peak_after_kib=%lu\n",
              result.Int(), g_events, Seconds(start, written), Seconds(unpackStart, unpacked),
              static_cast<unsigned long>(baseline / 1024), static_cast<unsigned long>(g_peakSampled / 1024),
              static_cast<unsigned long>(peakBefore / 1024), static_cast<unsigned long>(peakAfter / 1024));
  DestroyWindow(parent);
  return result.Int() == 1 ? 0 : 1;
}
