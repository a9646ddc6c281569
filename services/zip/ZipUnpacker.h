// The worker behind Unpack: checks the inputs, walks the entries in central-directory order,
// builds every output path, creates folders, extracts files and reports progress.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace ziplib {

class ZipReader;
class ZipUnit;
struct ZipEntryInfo;
class ZipUnpacker;

// Called after each entry (current = its index) and once at the end (current = total).
using ZipProgressCallback = void (*)(int32_t current, int32_t total, const char* currentPath, ZipUnpacker* worker);

class ZipUnpacker {
 public:
  ZipUnpacker() { Reset(); }

  // The unit that receives events; its window is remembered so that a unit destroyed by its own
  // event routine is never touched again.
  void SetUnit(ZipUnit* unit);
  ZipUnit* Unit() const { return unit_; }
  HWND UnitWindow() const { return unitWindow_; }

  // Installing a callback resets the worker first.
  void SetProgressCallback(ZipProgressCallback callback);
  // Asks the walk to stop after the entry being reported.
  void RequestStop() { cancel_ = 1; }

  // 1 when every entry was handled or the walk was stopped, 0 when it failed, -1 when the archive
  // name or folder is missing or the archive does not exist.
  int32_t Run(const char* archive, const char* folder);

 private:
  enum class Outcome { kFinished, kStopped, kFailed, kMissing };

  void Reset();
  Outcome Walk(ZipReader& reader, const char* archive, const char* folder);
  int32_t CountEntries(ZipReader& reader);
  bool ReachesNoLink(const std::string& target, const std::string& relative);
  bool HandleEntry(ZipReader& reader, const std::string& path, const ZipEntryInfo& entry);
  void ReportProgress();

  ZipUnit* unit_ = nullptr;                  // the unit that receives events, or none
  HWND unitWindow_ = nullptr;                // the unit's window when it was set
  int32_t cancel_ = 0;                       // nonzero: stop after the current entry
  ZipProgressCallback callback_ = nullptr;   // progress callback, or none
  std::string currentPath_;                  // GBK path of the entry last handled
  int32_t total_ = 0;                        // entry count (0 without a callback)
  int32_t current_ = 0;                      // index reported with the next progress call
  std::unordered_set<std::string> realFolders_;  // folders of this run known to be no links
};

// The archive check: 32 readable bytes, the local-header signature, and the word at offset 24
// (upper half of the first entry's size and its name length) at least 1 when read as signed.
bool LooksLikeZipArchive(const char* archive);

}  // namespace ziplib
