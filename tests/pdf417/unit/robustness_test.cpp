// SPDX-License-Identifier: Apache-2.0
// Any data under any option values: only the documented results, and every symbol that is
// written is complete and consistent with the size query.
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pdf417/ecc_rules.h"
#include "pdf417/reed_solomon.h"
#include "test_support.h"

namespace torv::pdf417 {
namespace {

std::string randomRatio(std::mt19937& random) {
  static const char* texts[] = {"1:2", "3",       "25:1", "1:25",  "0:1", ".5:1", "99.99:0.01", "abc",   "",
                                ":",   "7.123:3", "2:1",  "100:1", "1.5", "10:1", "1:10",       "4:3:2", "0.01:99.99"};
  return texts[random() % (sizeof texts / sizeof texts[0])];
}

int randomInt(std::mt19937& random) {
  switch (random() % 4) {
    case 0:
      return static_cast<int>(random() % 100);
    case 1:
      return static_cast<int>(random() % 10) - 3;
    case 2:
      return static_cast<int>(random());
    default:
      return 65536 + static_cast<int>(random() % 40);
  }
}

unsigned evaluate(const std::vector<int>& sequence, unsigned x) {
  unsigned acc = 0;
  for (int c : sequence) acc = (acc * x + static_cast<unsigned>(c)) % 929;
  return acc;
}

TEST(Robustness, AnyDataUnderAnyOptions) {
  Encoder enc;
  std::mt19937 random(929);
  const std::set<int> encodeResults = {1, PDF417_ERR_TOO_LONG, PDF417_ERR_NO_ROOM};
  const std::set<int> writeResults = {0, PDF417_ERR_NO_ARRANGEMENT, PDF417_ERR_WRITER};
  int written = 0;
  for (int i = 0; i < 400; ++i) {
    enc.reset();
    for (int calls = static_cast<int>(random() % 8); calls > 0; --calls) {
      switch (random() % 6) {
        case 0:
          enc.setEccLevel(randomInt(random));
          break;
        case 1:
          enc.setSizingMode(static_cast<int>(random() % 3));
          break;
        case 2:
          enc.setRowsColumns(randomInt(random), randomInt(random));
          break;
        case 3:
          enc.setAspectRatio(randomRatio(random).c_str());
          break;
        case 4:
          enc.setRowHeightRatio(randomRatio(random).c_str());
          break;
        default:
          enc.setBitmapWriter(randomInt(random) % 24, random() % 2 == 0);
          break;
      }
    }
    std::string data(random() % 3000, '\0');
    const int alphabet = static_cast<int>(random() % 4);
    for (char& ch : data) {
      ch = alphabet == 0   ? static_cast<char>(random() % 256)
           : alphabet == 1 ? static_cast<char>('0' + random() % 10)
           : alphabet == 2 ? static_cast<char>(32 + random() % 95)
                           : "a1 ,\x80"[random() % 5];
    }
    // The stream holds exactly the data: any read beyond it would be caught by the sanitizer.
    std::vector<char> exact(data.begin(), data.end());
    Pdf417Stream in;
    pdf417OpenMemory(&in, PDF417_STREAM_INPUT, exact.data(), static_cast<std::uint32_t>(exact.size()));
    const int encoded = enc.encode(&in, static_cast<std::int32_t>(exact.size()));
    ASSERT_TRUE(encodeResults.count(encoded)) << encoded;
    if (encoded != 1) {
      EXPECT_FALSE((enc.message() != nullptr));
      continue;
    }
    std::int32_t size = -1;
    const int queried = enc.write(nullptr, &size);
    ASSERT_TRUE(queried == 0 || queried == PDF417_ERR_NO_ARRANGEMENT) << queried;
    if (queried != 0) continue;
    const Symbol& l = enc.symbol();
    ASSERT_GE(l.rows, 3);
    ASSERT_LE(l.rows, 90);
    ASSERT_GE(l.columns, 1);
    ASSERT_LE(l.columns, 30);
    ASSERT_LE(l.rows * l.columns, 928);
    const std::vector<int> sequence = test::fullSequence(enc);
    ASSERT_EQ(sequence[0], l.dataCount + l.padCount);
    for (int c : sequence) ASSERT_LT(c, 929);
    for (unsigned k = 1; k <= eccCodewordCount(l.eccLevel); ++k) ASSERT_EQ(evaluate(sequence, gfPow3(k)), 0u);

    // A buffer of random size: the write fits exactly or is refused without overrun.
    const auto full = static_cast<std::uint32_t>(size);
    const std::uint32_t shortBy = random() % 2 ? 0 : std::min<std::uint32_t>(full, random() % 200);
    const std::uint32_t capacity = full - shortBy;
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(size) + 16, 0x5A);
    Pdf417Stream out;
    pdf417OpenMemory(&out, PDF417_STREAM_OUTPUT, memory.data(), capacity);
    std::int32_t count = -1;
    const int rc = enc.write(&out, &count);
    ASSERT_TRUE(writeResults.count(rc)) << rc;
    if (capacity >= static_cast<std::uint32_t>(size)) {
      ASSERT_EQ(rc, 0);
      ASSERT_EQ(count, size);
      ++written;
    } else {
      ASSERT_EQ(rc, PDF417_ERR_WRITER);
      ASSERT_EQ(count, -1);
    }
    for (std::size_t j = capacity; j < memory.size(); ++j) ASSERT_EQ(memory[j], 0x5A);
  }
  EXPECT_GT(written, 20);
}

}  // namespace
}  // namespace torv::pdf417
