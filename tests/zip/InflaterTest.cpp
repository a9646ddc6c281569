// Inflater: streams from zlib's own deflate come back byte for byte whatever the level, strategy,
// window or read sizes; hand-made streams reach the edges zlib rarely writes; damaged streams
// never pass, and agree with zlib's verdict.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <random>
#include <vector>

#include "services/zip/Inflater.h"

namespace ziptest {
namespace {

using Bytes = std::vector<uint8_t>;
using ziplib::InflateResult;

// Hands out the stream in reads of varying size, so refills land everywhere.
class StreamInput : public ziplib::InflateInput {
 public:
  StreamInput(const Bytes& data, uint32_t maxRead, uint32_t seed = 1) : data_(data), maxRead_(maxRead), random_(seed) {}
  int32_t Read(uint8_t* buffer, uint32_t size) override {
    if (failAfter_ >= 0 && at_ >= static_cast<size_t>(failAfter_)) return -1;
    const uint32_t wanted = std::min<uint32_t>(size, 1 + random_() % maxRead_);
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(wanted, data_.size() - at_));
    std::memcpy(buffer, data_.data() + at_, count);
    at_ += count;
    return static_cast<int32_t>(count);
  }
  int64_t failAfter_ = -1;

 private:
  const Bytes& data_;
  uint32_t maxRead_;
  std::mt19937 random_;
  size_t at_ = 0;
};

class CollectingOutput : public ziplib::InflateOutput {
 public:
  bool Write(const uint8_t* data, uint32_t size) override {
    if (refuse_) return false;
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  Bytes bytes;
  bool refuse_ = false;
};

Bytes Deflate(const Bytes& data, int level, int windowBits = 15, int strategy = Z_DEFAULT_STRATEGY) {
  z_stream stream = {};
  EXPECT_EQ(Z_OK, deflateInit2(&stream, level, Z_DEFLATED, -windowBits, 9, strategy));
  Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16);
  stream.next_in = const_cast<uint8_t*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(Z_STREAM_END, deflate(&stream, Z_FINISH));
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// zlib's verdict on a raw stream: the bytes when the stream ends properly within its input.
bool ZlibInflate(const Bytes& stream, Bytes* result) {
  z_stream z = {};
  inflateInit2(&z, -15);
  z.next_in = const_cast<uint8_t*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  uint8_t piece[65536];
  int code = Z_OK;
  result->clear();
  while (code == Z_OK) {
    z.next_out = piece;
    z.avail_out = sizeof(piece);
    code = inflate(&z, Z_NO_FLUSH);
    result->insert(result->end(), piece, piece + (sizeof(piece) - z.avail_out));
    if (code == Z_OK && z.avail_out == sizeof(piece) && z.avail_in == 0) break;  // wants more input
  }
  inflateEnd(&z);
  return code == Z_STREAM_END;
}

InflateResult Inflate(ziplib::Inflater& inflater, const Bytes& stream, Bytes* result, uint32_t maxRead = 70000) {
  StreamInput input(stream, maxRead);
  CollectingOutput output;
  const InflateResult outcome = inflater.Run(input, output);
  *result = std::move(output.bytes);
  return outcome;
}

// Sample contents: noise, text-like words, long runs, short periods, and a mix of all of them
// with repeats reaching back across the whole window.
Bytes Sample(int kind, size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes data(size);
  static const char* const kWords[] = {"ledger ", "debit ", "credit ", "balance ", "account ", "\xbb\xe1\xbc\xc6 ", "\r\n"};
  size_t at = 0;
  while (at < size) {
    const int pick = kind == 4 ? static_cast<int>(random() % 4) : kind;
    size_t run = 1 + random() % 300;
    switch (pick) {
      case 0:
        for (; run > 0 && at < size; --run) data[at++] = static_cast<uint8_t>(random());
        break;
      case 1:
        for (const char* word = kWords[random() % 7]; *word && at < size; ++word) data[at++] = static_cast<uint8_t>(*word);
        break;
      case 2: {
        const uint8_t value = static_cast<uint8_t>(random() % 3);
        for (; run > 0 && at < size; --run) data[at++] = value;
        break;
      }
      default: {
        const size_t period = 2 + random() % 3;
        for (; run > 0 && at < size; --run) data[at] = at >= period ? data[at - period] : 'p', ++at;
        if (kind == 4 && at > 40000 && at < size) {  // a far repeat
          const size_t from = at - 32768 + random() % 1000;
          for (size_t n = 200; n > 0 && at < size; --n) data[at++] = data[from + (200 - n)];
        }
      }
    }
  }
  return data;
}

TEST(InflaterTest, ZlibStreamsComeBackWhole) {
  ziplib::Inflater inflater;  // one decoder for every stream: nothing may carry over between them
  const size_t sizes[] = {0, 1, 257, 40000, 300000, 1200000};
  const int levels[] = {0, 1, 6, 9};
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  uint32_t seed = 7;
  for (int kind = 0; kind < 5; ++kind) {
    for (size_t size : sizes) {
      const Bytes data = Sample(kind, size, ++seed);
      for (int level : levels) {
        for (int strategy : strategies) {
          if (level == 0 && strategy != Z_DEFAULT_STRATEGY) continue;
          if (size > 300000 && strategy != Z_DEFAULT_STRATEGY && strategy != Z_FIXED) continue;
          const Bytes stream = Deflate(data, level, 15, strategy);
          Bytes result;
          const uint32_t maxRead = seed % 3 == 0 ? 7 : 70000;
          ASSERT_EQ(InflateResult::kDone, Inflate(inflater, stream, &result, maxRead))
              << "kind " << kind << " size " << size << " level " << level << " strategy " << strategy;
          ASSERT_TRUE(result == data) << "kind " << kind << " size " << size << " level " << level << " strategy " << strategy;
        }
      }
    }
  }
  for (int windowBits = 9; windowBits <= 15; windowBits += 3) {
    const Bytes data = Sample(4, 200000, ++seed);
    Bytes result;
    ASSERT_EQ(InflateResult::kDone, Inflate(inflater, Deflate(data, 9, windowBits), &result));
    EXPECT_TRUE(result == data) << "window bits " << windowBits;
  }
}

// Writes fixed-code blocks by hand (RFC 1951, 3.2.6), to reach what zlib never writes.
class FixedBlockWriter {
 public:
  void Bits(uint32_t value, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) Bit(value >> i & 1);
  }
  void Code(uint32_t code, uint32_t length) {  // Huffman codes go most significant bit first
    for (uint32_t i = length; i-- > 0;) Bit(code >> i & 1);
  }
  void Header(bool last) { Bits(last ? 1 : 0, 1), Bits(1, 2); }
  void Literal(uint32_t symbol) {
    if (symbol < 144) return Code(0x30 + symbol, 8);
    if (symbol < 256) return Code(0x190 + symbol - 144, 9);
    if (symbol < 280) return Code(symbol - 256, 7);
    Code(0xc0 + symbol - 280, 8);
  }
  void Match(uint32_t length, uint32_t distance) {
    static const uint16_t lengthBase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const uint8_t lengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int l = 28;
    while (lengthBase[l] > length) --l;
    Literal(257 + l);
    Bits(length - lengthBase[l], lengthExtra[l]);
    uint32_t code = 0;
    uint32_t base = 1;
    while (true) {
      const uint32_t extra = code < 4 ? 0 : code / 2 - 1;
      if (distance < base + (1u << extra)) {
        Code(code, 5);
        Bits(distance - base, extra);
        return;
      }
      base += 1u << extra;
      ++code;
    }
  }
  Bytes Finish() {
    Bytes out = bytes_;
    if (used_) out.push_back(current_);
    return out;
  }

 private:
  void Bit(uint32_t bit) {
    current_ |= static_cast<uint8_t>(bit << used_);
    if (++used_ == 8) bytes_.push_back(current_), current_ = 0, used_ = 0;
  }
  Bytes bytes_;
  uint8_t current_ = 0;
  uint32_t used_ = 0;
};

TEST(InflaterTest, HandMadeEdgesDecodeOrFail) {
  ziplib::Inflater inflater;
  Bytes result;
  {  // a literal, then a 258-byte match at distance 1; then one reaching back exactly 32,768 bytes
    FixedBlockWriter writer;
    writer.Header(true);
    for (int i = 0; i < 32768; ++i) writer.Literal(i * 7 % 251);
    writer.Match(258, 1);
    writer.Match(258, 32768);
    writer.Literal(256);
    ASSERT_EQ(InflateResult::kDone, Inflate(inflater, writer.Finish(), &result));
    ASSERT_EQ(32768u + 516u, result.size());
    EXPECT_TRUE(std::all_of(result.begin() + 32768, result.begin() + 32768 + 258, [&](uint8_t b) { return b == result[32767]; }));
    EXPECT_TRUE(std::equal(result.begin() + 32768 + 258, result.end(), result.begin() + 258));
  }
  {  // a match reaching before the first byte
    FixedBlockWriter writer;
    writer.Header(true);
    writer.Literal('a');
    writer.Literal('b');
    writer.Match(3, 3);
    writer.Literal(256);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result));
  }
  for (uint32_t symbol : {286u, 287u}) {  // length symbols outside the alphabet
    FixedBlockWriter writer;
    writer.Header(true);
    writer.Literal('a');
    writer.Literal(symbol);
    writer.Bits(0, 16);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result)) << symbol;
  }
  for (uint32_t code : {30u, 31u}) {  // distance codes outside the alphabet
    FixedBlockWriter writer;
    writer.Header(true);
    writer.Literal('a');
    writer.Literal(257);
    writer.Code(code, 5);
    writer.Bits(0, 16);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result)) << code;
  }
  {  // block type 3
    FixedBlockWriter writer;
    writer.Bits(1, 1);
    writer.Bits(3, 2);
    writer.Bits(0, 16);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result));
  }
  {  // a stored block whose length and complement disagree; then a good one between fixed ones
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, Bytes{0x01, 0x03, 0x00, 0xfc, 0xfe, 'a', 'b', 'c'}, &result));
    FixedBlockWriter writer;
    writer.Header(false);
    writer.Literal('x');
    writer.Literal(256);
    writer.Bits(0, 3);  // stored, not last
    Bytes stream = writer.Finish();
    for (uint8_t b : Bytes{0x03, 0x00, 0xfc, 0xff, 'a', 'b', 'c'}) stream.push_back(b);
    FixedBlockWriter tail;
    tail.Header(true);
    tail.Match(4, 3);
    tail.Literal(256);
    for (uint8_t b : tail.Finish()) stream.push_back(b);
    ASSERT_EQ(InflateResult::kDone, Inflate(inflater, stream, &result, 1));
    EXPECT_EQ("xabcabca", std::string(result.begin(), result.end()));
  }
  // Dynamic blocks: a literal code without end-of-block, and a code-length code that over-fills.
  // A last dynamic block's header: 257 + extraLiterals literal/length codes, one distance code.
  auto dynamicHeader = [](FixedBlockWriter& writer, std::initializer_list<uint32_t> codeLengthLengths,
                          uint32_t extraLiterals = 0) {
    writer.Bits(1, 1), writer.Bits(2, 2);
    writer.Bits(extraLiterals, 5), writer.Bits(0, 5), writer.Bits(static_cast<uint32_t>(codeLengthLengths.size()) - 4, 4);
    for (uint32_t length : codeLengthLengths) writer.Bits(length, 3);
  };
  {
    FixedBlockWriter writer;
    dynamicHeader(writer, {0, 0, 0, 1, 1});  // symbols 0 and 8 of the code-length code, one bit each
    for (int i = 0; i < 256; ++i) writer.Code(1, 1);  // literals 0..255: eight bits each
    writer.Code(0, 1);                                // end-of-block: no code
    writer.Code(0, 1);                                // the one distance: no code
    writer.Bits(0, 16);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result));
  }
  // Code lengths through a code-length code where 0 is "0", 1 is "10" and 8 is "11".
  const std::initializer_list<uint32_t> zeroEightOne = {0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  auto codeLength = [](FixedBlockWriter& writer, uint32_t length) {
    if (length == 0) return writer.Code(0, 1);
    writer.Code(length == 8 ? 3 : 2, 2);
  };
  {  // 255 literal/length codes of eight bits leave the code incomplete
    FixedBlockWriter writer;
    dynamicHeader(writer, zeroEightOne);
    for (int symbol = 0; symbol < 257; ++symbol) codeLength(writer, symbol == 254 || symbol == 255 ? 0 : 8);
    codeLength(writer, 1);
    writer.Code('a', 8);  // what would decode if the code were taken
    writer.Code(254, 8);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result));
  }
  {  // a lone one-bit distance code is allowed: "a", then a match of 3 at distance 1
    FixedBlockWriter writer;
    dynamicHeader(writer, zeroEightOne, 1);
    for (int symbol = 0; symbol < 258; ++symbol) codeLength(writer, symbol == 254 || symbol == 255 ? 0 : 8);
    codeLength(writer, 1);
    writer.Code('a', 8);   // literals 0..253 have codes 0..253
    writer.Code(255, 8);   // length symbol 257: three bytes
    writer.Code(0, 1);     // distance symbol 0: one byte back
    writer.Code(254, 8);   // end of block
    ASSERT_EQ(InflateResult::kDone, Inflate(inflater, writer.Finish(), &result));
    EXPECT_EQ("aaaa", std::string(result.begin(), result.end()));
  }
  {
    FixedBlockWriter writer;
    dynamicHeader(writer, {1, 1, 1, 0});
    writer.Bits(0, 32);
    EXPECT_EQ(InflateResult::kBadData, Inflate(inflater, writer.Finish(), &result));
  }
}

TEST(InflaterTest, DamagedStreamsNeverPassAndAgreeWithZlib) {
  ziplib::Inflater inflater;
  const Bytes data = Sample(4, 60000, 99);
  const Bytes stream = Deflate(data, 6);
  Bytes result;
  for (size_t cut = 0; cut < stream.size(); cut += 1 + cut / 64) {  // every short prefix fails
    const Bytes prefix(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
    ASSERT_EQ(InflateResult::kBadData, Inflate(inflater, prefix, &result, 1 + cut % 9)) << "cut at " << cut;
  }
  std::mt19937 random(5);
  int zlibPassed = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    Bytes damaged = trial % 2 ? stream : Deflate(Sample(4, 3000, trial), trial % 10, 15, trial % 3 ? Z_DEFAULT_STRATEGY : Z_FIXED);
    for (int flips = 1 + trial % 3; flips > 0; --flips)
      damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
    Bytes expected;
    const bool zlibDone = ZlibInflate(damaged, &expected);
    const InflateResult outcome = Inflate(inflater, damaged, &result, 1 + trial % 5000);
    ASSERT_EQ(zlibDone, outcome == InflateResult::kDone) << "trial " << trial;
    if (zlibDone) {
      ++zlibPassed;
      ASSERT_TRUE(result == expected) << "trial " << trial;
    }
  }
  EXPECT_GT(zlibPassed, 0);  // some damage leaves a valid stream; those must agree byte for byte
}

TEST(InflaterTest, ReadAndWriteFailuresStopTheDecoding) {
  ziplib::Inflater inflater;
  const Bytes stream = Deflate(Sample(0, 500000, 3), 6);
  StreamInput failing(stream, 70000);
  failing.failAfter_ = 100000;
  CollectingOutput output;
  EXPECT_EQ(InflateResult::kReadFailed, inflater.Run(failing, output));
  StreamInput input(stream, 70000);
  CollectingOutput refusing;
  refusing.refuse_ = true;
  EXPECT_EQ(InflateResult::kWriteFailed, inflater.Run(input, refusing));
  Bytes result;
  EXPECT_EQ(InflateResult::kDone, Inflate(inflater, stream, &result));  // and the decoder is fine after both
}

}  // namespace
}  // namespace ziptest
