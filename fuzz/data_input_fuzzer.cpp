// SPDX-License-Identifier: Apache-2.0
// The data input stream over a byte array: a script at the front of the input picks a sequence of
// reads, skips, marks and resets that run over the rest of the input. Every typed read either
// gives the big-endian value of the bytes at the stream's position and moves past them, or fails
// with an exception when too few bytes are left. decodeUTF gets a text of its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "stream/array.h"
#include "stream/byte_array_input_stream.h"
#include "stream/data_input_stream.h"
#include "stream/exceptions.h"
#include "stream/modified_utf8.h"

namespace {

using torv::fuzz::FuzzInput;

class Run {
 public:
  explicit Run(std::vector<std::uint8_t> bytes)
      : bytes_(std::move(bytes)),
        in_(new CJByteArrayInputStream(reinterpret_cast<char*>(bytes_.data()), static_cast<int>(bytes_.size()), 0), 1) {
  }

  void step(FuzzInput& script) {
    const std::size_t before = position();
    switch (script.byte() % 15) {
      case 11: {
        // An array read of a length and offset chosen by the script, checked element access.
        CJArray<char> array(script.byte() % 24);
        const int offset = static_cast<int>(script.byte() % 32) - 4;
        const int length = static_cast<int>(script.byte() % 32) - 4;
        // An empty read touches nothing, so its offset does not matter.
        const bool inRange = length == 0 || (offset >= 0 && length >= 0 && offset + length <= array.length);
        if (attempt([&] { in_.readFully(array, offset, length); })) {
          FUZZ_CHECK(inRange && before + static_cast<std::size_t>(length) <= bytes_.size());
          FUZZ_CHECK(position() == before + static_cast<std::size_t>(length));
          FUZZ_CHECK(length == 0 ||
                     std::memcmp(array.data + offset, bytes_.data() + before, static_cast<std::size_t>(length)) == 0);
        }
        break;
      }
      case 12: {
        CJArray<char>* rest = nullptr;
        FUZZ_CHECK(attempt([&] { rest = in_.toRemainingByteArray(); }));
        FUZZ_CHECK(rest != nullptr && rest->length == static_cast<int>(bytes_.size() - before));
        FUZZ_CHECK(rest->length == 0 ||
                   std::memcmp(rest->data, bytes_.data() + before, static_cast<std::size_t>(rest->length)) == 0);
        delete rest;
        FUZZ_CHECK(position() == before);
        break;
      }
      case 13: {
        char* at = nullptr;
        int left = -1;
        FUZZ_CHECK(attempt([&] {
          at = in_.getCurrentPointer();
          left = in_.getBufferRemaining();
        }));
        FUZZ_CHECK(bytes_.empty() || at == reinterpret_cast<char*>(bytes_.data()) + before);
        FUZZ_CHECK(left == static_cast<int>(bytes_.size() - before));
        break;
      }
      case 14:
        expectValue(
            1, [&] { return static_cast<std::uint64_t>(in_.readBoolean() != 0); }, true);
        break;
      case 0:
        expectValue(4, [&] { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(in_.readInt())); });
        break;
      case 1:
        expectValue(8, [&] { return static_cast<std::uint64_t>(in_.readLong()); });
        break;
      case 2:
        expectValue(2, [&] { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(in_.readShort())); });
        break;
      case 3:
        expectValue(1, [&] { return static_cast<std::uint64_t>(static_cast<std::uint8_t>(in_.readByte())); });
        break;
      case 4: {
        // A 16-bit length; FF FF announces a 32-bit length after it.
        std::size_t header = 2;
        std::uint64_t declared = before + 2 <= bytes_.size() ? bigEndian(before, 2) : 0;
        if (declared == 0xFFFF) {
          header = 6;
          declared = before + 6 <= bytes_.size() ? bigEndian(before + 2, 4) : 0;
        }
        std::string text;
        if (attempt([&] { text = in_.readUTF(); })) {
          FUZZ_CHECK(before + header + declared <= bytes_.size());
          FUZZ_CHECK(position() == before + header + declared);
          FUZZ_CHECK(text.size() <= declared);
        } else {
          FUZZ_CHECK(before + header > bytes_.size() || declared > 0x7FFFFFFF ||
                     before + header + declared > bytes_.size() || declared > 0);
        }
        break;
      }
      case 5: {
        std::string text;
        if (attempt([&] { text = in_.readString(); })) {
          FUZZ_CHECK(before + 4 <= bytes_.size());
          const std::int32_t count = static_cast<std::int32_t>(bigEndian(before, 4));
          if (count == -1) {
            FUZZ_CHECK(text == "<NULL>" && position() == before + 4);
          } else {
            FUZZ_CHECK(count >= 0);
            FUZZ_CHECK(position() == before + 4 + 2 * static_cast<std::size_t>(count));
            FUZZ_CHECK(text.size() <= static_cast<std::size_t>(count));
          }
        }
        break;
      }
      case 6: {
        const long long n = script.interestingInt();
        long long skipped = -1;
        if (attempt([&] { skipped = in_.skip(n); })) {
          const long long left = static_cast<long long>(bytes_.size() - before);
          FUZZ_CHECK(skipped == (n <= 0 ? 0 : (n < left ? n : left)));
          FUZZ_CHECK(position() == before + static_cast<std::size_t>(skipped));
        }
        break;
      }
      case 7:
        if (attempt([&] { in_.mark(script.interestingInt()); })) marked_ = before;
        break;
      case 8:
        if (attempt([&] { in_.reset(); })) FUZZ_CHECK(position() == marked_);
        break;
      case 9: {
        const int length = static_cast<int>(script.byte()) - 16;
        std::vector<char> buffer(8 + static_cast<std::size_t>(length > 0 ? length : 0));
        int n = 0;
        if (attempt([&] { n = in_.read(buffer.data(), 8, length); })) {
          if (length <= 0) {
            FUZZ_CHECK(n <= 0);
          } else if (before == bytes_.size()) {
            FUZZ_CHECK(n == -1);
          } else {
            FUZZ_CHECK(n > 0 && n <= length && position() == before + static_cast<std::size_t>(n));
            FUZZ_CHECK(std::memcmp(buffer.data() + 8, bytes_.data() + before, static_cast<std::size_t>(n)) == 0);
          }
        }
        break;
      }
      default: {
        int n = 0;
        if (attempt([&] { n = in_.readUnsignedShort(); })) {
          FUZZ_CHECK(before + 2 <= bytes_.size() && static_cast<std::uint64_t>(n) == bigEndian(before, 2));
          FUZZ_CHECK(position() == before + 2);
        } else {
          FUZZ_CHECK(before + 2 > bytes_.size());
        }
        break;
      }
    }
    FUZZ_CHECK(position() <= bytes_.size());
  }

 private:
  std::size_t position() {
    int left = -1;
    FUZZ_CHECK(attempt([&] { left = in_.available(); }));
    FUZZ_CHECK(left >= 0 && static_cast<std::size_t>(left) <= bytes_.size());
    return bytes_.size() - static_cast<std::size_t>(left);
  }

  std::uint64_t bigEndian(std::size_t at, int width) const {
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) v = v << 8 | bytes_[at + static_cast<std::size_t>(i)];
    return v;
  }

  // A fixed-width read succeeds exactly when its bytes are there, and gives their value.
  template <typename Read>
  void expectValue(int width, Read read, bool truth = false) {
    const std::size_t before = position();
    std::uint64_t value = 0;
    if (attempt([&] { value = read(); })) {
      FUZZ_CHECK(before + static_cast<std::size_t>(width) <= bytes_.size());
      FUZZ_CHECK(value == (truth ? bigEndian(before, width) != 0 : bigEndian(before, width)));
      FUZZ_CHECK(position() == before + static_cast<std::size_t>(width));
    } else {
      FUZZ_CHECK(before + static_cast<std::size_t>(width) > bytes_.size());
    }
  }

  template <typename Operation>
  static bool attempt(Operation operation) {
    try {
      operation();
      return true;
    } catch (const CZException&) {
      return false;
    }
  }

  std::vector<std::uint8_t> bytes_;
  CJDataInputStream in_;
  std::size_t marked_ = 0;
};

// Any 8-bit text without a zero survives encodeUTF and decodeUTF unchanged.
void roundTripText(const std::string& text) {
  char* encoded = nullptr;
  try {
    encoded = encodeUTF(text);
  } catch (const CZException&) {
    ::torv::fuzz::checkFailed("encodeUTF refused a short text", __FILE__, __LINE__);
  }
  try {
    FUZZ_CHECK(decodeUTF(encoded) == text);
  } catch (const CZException&) {
    ::torv::fuzz::checkFailed("decodeUTF refused what encodeUTF wrote", __FILE__, __LINE__);
  }
  delete[] encoded;
}

void decodeText(const std::string& text) {
  try {
    const std::string decoded = decodeUTF(text.c_str());
    // Plain ASCII is its own modified UTF-8 form.
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii) FUZZ_CHECK(decoded == text);
    FUZZ_CHECK(decoded.size() <= text.size());
  } catch (const CZException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::string text = input.text(255);
  decodeText(text.substr(0, text.find('\0')));
  roundTripText(text.substr(0, text.find('\0')));
  const std::vector<std::uint8_t> scriptBytes = input.bytes(64);
  Run run(input.rest());
  FuzzInput script(scriptBytes.data(), scriptBytes.size());
  while (!script.empty()) run.step(script);
  return 0;
}
