#include "services/zip/EntryInflater.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <new>

#include "runtime/Win32Handle.h"
#include "services/zip/Crc32.h"

namespace ziplib {
namespace {

// Some systems refuse single writes much larger than this (network drives among them).
constexpr uint64_t kLargestWrite = 32u << 20;

// zlib's stream, ended on every path.
class RawInflateStream {
 public:
  RawInflateStream() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~RawInflateStream() {
    if (ready_) inflateEnd(&stream_);
  }
  RawInflateStream(const RawInflateStream&) = delete;
  RawInflateStream& operator=(const RawInflateStream&) = delete;

  bool Ready() const { return ready_; }
  z_stream& Get() { return stream_; }

 private:
  z_stream stream_ = {};
  bool ready_ = false;
};

}  // namespace

EntryInflater::~EntryInflater() { libdeflate_free_decompressor(decompressor_); }

bool EntryInflater::Inflate(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t size) {
  if (!decompressor_) decompressor_ = libdeflate_alloc_decompressor();
  if (!decompressor_) return false;
  uint8_t none = 0;  // libdeflate wants somewhere to write even when nothing is to be written
  // No count of bytes out: libdeflate then accepts only a stream of exactly `size` bytes.
  return libdeflate_deflate_decompress(decompressor_, packed, packedSize, size ? out : &none, size, nullptr) ==
         LIBDEFLATE_SUCCESS;
}

FileInflate InflateIntoFile(EntryInflater& inflater, const uint8_t* packed, size_t packedSize, const EntryCheck& check,
                            HANDLE output) {
  if (check.size > SIZE_MAX) return FileInflate::kNoMapping;
  // A mapping larger than the file makes the file that long.
  rt::UniqueHandle mapping(CreateFileMappingA(output, nullptr, PAGE_READWRITE, static_cast<DWORD>(check.size >> 32),
                                              static_cast<DWORD>(check.size), nullptr));
  if (!mapping.Valid()) return FileInflate::kNoMapping;
  const size_t size = static_cast<size_t>(check.size);
  uint8_t* const view = static_cast<uint8_t*>(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, size));
  if (!view) {
    // The mapping has made the file its full length: emptied again, it is written piece by
    // piece instead; a file that cannot be emptied fails the entry.
    mapping.Close();
    const bool emptied = SetFilePointer(output, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(output);
    return emptied ? FileInflate::kNoMapping : FileInflate::kFailed;
  }
  const bool whole = inflater.Inflate(packed, packedSize, view, size) && Crc32(0, view, size) == check.crc;
  UnmapViewOfFile(view);
  return whole ? FileInflate::kDone : FileInflate::kFailed;
}

bool InflateStreamToFile(ZipFileSource& source, uint64_t start, uint64_t packedSize, const EntryCheck& check,
                         uint8_t* buffer, uint32_t bufferSize, HANDLE output) {
  RawInflateStream inflater;
  if (!inflater.Ready()) return false;
  z_stream& stream = inflater.Get();
  const uint32_t inSize = bufferSize / 2;
  uint8_t* const in = buffer;
  uint8_t* const out = buffer + inSize;
  const uint32_t outSize = bufferSize - inSize;
  uint64_t at = start, packedLeft = packedSize, written = 0;
  uint32_t crc = 0;
  int code = Z_OK;
  while (code != Z_STREAM_END) {
    if (stream.avail_in == 0) {
      const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(inSize, packedLeft));
      if (piece == 0) return false;  // the stream needs more than the entry holds
      if (!source.ReadAt(at, in, piece)) return false;
      at += piece;
      packedLeft -= piece;
      stream.next_in = in;
      stream.avail_in = piece;
    }
    stream.next_out = out;
    stream.avail_out = outSize;
    code = inflate(&stream, Z_NO_FLUSH);
    if (code != Z_OK && code != Z_STREAM_END) return false;
    const uint32_t produced = outSize - stream.avail_out;
    if (produced > check.size - written) return false;  // more than recorded: never filling the disk
    crc = Crc32(crc, out, produced);
    if (!WriteAll(output, out, produced)) return false;
    written += produced;
  }
  return written == check.size && crc == check.crc;
}

uint8_t* GrowingBuffer::Room(uint64_t size) {
  if (size <= capacity_ && data_) return data_.get();
  data_.reset();  // the old one goes first, so that both are never held at once
  capacity_ = 0;
  if (size > SIZE_MAX) return nullptr;
  data_.reset(new (std::nothrow) uint8_t[std::max<size_t>(static_cast<size_t>(size), 1)]);
  if (data_) capacity_ = size;
  return data_.get();
}

bool WriteAll(HANDLE output, const uint8_t* data, uint64_t size) {
  while (size > 0) {
    const DWORD piece = static_cast<DWORD>(std::min(size, kLargestWrite));
    DWORD put = 0;
    if (!WriteFile(output, data, piece, &put, nullptr) || put != piece) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

}  // namespace ziplib
