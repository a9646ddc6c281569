// The compressed bytes of one entry, read from the archive in large pieces for the decoder.
#pragma once
#include <algorithm>
#include <cstdint>

#include "services/zip/Inflater.h"
#include "services/zip/ZipFileSource.h"

namespace ziplib {

class EntryData : public InflateInput {
 public:
  EntryData(ZipFileSource& source, uint64_t start, uint64_t size) : source_(source), at_(start), left_(size) {}

  int32_t Read(uint8_t* buffer, uint32_t size) override {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, left_));
    if (count == 0) return 0;
    if (!source_.ReadAt(at_, buffer, count)) return -1;
    at_ += count;
    left_ -= count;
    return static_cast<int32_t>(count);
  }

 private:
  ZipFileSource& source_;
  uint64_t at_;
  uint64_t left_;
};

}  // namespace ziplib
