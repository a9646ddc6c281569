#include "services/zip/EntryPrefetcher.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <utility>

#include "services/zip/EntryData.h"

namespace ziplib {
namespace {

// The inflated entry in memory: never more than its recorded size, with its CRC kept.
class EntryBuffer : public InflateOutput {
 public:
  EntryBuffer(uint8_t* buffer, uint32_t expectedSize, const std::atomic<bool>& stopping)
      : buffer_(buffer), expected_(expectedSize), stopping_(stopping) {}

  bool Write(const uint8_t* data, uint32_t size) override {
    if (stopping_.load(std::memory_order_relaxed)) return false;
    if (size > expected_ - written_) return false;
    std::memcpy(buffer_ + written_, data, size);
    crc_ = crc32(crc_, data, size);
    written_ += size;
    return true;
  }

  bool Complete(uint32_t crc) const { return written_ == expected_ && crc_ == crc; }

 private:
  uint8_t* buffer_;
  uint32_t expected_;
  const std::atomic<bool>& stopping_;
  uint32_t written_ = 0;
  uLong crc_ = crc32(0, nullptr, 0);
};

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

EntryPrefetcher::EntryPrefetcher(std::string archiveName, std::vector<PrefetchEntry> plan, int32_t callerAt)
    : archiveName_(std::move(archiveName)), callerAt_(callerAt) {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&changed_);
  for (const PrefetchEntry& entry : plan)
    if (entry.uncompressedSize <= kMaxEntrySize) plan_.push_back(entry);
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
  for (Slot& slot : slots_) {
    slot.buffer.reset(new (std::nothrow) uint8_t[kMaxEntrySize]);
    if (!slot.buffer) return false;
  }
  if (!source_.Open(archiveName_.c_str())) return false;
  helper_.Reset(CreateThread(nullptr, 0, HelperMain, this, 0, nullptr));
  return helper_.Valid();
}

bool EntryPrefetcher::Take(const PrefetchEntry& entry, const uint8_t** data, uint32_t* size) {
  if (!helper_.Valid()) return false;
  Locked locked(lock_);
  ReleaseSlots(entry.index);
  callerAt_ = entry.index;
  WakeAllConditionVariable(&changed_);
  Slot* slot = SlotFor(entry.index);
  if (!slot) return false;
  while (slot->state == SlotState::kWorking) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
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

// Takes the next plan entry whenever a slot is free, inflating it outside the lock.
void EntryPrefetcher::Serve() {
  Locked locked(lock_);
  while (!stopping_) {
    Slot* slot = NextWork();
    if (!slot) {
      SleepConditionVariableCS(&changed_, &lock_, INFINITE);
      continue;
    }
    slot->state = SlotState::kWorking;
    slot->entry = plan_[nextInPlan_++];
    LeaveCriticalSection(&lock_);
    const bool inflated = InflateInto(*slot);
    EnterCriticalSection(&lock_);
    slot->inflated = inflated;
    slot->state = SlotState::kDone;
    WakeAllConditionVariable(&changed_);
  }
}

// The entry right after the caller's is left to the caller: were the helper to take it, the
// caller would often reach it while it is still being inflated and wait instead of working.
EntryPrefetcher::Slot* EntryPrefetcher::NextWork() {
  while (nextInPlan_ < plan_.size() && plan_[nextInPlan_].index <= callerAt_ + 1) ++nextInPlan_;
  if (nextInPlan_ >= plan_.size()) return nullptr;
  for (Slot& slot : slots_)
    if (slot.state == SlotState::kFree) return &slot;
  return nullptr;
}

// Nothing here throws; should anything, the entry counts as failed and the caller inflates it.
bool EntryPrefetcher::InflateInto(Slot& slot) {
  try {
    EntryData data(source_, slot.entry.dataStart, slot.entry.compressedSize);
    EntryBuffer output(slot.buffer.get(), static_cast<uint32_t>(slot.entry.uncompressedSize), stopping_);
    return inflater_.Run(data, output) == InflateResult::kDone && output.Complete(slot.entry.crc);
  } catch (...) {
    return false;
  }
}

}  // namespace ziplib
