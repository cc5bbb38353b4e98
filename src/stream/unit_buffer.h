// SPDX-License-Identifier: Apache-2.0
// UTF-16 units of one text on their way between the wire and an 8-bit string. Unlike a
// std::u16string it grows without clearing the new room, and it is kept between texts so
// that a stream converts without allocating once it has seen its longest text.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

namespace torv::stream {

class UnitBuffer {
 public:
  char16_t* data() { return units_.get(); }
  const char16_t* data() const { return units_.get(); }
  std::size_t size() const { return size_; }
  void clear() { size_ = 0; }
  // Room for n units in all, keeping the ones held; returns the start.
  char16_t* reserve(std::size_t n) {
    if (n > capacity_) regrow(n);
    return units_.get();
  }
  void resize(std::size_t n) {
    reserve(n);
    size_ = n;
  }
  void push_back(char16_t u) {
    if (size_ == capacity_) regrow(capacity_ < 16 ? 16 : 2 * capacity_);
    units_[size_++] = u;
  }
  // Lets go of the room a long text needed; a short text's room stays for the next one.
  void trim() {
    if (capacity_ > kKept) {
      units_.reset();
      capacity_ = 0;
      size_ = 0;
    }
  }

 private:
  static constexpr std::size_t kKept = 64 * 1024;

  void regrow(std::size_t n) {
    std::unique_ptr<char16_t[]> bigger(new char16_t[n]);
    if (size_ > 0) std::memcpy(bigger.get(), units_.get(), size_ * sizeof(char16_t));
    units_ = std::move(bigger);
    capacity_ = n;
  }

  std::unique_ptr<char16_t[]> units_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace torv::stream
