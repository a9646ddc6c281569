// Inflating one deflated entry. An entry's inflated size is known before it is read, so the
// whole entry is decoded at once by libdeflate, from its compressed bytes in memory into a buffer
// of exactly that size, or into a mapping of its file when it is too large to hold. Where neither
// can be had, it streams through zlib.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "services/zip/ZipFileSource.h"

struct libdeflate_decompressor;

namespace ziplib {

// One libdeflate decompressor; one per thread that inflates.
class EntryInflater {
 public:
  EntryInflater() = default;
  ~EntryInflater();
  EntryInflater(const EntryInflater&) = delete;
  EntryInflater& operator=(const EntryInflater&) = delete;

  // True when the raw deflate stream in `packed` ends within it and inflates to exactly `size`
  // bytes. Bytes after the final block are ignored. When false, `out` holds nothing usable.
  bool Inflate(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t size);

 private:
  libdeflate_decompressor* decompressor_ = nullptr;  // made at the first entry
};

// A buffer that grows to the largest size asked of it; null when the memory cannot be had.
class GrowingBuffer {
 public:
  uint8_t* Room(uint64_t size);
  void Release() {
    data_.reset();
    capacity_ = 0;
  }

 private:
  std::unique_ptr<uint8_t[]> data_;  // capacity_ bytes
  uint64_t capacity_ = 0;
};

// What an entry must turn out to be: its recorded size and CRC.
struct EntryCheck {
  uint64_t size;  // inflated byte count
  uint32_t crc;   // CRC-32 of those bytes
};

enum class FileInflate {
  kDone,       // the file holds the entry, whole and checked
  kFailed,     // the entry is damaged; the file holds nothing usable
  kNoMapping,  // the file could not be mapped; it is empty, as it was made
};

// Inflates the stream in `packed` straight into `output`, which is made `check.size` bytes long
// and mapped for the decoding, so that not even the inflated entry needs memory of its own.
// `output` must be open for reading and writing.
FileInflate InflateIntoFile(EntryInflater& inflater, const uint8_t* packed, size_t packedSize, const EntryCheck& check,
                            HANDLE output);

// Inflates the stream of `packedSize` bytes at `start` of the archive into `output` in pieces,
// through `buffer` of `bufferSize` bytes (at least 2 x 4096). True when the stream ends within
// its bytes with exactly the recorded size and CRC; zlib writes only bytes that its input
// determines, never any past a damaged or missing part.
bool InflateStreamToFile(ZipFileSource& source, uint64_t start, uint64_t packedSize, const EntryCheck& check,
                         uint8_t* buffer, uint32_t bufferSize, HANDLE output);

// Writes `size` bytes in as few writes as the system takes at once.
bool WriteAll(HANDLE output, const uint8_t* data, uint64_t size);

}  // namespace ziplib
