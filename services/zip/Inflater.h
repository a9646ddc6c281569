// A raw deflate decoder (RFC 1951) for one entry at a time. Compressed bytes come from an
// InflateInput in large reads; inflated bytes leave through an InflateOutput in large pieces, the
// last 32 KiB kept as history for back references. Decoding works on whole words of input and
// output, which is what makes it faster than a byte-at-a-time stream decoder; its memory is
// allocated once, when the decoder is made.
#pragma once
#include <cstdint>
#include <memory>

namespace ziplib {

class InflateInput {
 public:
  // Copies up to `size` compressed bytes into `buffer`: the count, 0 at the end, -1 when reading fails.
  virtual int32_t Read(uint8_t* buffer, uint32_t size) = 0;

 protected:
  ~InflateInput() = default;
};

class InflateOutput {
 public:
  // Takes the next `size` inflated bytes; false stops the decoding.
  virtual bool Write(const uint8_t* data, uint32_t size) = 0;

 protected:
  ~InflateOutput() = default;
};

enum class InflateResult {
  kDone,         // the final block ended; every inflated byte was written
  kBadData,      // the stream is damaged or ends early
  kReadFailed,   // the input reported a failed read
  kWriteFailed,  // the output refused a piece
};

class Inflater {
 public:
  Inflater();
  ~Inflater();
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Decodes one whole stream. Bytes after the final block are left unread or ignored.
  InflateResult Run(InflateInput& input, InflateOutput& output);

 private:
  struct Tables;

  InflateResult DecodeStream();
  InflateResult DecodeStoredBlock();
  InflateResult ReadDynamicTables();
  InflateResult DecodeHuffmanBlock(const uint32_t* literals, const uint32_t* distances);
  InflateResult MakeRoom();
  bool NeedBits(uint32_t count);
  uint32_t TakeBits(uint32_t count);
  bool FillInput();
  bool FlushOutput(bool keepHistory);

  std::unique_ptr<uint8_t[]> input_;   // compressed bytes, with zero padding after them
  std::unique_ptr<uint8_t[]> output_;  // history, then newly inflated bytes
  std::unique_ptr<Tables> tables_;     // decoding tables of the current block

  InflateInput* source_ = nullptr;
  InflateOutput* sink_ = nullptr;
  bool sourceEnded_ = false;
  bool readFailed_ = false;

  // The bit reader: `in` is the next byte not yet in `bits`; `bitCount` bits are valid.
  const uint8_t* in_ = nullptr;
  const uint8_t* inEnd_ = nullptr;    // one past the last byte read from the source
  const uint8_t* inLimit_ = nullptr;  // past this, the input must be refilled (or is overrun)
  uint32_t bits_ = 0;
  uint32_t bitCount_ = 0;

  // The output: bytes in [outBase_, out_) are valid history; [flushed_, out_) is not yet written.
  uint8_t* out_ = nullptr;
  uint8_t* outBase_ = nullptr;
  uint8_t* flushed_ = nullptr;
  uint8_t* outLimit_ = nullptr;  // past this, one more match might not fit
};

}  // namespace ziplib
