#pragma once
// Bounds-checked little-endian reading and writing of zip headers. A reader
// that runs past its end stays failed: every later read yields 0 and ok()
// stays false, so a header is decoded whole and checked once.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qeb::zip {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  // `count` raw bytes, or an empty text once failed.
  std::string Text(size_t count) {
    if (!Has(count)) return {};
    std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), count);
    at_ += count;
    return text;
  }
  void Skip(size_t count) {
    if (Has(count)) at_ += count;
  }

  bool ok() const { return ok_; }
  size_t position() const { return at_; }
  size_t remaining() const { return ok_ ? bytes_.size() - at_ : 0; }

 private:
  bool Has(size_t count) {
    if (ok_ && count <= bytes_.size() - at_) return true;
    ok_ = false;
    return false;
  }
  uint64_t Take(size_t count) {
    if (!Has(count)) return 0;
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= uint64_t{bytes_[at_ + i]} << (8 * i);
    at_ += count;
    return value;
  }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void U8(uint8_t value) { Put(value, 1); }
  void U16(uint16_t value) { Put(value, 2); }
  void U32(uint32_t value) { Put(value, 4); }
  void Text(const std::string& text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  void Put(uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace qeb::zip
