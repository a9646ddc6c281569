#include "services/zip/EntryPrefetcher.h"

#include <algorithm>
#include <new>
#include <utility>

#include "services/zip/Crc32.h"

namespace ziplib {
namespace {

bool SameEntry(const PrefetchEntry& a, const PrefetchEntry& b) {
  return a.index == b.index && a.dataStart == b.dataStart && a.compressedSize == b.compressedSize &&
         a.uncompressedSize == b.uncompressedSize && a.crc == b.crc;
}

// The lock held for one scope.
class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  ~Locked() { LeaveCriticalSection(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& lock_;
};

}  // namespace

EntryPrefetcher::EntryPrefetcher(const uint8_t* archive, uint64_t archiveSize, std::vector<PrefetchEntry> plan,
                                 int32_t callerAt)
    : archive_(archive), callerAt_(callerAt) {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&changed_);
  for (const PrefetchEntry& entry : plan) {
    const bool inArchive = entry.dataStart <= archiveSize && entry.compressedSize <= archiveSize - entry.dataStart;
    if (archive && inArchive && entry.uncompressedSize <= kMaxEntrySize) plan_.push_back(entry);
  }
  if (!plan_.empty()) StartHelper();
}

EntryPrefetcher::~EntryPrefetcher() {
  if (helper_.Valid()) {
    {
      Locked locked(lock_);
      stopping_ = true;
      WakeAllConditionVariable(&changed_);
    }
    WaitForSingleObject(helper_.Get(), INFINITE);
  }
  DeleteCriticalSection(&lock_);
}

// Everything the helper needs is made here, on the caller's thread; when any of it fails, the
// caller goes on alone.
bool EntryPrefetcher::StartHelper() {
  uint64_t largest = 1;
  for (const PrefetchEntry& entry : plan_) largest = std::max(largest, entry.uncompressedSize);
  for (Slot& slot : slots_) {
    slot.buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(largest)]);
    if (!slot.buffer) return false;
  }
  helper_.Reset(CreateThread(nullptr, 0, HelperMain, this, 0, nullptr));
  return helper_.Valid();
}

bool EntryPrefetcher::Take(const PrefetchEntry& entry, const uint8_t** data, uint32_t* size) {
  if (!helper_.Valid()) return false;
  Locked locked(lock_);
  ReleaseSlots(entry.index);
  callerAt_ = entry.index;
  WakeAllConditionVariable(&changed_);
  for (;;) {
    Slot* slot = SlotFor(entry.index);
    if (!slot) return false;
    if (slot->state == SlotState::kDone) {
      if (!slot->inflated || !SameEntry(entry, slot->entry)) {
        slot->state = SlotState::kFree;
        WakeAllConditionVariable(&changed_);
        return false;
      }
      slot->state = SlotState::kHeld;
      *data = slot->buffer.get();
      *size = static_cast<uint32_t>(slot->entry.uncompressedSize);
      return true;
    }
    // The helper is still at it: inflate a later entry meanwhile, or wait when none is free.
    if (!InflateNext(callerInflater_)) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  }
}

// The caller is done with the entry it held, and with any entry before `reached` that it passed.
void EntryPrefetcher::ReleaseSlots(int32_t reached) {
  for (Slot& slot : slots_) {
    const bool passed = slot.state == SlotState::kDone && slot.entry.index < reached;
    if (slot.state == SlotState::kHeld || passed) slot.state = SlotState::kFree;
  }
}

EntryPrefetcher::Slot* EntryPrefetcher::SlotFor(int32_t index) {
  for (Slot& slot : slots_) {
    const bool inUse = slot.state == SlotState::kWorking || slot.state == SlotState::kDone;
    if (inUse && slot.entry.index == index) return &slot;
  }
  return nullptr;
}

DWORD WINAPI EntryPrefetcher::HelperMain(void* self) {
  static_cast<EntryPrefetcher*>(self)->Serve();
  return 0;
}

// Takes the next plan entry whenever a slot is free.
void EntryPrefetcher::Serve() {
  Locked locked(lock_);
  while (!stopping_) {
    if (!InflateNext(helperInflater_)) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  }
}

// Called and left with the lock held, which it gives up while it inflates: the claimed slot is
// the calling thread's until it is marked done. False when there was nothing to claim.
bool EntryPrefetcher::InflateNext(EntryInflater& inflater) {
  Slot* slot = ClaimNext();
  if (!slot) return false;
  LeaveCriticalSection(&lock_);
  Inflate(*slot, inflater);
  EnterCriticalSection(&lock_);
  slot->state = SlotState::kDone;
  WakeAllConditionVariable(&changed_);
  return true;
}

// The first plan entry after the caller's that nobody has taken, put into a free slot for the
// thread that asks; null when there is none, or no free slot. The caller's own entry is never
// claimed here: when nobody has taken it by the time the caller gets there, the caller inflates
// it itself.
EntryPrefetcher::Slot* EntryPrefetcher::ClaimNext() {
  while (nextInPlan_ < plan_.size() && plan_[nextInPlan_].index <= callerAt_) ++nextInPlan_;
  if (nextInPlan_ >= plan_.size()) return nullptr;
  for (Slot& slot : slots_) {
    if (slot.state != SlotState::kFree) continue;
    slot.state = SlotState::kWorking;
    slot.entry = plan_[nextInPlan_++];
    slot.inflated = false;
    return &slot;
  }
  return nullptr;
}

void EntryPrefetcher::Inflate(Slot& slot, EntryInflater& inflater) {
  const PrefetchEntry& entry = slot.entry;
  const size_t size = static_cast<size_t>(entry.uncompressedSize);
  uint8_t* const out = slot.buffer.get();
  slot.inflated = inflater.Inflate(archive_ + entry.dataStart, static_cast<size_t>(entry.compressedSize), out, size) &&
                  Crc32(0, out, size) == entry.crc;
}

}  // namespace ziplib
