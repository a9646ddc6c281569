// Inflates deflated entries into memory ahead of the caller's thread, on a helper thread, so that
// decoding shares two processors with writing. The caller hands over the list of entries that
// may be inflated ahead; the helper works through it in order, always on the first entry after
// the caller's that nobody has taken, holding at most kSlots entries. When the caller reaches an
// entry that the helper is still inflating, it does not wait idle: it inflates the next free
// entry of the list itself, into a slot, and comes back. So the two threads share the decoding
// by however much time the writing leaves the caller. Only the caller's thread touches files,
// folders and events, in entry order; the helper only reads the archive's mapping and fills its
// slots. A result that is not taken, or that failed its size or CRC check, is simply not used:
// the caller then extracts the entry itself.
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
  static constexpr int kSlots = 4;                     // entries held at once: one being written, three ahead

  // `archive`: the whole archive in memory, `archiveSize` bytes, mapped for as long as this
  // lives. `plan`: the entries that may be inflated ahead, in archive order; larger ones, and any
  // whose data does not lie within the archive, are dropped from it. `callerAt`: the entry the
  // caller is at now.
  EntryPrefetcher(const uint8_t* archive, uint64_t archiveSize, std::vector<PrefetchEntry> plan, int32_t callerAt);
  ~EntryPrefetcher();  // stops the helper after the entry it is inflating
  EntryPrefetcher(const EntryPrefetcher&) = delete;
  EntryPrefetcher& operator=(const EntryPrefetcher&) = delete;

  // The caller has reached `entry`. True, with its bytes, when exactly it (same index and data)
  // has been inflated ahead to its size and CRC; the bytes stay valid until the next call. While
  // it is still being inflated, the caller inflates later entries meanwhile. False when the
  // caller must inflate it itself; it is then no longer inflated ahead.
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
  bool InflateNext(EntryInflater& inflater);
  Slot* ClaimNext();
  void Inflate(Slot& slot, EntryInflater& inflater);
  void ReleaseSlots(int32_t reached);
  Slot* SlotFor(int32_t index);

  const uint8_t* archive_;             // the mapped archive
  std::vector<PrefetchEntry> plan_;
  int32_t callerAt_;                   // the entry the caller reached last
  size_t nextInPlan_ = 0;              // the first plan entry that nobody has taken
  Slot slots_[kSlots];
  EntryInflater helperInflater_;       // the helper's decoder
  EntryInflater callerInflater_;       // the caller's, while it waits for an entry
  CRITICAL_SECTION lock_;              // guards everything above except the decoders
  CONDITION_VARIABLE changed_;         // a slot changed hands, or the helper must stop
  rt::UniqueHandle helper_;            // the helper thread, or none when it could not start
  bool stopping_ = false;              // the helper ends after its entry (under lock_)
};

}  // namespace ziplib
