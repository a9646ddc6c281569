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

}  // namespace

EntryPrefetcher::EntryPrefetcher(std::string archiveName) : archiveName_(std::move(archiveName)) {}

EntryPrefetcher::~EntryPrefetcher() {
  if (!helper_.Valid()) return;
  stopping_ = true;
  SetEvent(entryGiven_.Get());
  WaitForSingleObject(helper_.Get(), INFINITE);
}

bool EntryPrefetcher::Start(const PrefetchEntry& entry) {
  if (busy_ || entry.uncompressedSize > kMaxEntrySize) return false;
  if (!helper_.Valid() && !StartHelper()) return false;
  entry_ = entry;
  inflated_ = false;
  busy_ = true;
  ResetEvent(entryDone_.Get());
  SetEvent(entryGiven_.Get());
  return true;
}

bool EntryPrefetcher::Take(const PrefetchEntry& entry, const uint8_t** data, uint32_t* size) {
  if (!busy_) return false;
  WaitForSingleObject(entryDone_.Get(), INFINITE);
  busy_ = false;
  if (!inflated_ || !SameEntry(entry, entry_)) return false;
  *data = buffer_.get();
  *size = static_cast<uint32_t>(entry_.uncompressedSize);
  return true;
}

// Everything the helper needs is made here, on the caller's thread; when any of it fails, the
// caller goes on alone for the rest of the archive.
bool EntryPrefetcher::StartHelper() {
  if (helperFailed_) return false;
  helperFailed_ = true;
  buffer_.reset(new (std::nothrow) uint8_t[kMaxEntrySize]);
  if (!buffer_ || !source_.Open(archiveName_.c_str())) return false;
  entryGiven_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  entryDone_.Reset(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  if (!entryGiven_.Valid() || !entryDone_.Valid()) return false;
  helper_.Reset(CreateThread(nullptr, 0, HelperMain, this, 0, nullptr));
  if (!helper_.Valid()) return false;
  helperFailed_ = false;
  return true;
}

DWORD WINAPI EntryPrefetcher::HelperMain(void* self) {
  static_cast<EntryPrefetcher*>(self)->Serve();
  return 0;
}

// Nothing the helper calls throws; should anything, the entry counts as failed and the helper
// goes on serving, so that the caller never waits for an answer that does not come.
void EntryPrefetcher::Serve() {
  for (;;) {
    WaitForSingleObject(entryGiven_.Get(), INFINITE);
    if (stopping_) return;
    bool inflated = false;
    try {
      inflated = InflateEntry();
    } catch (...) {
      inflated = false;
    }
    inflated_ = inflated;
    SetEvent(entryDone_.Get());
  }
}

bool EntryPrefetcher::InflateEntry() {
  EntryData data(source_, entry_.dataStart, entry_.compressedSize);
  EntryBuffer output(buffer_.get(), static_cast<uint32_t>(entry_.uncompressedSize), stopping_);
  return inflater_.Run(data, output) == InflateResult::kDone && output.Complete(entry_.crc);
}

}  // namespace ziplib
