// Inflates one deflated entry into memory on a helper thread while the caller's thread writes
// the entry before it, so that decoding and writing share two processors. The helper only reads
// the archive (through a handle of its own) and fills its buffer; every file, folder and event
// stays with the caller's thread, in entry order. A result that is not taken, or that failed its
// size or CRC check, is simply not used: the caller then extracts the entry itself.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/Win32Handle.h"
#include "services/zip/Inflater.h"
#include "services/zip/ZipFileSource.h"

namespace ziplib {

struct PrefetchEntry {
  int32_t index;              // the entry's position in the central directory
  uint64_t dataStart;         // archive offset of its compressed bytes
  uint64_t compressedSize;    // their count
  uint64_t uncompressedSize;  // the byte count it must inflate to
  uint32_t crc;               // the CRC-32 those bytes must have
};

class EntryPrefetcher {
 public:
  static constexpr uint32_t kMaxEntrySize = 4u << 20;  // larger entries are inflated by the caller

  explicit EntryPrefetcher(std::string archiveName);
  ~EntryPrefetcher();  // stops the helper, cutting short what it is doing
  EntryPrefetcher(const EntryPrefetcher&) = delete;
  EntryPrefetcher& operator=(const EntryPrefetcher&) = delete;

  // Hands the entry to the helper; false when it cannot take it (too large, or no helper).
  bool Start(const PrefetchEntry& entry);
  // Waits for the entry in hand. True, with its bytes, when it was `entry` (same index and data)
  // and inflated to exactly its size and CRC; the bytes stay valid until the next Start.
  bool Take(const PrefetchEntry& entry, const uint8_t** data, uint32_t* size);

 private:
  static DWORD WINAPI HelperMain(void* self);
  bool StartHelper();
  void Serve();
  bool InflateEntry();

  std::string archiveName_;
  ZipFileSource source_;               // the helper's own handle on the archive
  Inflater inflater_;                  // the helper's decoder
  std::unique_ptr<uint8_t[]> buffer_;  // the inflated entry, kMaxEntrySize bytes, made on first use
  rt::UniqueHandle entryGiven_;        // auto-reset: an entry (or the stop) is waiting for the helper
  rt::UniqueHandle entryDone_;         // manual-reset: the helper is idle
  rt::UniqueHandle helper_;            // the helper thread, or none after a failed start
  bool helperFailed_ = false;          // the helper could not be started: never try again
  bool busy_ = false;                  // an entry was given and not yet taken (caller's view)
  std::atomic<bool> stopping_{false};  // the helper ends, or cuts its entry short

  // Written by the caller before the entry is given, by the helper before it is done.
  PrefetchEntry entry_ = {};
  bool inflated_ = false;
};

}  // namespace ziplib
