// Inflates deflated entries into memory on a helper thread, ahead of the caller's thread, so that
// decoding shares two processors with writing. The caller hands over the list of entries the
// helper may take; the helper works through it in order, holding at most kSlots entries, and
// leaves the entry right after the caller's to the caller, who inflates that one itself. The
// helper only reads the archive's mapping and fills its buffers: every file, folder and event
// stays with the caller's thread, in entry order. A result that is not taken, or that failed its
// size or CRC check, is simply not used: the caller then extracts the entry itself.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/Win32Handle.h"
#include "services/zip/EntryInflater.h"

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
  static constexpr uint32_t kMaxEntrySize = 4u << 20;  // larger entries are left to the caller
  static constexpr int kSlots = 2;                     // entries inflated ahead at most

  // `archive`: the whole archive in memory, `archiveSize` bytes, mapped for as long as this
  // lives. `plan`: the entries the helper may take, in archive order; larger ones, and any whose
  // data does not lie within the archive, are dropped from it. `callerAt`: the entry the caller
  // is at now.
  EntryPrefetcher(const uint8_t* archive, uint64_t archiveSize, std::vector<PrefetchEntry> plan, int32_t callerAt);
  ~EntryPrefetcher();  // stops the helper, cutting short what it is doing
  EntryPrefetcher(const EntryPrefetcher&) = delete;
  EntryPrefetcher& operator=(const EntryPrefetcher&) = delete;

  // The caller has reached `entry`. True, with its bytes, when the helper has inflated exactly it
  // (same index and data) to its size and CRC; the bytes stay valid until the next call. False
  // when the caller must inflate it itself; the helper then no longer takes it.
  bool Take(const PrefetchEntry& entry, const uint8_t** data, uint32_t* size);

 private:
  enum class SlotState { kFree, kWorking, kDone, kHeld };
  struct Slot {
    SlotState state = SlotState::kFree;
    PrefetchEntry entry = {};
    bool inflated = false;
    std::unique_ptr<uint8_t[]> buffer;  // room for the largest entry of the plan
  };

  static DWORD WINAPI HelperMain(void* self);
  bool StartHelper();
  void Serve();
  Slot* NextWork();
  bool InflateInto(Slot& slot);
  void ReleaseSlots(int32_t reached);
  Slot* SlotFor(int32_t index);

  const uint8_t* archive_;             // the mapped archive
  std::vector<PrefetchEntry> plan_;
  int32_t callerAt_;                   // the entry the caller reached last
  size_t nextInPlan_ = 0;              // the first plan entry neither taken by the helper nor left to the caller
  Slot slots_[kSlots];
  EntryInflater inflater_;             // the helper's decoder
  CRITICAL_SECTION lock_;              // guards everything above except the helper's decoder
  CONDITION_VARIABLE changed_;         // a slot changed hands, or the helper must stop
  rt::UniqueHandle helper_;            // the helper thread, or none when it could not start
  bool stopping_ = false;              // the helper ends after its entry (under lock_)
};

}  // namespace ziplib
