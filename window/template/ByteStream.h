// Little-endian byte streams over the template region and its property blocks.
// Host-neutral (no Win32). A reader fails sticky: after the first short read every later read
// returns zero or empty and ok() stays false, so a record reader checks once at its end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tmpl {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  bool ok() const { return ok_; }
  size_t position() const { return pos_; }
  size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
  bool atEnd() const { return ok_ && pos_ == size_; }
  void fail() { ok_ = false; }

  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
                 uint32_t(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
  }
  int32_t I32() { return int32_t(U32()); }
  uint16_t U16() {
    if (!Need(2)) return 0;
    uint16_t v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  std::string Bytes(size_t n) {
    if (!Need(n) || n == 0) return std::string();
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  bool Skip(size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
  }
  // block32 and text32: an int32 count, then that many bytes; a count of 0 or less is empty.
  std::string Block32() {
    int32_t n = I32();
    return n > 0 ? Bytes(size_t(n)) : std::string();
  }
  std::string Text32() { return Block32(); }
  // A zero-terminated text; the zero is consumed and not returned. Missing zero = short read.
  std::string CString() {
    if (!ok_ || pos_ >= size_) {
      ok_ = false;
      return std::string();
    }
    const void* zero = std::memchr(data_ + pos_, 0, size_ - pos_);
    if (!zero) {
      ok_ = false;
      return std::string();
    }
    size_t n = static_cast<const uint8_t*>(zero) - (data_ + pos_);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n + 1;
    return s;
  }
  const uint8_t* here() const { return data_ + pos_; }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  const uint8_t* data_;  // the bytes read; never read outside [data_, data_ + size_)
  size_t size_;          // their count
  size_t pos_ = 0;       // next byte to read
  bool ok_ = true;       // false after the first short read
};

class ByteWriter {
 public:
  void U32(uint32_t v) {
    char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out_.append(b, 4);
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void U16(uint16_t v) {
    char b[2] = {char(v), char(v >> 8)};
    out_.append(b, 2);
  }
  void Bytes(const std::string& s) { out_ += s; }
  void Block32(const std::string& s) {
    I32(int32_t(s.size()));
    out_ += s;
  }
  void Text32(const std::string& s) { Block32(s); }
  // The text up to its first zero byte, then the zero.
  void CString(const std::string& s) {
    out_.append(s.c_str());
    out_.push_back('\0');
  }
  // Patches a word written earlier (for length prefixes written before their payload).
  void PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = char(v >> (8 * i));
  }
  size_t size() const { return out_.size(); }
  std::string& str() { return out_; }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;  // the bytes written so far
};

}  // namespace tmpl
