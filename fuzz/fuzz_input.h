// SPDX-License-Identifier: Apache-2.0
// Reads the decisions of one fuzz run from its input bytes, front to back. Once the bytes are used
// up every read gives zeros, so a short input still drives a complete, well-defined run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace torv::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t remaining() const { return size_ - position_; }
  bool empty() const { return position_ >= size_; }

  std::uint8_t byte() { return empty() ? 0 : data_[position_++]; }
  bool flag() { return (byte() & 1) != 0; }

  std::uint16_t u16() {
    const std::uint16_t high = byte();
    return static_cast<std::uint16_t>((high << 8) | byte());
  }
  std::uint32_t u32() {
    const std::uint32_t high = u16();
    return (high << 16) | u16();
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

  // A value in 0 .. bound - 1 (bound > 0).
  unsigned below(unsigned bound) { return bound <= 256 ? byte() % bound : u16() % bound; }

  // Mostly small values, now and then the edges of the 32-bit range.
  std::int32_t interestingInt() {
    switch (byte() % 8) {
      case 0:
        return 0;
      case 1:
        return -1;
      case 2:
        return INT32_MIN;
      case 3:
        return INT32_MAX;
      case 4:
        return i32();
      default:
        return static_cast<std::int32_t>(byte());
    }
  }

  // Up to maxLength bytes: a length byte, then that many bytes (fewer when the input ends).
  std::vector<std::uint8_t> bytes(std::size_t maxLength) {
    std::size_t n = below(static_cast<unsigned>(maxLength + 1));
    if (n > remaining()) n = remaining();
    std::vector<std::uint8_t> out(data_ + position_, data_ + position_ + n);
    position_ += n;
    return out;
  }
  std::string text(std::size_t maxLength) {
    const std::vector<std::uint8_t> b = bytes(maxLength);
    return std::string(b.begin(), b.end());
  }

  // Everything that is left.
  std::vector<std::uint8_t> rest() {
    std::vector<std::uint8_t> out(data_ + position_, data_ + size_);
    position_ = size_;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace torv::fuzz

// A broken property: report it the way a sanitizer reports memory faults, so the fuzzer keeps the
// input and the replay test fails.
#define FUZZ_CHECK(condition)                                                    \
  do {                                                                           \
    if (!(condition)) ::torv::fuzz::checkFailed(#condition, __FILE__, __LINE__); \
  } while (0)

namespace torv::fuzz {
[[noreturn]] void checkFailed(const char* condition, const char* file, int line);
}
