#include "services/zip/Inflater.h"

#include <algorithm>
#include <cstring>

namespace ziplib {
namespace {

constexpr uint32_t kHistorySize = 32768;       // the farthest a back reference reaches
constexpr uint32_t kPieceSize = 262144;        // inflated bytes handed to the output at once
constexpr uint32_t kOutputSlack = 288;         // one longest match, two literals and the copy's overrun
constexpr uint32_t kInputSize = 65536;         // compressed bytes read at once
constexpr uint32_t kInputKeep = 4;             // bytes before the read position kept on a refill
constexpr uint32_t kInputMargin = 16;          // one decoding round reads at most this far ahead
constexpr uint32_t kInputPad = 64;             // zeros after the last byte, so rounds need no end test
constexpr uint32_t kOverrunAllowed = 32;       // zeros read past the end before the refill test trips

constexpr uint32_t kMaxCodeBits = 15;
constexpr uint32_t kLiteralRootBits = 10;
constexpr uint32_t kDistanceRootBits = 8;
constexpr uint32_t kCodeLengthRootBits = 7;
constexpr uint32_t kLiteralTableSize = (1u << kLiteralRootBits) + 288 * (1u << (kMaxCodeBits - kLiteralRootBits));
constexpr uint32_t kDistanceTableSize = (1u << kDistanceRootBits) + 32 * (1u << (kMaxCodeBits - kDistanceRootBits));
constexpr uint32_t kMaxLiteralCodes = 286;
constexpr uint32_t kMaxDistanceCodes = 30;

// A table entry: bits 0-7 the bits to take (code plus extra bits; for distances the extra bits
// alone; for a sub-table its index width), bits 8-11 the code's own bits, bits 12-15 the kind,
// bits 16-30 the value (literal byte, length or distance base, symbol, sub-table offset).
// Literals also set bit 31, so the commonest case is one sign test.
enum : uint32_t { kKindValue = 0, kKindEnd = 1, kKindSubTable = 2, kKindBad = 3 };
constexpr uint32_t kLiteralFlag = 0x80000000u;
constexpr uint32_t kBadEntry = kKindBad << 12;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

uint32_t Kind(uint32_t entry) { return entry >> 12 & 0xf; }
uint32_t LowBits(uint32_t value, uint32_t count) { return value & ((1u << count) - 1); }

uint32_t LiteralLengthEntry(uint32_t symbol, uint32_t codeBits) {
  if (symbol < 256) return kLiteralFlag | symbol << 16 | codeBits << 8 | codeBits;
  if (symbol == 256) return kKindEnd << 12 | codeBits << 8 | codeBits;
  if (symbol >= kMaxLiteralCodes) return kBadEntry;
  const uint32_t i = symbol - 257;
  return static_cast<uint32_t>(kLengthBase[i]) << 16 | codeBits << 8 | (codeBits + kLengthExtra[i]);
}

uint32_t DistanceEntry(uint32_t symbol, uint32_t codeBits) {
  if (symbol >= kMaxDistanceCodes) return kBadEntry;
  return static_cast<uint32_t>(kDistanceBase[symbol]) << 16 | codeBits << 8 | kDistanceExtra[symbol];
}

uint32_t CodeLengthEntry(uint32_t symbol, uint32_t codeBits) { return symbol << 16 | codeBits << 8 | codeBits; }

uint32_t Reversed(uint32_t code, uint32_t bits) {
  uint32_t result = 0;
  for (uint32_t i = 0; i < bits; ++i, code >>= 1) result = result << 1 | (code & 1);
  return result;
}

// Builds a decoding table from code lengths (RFC 1951, 3.2.2). Root entry i serves the next
// rootBits input bits i; codes longer than rootBits continue in sub-tables after the root part.
// False when the lengths over-fill the code space, or leave it incomplete beyond what is
// allowed: no code at all, or a lone one-bit code where `loneCodeAllowed`.
bool BuildTable(const uint8_t* lengths, uint32_t count, uint32_t rootBits, bool loneCodeAllowed,
                uint32_t (*entryOf)(uint32_t, uint32_t), uint32_t* table) {
  uint32_t counts[kMaxCodeBits + 1] = {};
  for (uint32_t i = 0; i < count; ++i) ++counts[lengths[i]];
  counts[0] = 0;
  uint32_t maxBits = kMaxCodeBits;
  while (maxBits > 0 && counts[maxBits] == 0) --maxBits;
  int32_t left = 1;
  for (uint32_t bits = 1; bits <= kMaxCodeBits; ++bits) {
    left = left * 2 - static_cast<int32_t>(counts[bits]);
    if (left < 0) return false;
  }
  if (left > 0 && maxBits > (loneCodeAllowed ? 1u : 0u)) return false;

  const uint32_t rootSize = 1u << rootBits;
  if (left > 0) std::fill(table, table + rootSize, kBadEntry);
  uint32_t nextCode[kMaxCodeBits + 1] = {};
  for (uint32_t bits = 1, code = 0; bits <= kMaxCodeBits; ++bits) {
    code = (code + counts[bits - 1]) << 1;
    nextCode[bits] = code;
  }
  // Canonical order (by length, then symbol) keeps the codes that share a root prefix together.
  uint16_t sorted[320];
  uint32_t offsets[kMaxCodeBits + 2] = {};
  for (uint32_t bits = 1; bits <= kMaxCodeBits; ++bits) offsets[bits + 1] = offsets[bits] + counts[bits];
  const uint32_t codeCount = offsets[kMaxCodeBits + 1];
  for (uint32_t symbol = 0; symbol < count; ++symbol)
    if (lengths[symbol] != 0) sorted[offsets[lengths[symbol]]++] = static_cast<uint16_t>(symbol);

  const uint32_t subBits = maxBits > rootBits ? maxBits - rootBits : 0;
  uint32_t nextSubTable = rootSize;
  uint32_t subTable = 0;
  uint32_t currentPrefix = ~0u;
  for (uint32_t i = 0; i < codeCount; ++i) {
    const uint32_t symbol = sorted[i];
    const uint32_t bits = lengths[symbol];
    const uint32_t code = nextCode[bits]++;
    if (bits <= rootBits) {
      const uint32_t entry = entryOf(symbol, bits);
      for (uint32_t at = Reversed(code, bits); at < rootSize; at += 1u << bits) table[at] = entry;
      continue;
    }
    const uint32_t restBits = bits - rootBits;
    const uint32_t prefix = code >> restBits;
    if (prefix != currentPrefix) {
      currentPrefix = prefix;
      subTable = nextSubTable;
      nextSubTable += 1u << subBits;
      table[Reversed(prefix, rootBits)] = subTable << 16 | kKindSubTable << 12 | rootBits << 8 | subBits;
    }
    const uint32_t entry = entryOf(symbol, restBits);
    for (uint32_t at = Reversed(LowBits(code, restBits), restBits); at < (1u << subBits); at += 1u << restBits)
      table[subTable + at] = entry;
  }
  return true;
}

inline uint32_t Load32(const uint8_t* p) {
  uint32_t word;
  std::memcpy(&word, p, sizeof(word));
  return word;
}

// Tops the bit buffer up to 24..31 valid bits with one unaligned load. Bits above the count
// already hold the following bytes, so OR-ing the same bytes in again changes nothing.
inline void Refill(const uint8_t*& in, uint32_t& bits, uint32_t& count) {
  bits |= Load32(in) << count;
  in += (31 - count) >> 3;
  count |= 24;
}

inline void CopyWord(uint8_t* to, const uint8_t* from) { std::memcpy(to, from, 4); }

// Copies a back reference word by word, the first 16 bytes without a test since most matches
// are that short; it may write up to 15 bytes past the match. Words go in order, so a distance of
// 4 to 15 reads bytes the same copy has just written, as it must.
inline void CopyMatch(uint8_t* out, uint32_t distance, uint32_t length) {
  const uint8_t* from = out - distance;
  if (distance >= 4) {
    CopyWord(out, from);
    CopyWord(out + 4, from + 4);
    CopyWord(out + 8, from + 8);
    CopyWord(out + 12, from + 12);
    if (length <= 16) return;
    uint8_t* const end = out + length;
    out += 16;
    from += 16;
    do {
      CopyWord(out, from);
      CopyWord(out + 4, from + 4);
      out += 8;
      from += 8;
    } while (out < end);
    return;
  }
  if (distance == 1) {
    std::memset(out, *from, length);
    return;
  }
  uint8_t* const end = out + length;
  do *out++ = *from++;
  while (out < end);
}

}  // namespace

struct Inflater::Tables {
  uint32_t literals[kLiteralTableSize];
  uint32_t distances[kDistanceTableSize];
  uint32_t codeLengths[1u << kCodeLengthRootBits];
  uint32_t fixedLiterals[kLiteralTableSize];
  uint32_t fixedDistances[kDistanceTableSize];
  uint8_t lengths[kMaxLiteralCodes + 32];
};

Inflater::Inflater()
    : input_(new uint8_t[kInputSize + kInputPad]()),
      output_(new uint8_t[kHistorySize + kPieceSize + kOutputSlack]()),
      tables_(new Tables()) {
  // The fixed codes of RFC 1951, 3.2.6; literal/length symbols 286 and 287 and distance
  // symbols 30 and 31 take part in the code but are invalid in data.
  uint8_t lengths[288];
  std::fill(lengths, lengths + 144, 8);
  std::fill(lengths + 144, lengths + 256, 9);
  std::fill(lengths + 256, lengths + 280, 7);
  std::fill(lengths + 280, lengths + 288, 8);
  BuildTable(lengths, 288, kLiteralRootBits, false, LiteralLengthEntry, tables_->fixedLiterals);
  std::fill(lengths, lengths + 32, 5);
  BuildTable(lengths, 32, kDistanceRootBits, false, DistanceEntry, tables_->fixedDistances);
}

Inflater::~Inflater() = default;

InflateResult Inflater::Run(InflateInput& input, InflateOutput& output) {
  source_ = &input;
  sink_ = &output;
  sourceEnded_ = readFailed_ = false;
  in_ = inEnd_ = input_.get() + kInputKeep;
  inLimit_ = in_ - 1;  // the first round reads
  bits_ = bitCount_ = 0;
  out_ = flushed_ = output_.get();
  outLimit_ = output_.get() + kHistorySize + kPieceSize;
  InflateResult result = DecodeStream();
  if (result == InflateResult::kDone && in_ - (bitCount_ >> 3) > inEnd_) result = InflateResult::kBadData;  // ran into the padding
  if (result == InflateResult::kDone && !FlushOutput(false)) result = InflateResult::kWriteFailed;
  if (readFailed_) result = InflateResult::kReadFailed;
  source_ = nullptr;
  sink_ = nullptr;
  return result;
}

InflateResult Inflater::DecodeStream() {
  for (;;) {
    if (!NeedBits(3)) return readFailed_ ? InflateResult::kReadFailed : InflateResult::kBadData;
    const bool last = TakeBits(1);
    InflateResult result = InflateResult::kBadData;
    switch (TakeBits(2)) {
      case 0: result = DecodeStoredBlock(); break;
      case 1: result = DecodeHuffmanBlock(tables_->fixedLiterals, tables_->fixedDistances); break;
      case 2:
        result = ReadDynamicTables();
        if (result == InflateResult::kDone) result = DecodeHuffmanBlock(tables_->literals, tables_->distances);
        break;
      default: break;
    }
    if (result != InflateResult::kDone || last) return result;
  }
}

// A stored block: to the next byte boundary, LEN and its complement, then LEN bytes as they are.
InflateResult Inflater::DecodeStoredBlock() {
  TakeBits(bitCount_ & 7);
  in_ -= bitCount_ >> 3;  // whole bytes still counted in the bit buffer are read again as bytes
  bits_ = bitCount_ = 0;
  auto haveBytes = [this](uint32_t count) {
    while (static_cast<uint32_t>(inEnd_ - in_) < count && !sourceEnded_ && !readFailed_) {
      inLimit_ = in_ - 1;
      FillInput();
    }
    return in_ <= inEnd_ && static_cast<uint32_t>(inEnd_ - in_) >= count;
  };
  auto shortInput = [this] { return readFailed_ ? InflateResult::kReadFailed : InflateResult::kBadData; };
  if (!haveBytes(4)) return shortInput();
  const uint32_t length = in_[0] | in_[1] << 8;
  const uint32_t complement = in_[2] | in_[3] << 8;
  in_ += 4;
  if (length != (~complement & 0xffff)) return InflateResult::kBadData;
  for (uint32_t left = length; left > 0;) {
    if (!haveBytes(1)) return shortInput();
    if (out_ >= outLimit_ && !FlushOutput(true)) return InflateResult::kWriteFailed;
    const uint32_t count = std::min({left, static_cast<uint32_t>(inEnd_ - in_), static_cast<uint32_t>(outLimit_ - out_)});
    std::memcpy(out_, in_, count);
    out_ += count;
    in_ += count;
    left -= count;
  }
  return InflateResult::kDone;
}

// A dynamic block's header: the code-length code, then the literal/length and distance code
// lengths coded with it (RFC 1951, 3.2.7).
InflateResult Inflater::ReadDynamicTables() {
  if (!NeedBits(14)) return InflateResult::kBadData;
  const uint32_t literalCount = TakeBits(5) + 257;
  const uint32_t distanceCount = TakeBits(5) + 1;
  const uint32_t codeLengthCount = TakeBits(4) + 4;
  if (literalCount > kMaxLiteralCodes || distanceCount > kMaxDistanceCodes) return InflateResult::kBadData;
  uint8_t codeLengthLengths[19] = {};
  for (uint32_t i = 0; i < codeLengthCount; ++i) {
    if (!NeedBits(3)) return InflateResult::kBadData;
    codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(TakeBits(3));
  }
  Tables& tables = *tables_;
  if (!BuildTable(codeLengthLengths, 19, kCodeLengthRootBits, false, CodeLengthEntry, tables.codeLengths))
    return InflateResult::kBadData;

  const uint32_t total = literalCount + distanceCount;
  uint8_t* const lengths = tables.lengths;
  for (uint32_t n = 0; n < total;) {
    if (!NeedBits(14)) return InflateResult::kBadData;  // a code of up to 7 bits and up to 7 extra bits
    const uint32_t entry = tables.codeLengths[LowBits(bits_, kCodeLengthRootBits)];
    if (Kind(entry) != kKindValue) return InflateResult::kBadData;
    TakeBits(entry & 0xff);
    const uint32_t symbol = entry >> 16;
    if (symbol < 16) {
      lengths[n++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint32_t repeat = 0;
    uint8_t value = 0;
    if (symbol == 16) {
      if (n == 0) return InflateResult::kBadData;  // nothing to repeat
      value = lengths[n - 1];
      repeat = 3 + TakeBits(2);
    } else if (symbol == 17) {
      repeat = 3 + TakeBits(3);
    } else {
      repeat = 11 + TakeBits(7);
    }
    if (repeat > total - n) return InflateResult::kBadData;
    std::memset(lengths + n, value, repeat);
    n += repeat;
  }
  if (lengths[256] == 0) return InflateResult::kBadData;  // a block must be able to end
  if (!BuildTable(lengths, literalCount, kLiteralRootBits, true, LiteralLengthEntry, tables.literals) ||
      !BuildTable(lengths + literalCount, distanceCount, kDistanceRootBits, true, DistanceEntry, tables.distances))
    return InflateResult::kBadData;
  return InflateResult::kDone;
}

// The hot loop, one literal or one match per round, with the bit buffer, both pointers and their
// limits in locals. The next symbol's table entry is looked up as soon as its bits are known, so
// its load overlaps the work that is still to do for the current one (a match's copy above all).
InflateResult Inflater::DecodeHuffmanBlock(const uint32_t* literals, const uint32_t* distances) {
  const uint8_t* in = in_;
  uint32_t bits = bits_;
  uint32_t count = bitCount_;
  uint8_t* out = out_;
  const uint8_t* inLimit = inLimit_;
  const uint8_t* outLimit = outLimit_;
  const uint8_t* const history = output_.get();
  auto save = [&] { in_ = in, bits_ = bits, bitCount_ = count, out_ = out; };
  auto take = [&](uint32_t taken) {
    bits >>= taken;
    count -= taken;
  };
  auto lookAhead = [&] {
    Refill(in, bits, count);
    return literals[LowBits(bits, kLiteralRootBits)];
  };
  uint32_t entry = lookAhead();
  for (;;) {
    if (__builtin_expect(in > inLimit || out > outLimit, 0)) {
      save();
      const InflateResult room = MakeRoom();  // the bit buffer stays as it is, so `entry` holds
      if (room != InflateResult::kDone) return room;
      in = in_, bits = bits_, count = bitCount_, out = out_, inLimit = inLimit_, outLimit = outLimit_;
    }
    if (static_cast<int32_t>(entry) < 0) {
      take(entry & 0xff);
      *out++ = static_cast<uint8_t>(entry >> 16);
      entry = lookAhead();
      if (static_cast<int32_t>(entry) >= 0) continue;
      take(entry & 0xff);
      *out++ = static_cast<uint8_t>(entry >> 16);
      entry = lookAhead();
      continue;
    }
    if (Kind(entry) == kKindSubTable) {
      take(kLiteralRootBits);
      entry = literals[(entry >> 16) + LowBits(bits, entry & 0xff)];
      if (static_cast<int32_t>(entry) < 0) {
        take(entry & 0xff);
        *out++ = static_cast<uint8_t>(entry >> 16);
        entry = lookAhead();
        continue;
      }
    }
    if (Kind(entry) != kKindValue) {
      if (Kind(entry) != kKindEnd) break;
      take(entry & 0xff);
      save();
      return InflateResult::kDone;
    }
    const uint32_t length = (entry >> 16) + (LowBits(bits, entry & 0xff) >> (entry >> 8 & 0xf));
    take(entry & 0xff);

    Refill(in, bits, count);
    entry = distances[LowBits(bits, kDistanceRootBits)];
    if (Kind(entry) == kKindSubTable) {
      take(kDistanceRootBits);
      entry = distances[(entry >> 16) + LowBits(bits, entry & 0xff)];
    }
    if (Kind(entry) != kKindValue) break;
    take(entry >> 8 & 0xf);
    const uint32_t extra = entry & 0xff;
    Refill(in, bits, count);  // up to 13 extra bits; refilling always is cheaper than a guess
    const uint32_t distance = (entry >> 16) + LowBits(bits, extra);
    take(extra);
    if (distance > static_cast<uint32_t>(out - history)) break;  // before the start of the entry
    entry = lookAhead();
    CopyMatch(out, distance, length);
    out += length;
  }
  save();
  return InflateResult::kBadData;
}

// Between rounds: hand a full piece to the output, read more input, or notice the overrun.
InflateResult Inflater::MakeRoom() {
  if (out_ > outLimit_ && !FlushOutput(true)) return InflateResult::kWriteFailed;
  if (!FillInput()) return readFailed_ ? InflateResult::kReadFailed : InflateResult::kBadData;
  return InflateResult::kDone;
}

bool Inflater::NeedBits(uint32_t count) {
  if (!FillInput()) return false;
  Refill(in_, bits_, bitCount_);
  return bitCount_ >= count;
}

uint32_t Inflater::TakeBits(uint32_t count) {
  const uint32_t value = LowBits(bits_, count);
  bits_ >>= count;
  bitCount_ -= count;
  return value;
}

// Moves the unread bytes to the front and reads behind them until the buffer is full or the
// source ends; after the end, zeros follow the last byte. False once the stream has read past
// its end or a read failed.
bool Inflater::FillInput() {
  if (in_ <= inLimit_) return true;
  if (sourceEnded_ || readFailed_) return false;
  const uint32_t keep = std::min<uint32_t>(kInputKeep, static_cast<uint32_t>(in_ - input_.get()));
  const uint8_t* const from = in_ - keep;
  const uint32_t unread = static_cast<uint32_t>(inEnd_ - from);
  std::memmove(input_.get(), from, unread);
  in_ = input_.get() + keep;
  uint8_t* end = input_.get() + unread;
  uint8_t* const bufferEnd = input_.get() + kInputSize;
  while (end < bufferEnd) {
    const int32_t got = source_->Read(end, static_cast<uint32_t>(bufferEnd - end));
    if (got < 0) {
      readFailed_ = true;
      return false;
    }
    if (got == 0) {
      sourceEnded_ = true;
      break;
    }
    end += got;
  }
  inEnd_ = end;
  if (sourceEnded_) {
    std::memset(end, 0, kInputPad);
    inLimit_ = end + kOverrunAllowed;
  } else {
    inLimit_ = end - kInputMargin;
  }
  return in_ <= inLimit_;
}

// Writes what is not yet written; with `keepHistory`, moves the last 32 KiB to the front.
bool Inflater::FlushOutput(bool keepHistory) {
  if (out_ > flushed_ && !sink_->Write(flushed_, static_cast<uint32_t>(out_ - flushed_))) return false;
  flushed_ = out_;
  if (!keepHistory) return true;
  const uint32_t keep = std::min<uint32_t>(kHistorySize, static_cast<uint32_t>(out_ - output_.get()));
  std::memmove(output_.get(), out_ - keep, keep);
  out_ = flushed_ = output_.get() + keep;
  return true;
}

}  // namespace ziplib
