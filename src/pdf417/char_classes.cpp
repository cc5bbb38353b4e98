// SPDX-License-Identifier: Apache-2.0
#include "pdf417/char_classes.h"

namespace torv::pdf417 {
namespace {

// Sub-mode tables: a character's value is its index. '\x01' marks the Mixed placeholder
// at 25, which no input byte reaches.
constexpr char kAlphaTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ ";
constexpr char kLowerTable[] = "abcdefghijklmnopqrstuvwxyz ";
constexpr char kMixedTable[] = "0123456789&\r\t,:#-.$/+%*=^\x01 ";
constexpr char kPunctTable[] = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'";

struct Tables {
  std::array<std::uint8_t, 256> classes{};
  std::array<std::array<std::uint8_t, 256>, 4> values{};
};

constexpr void addTable(Tables& t, const char* table, unsigned length, std::uint8_t bit, unsigned subMode) {
  for (unsigned v = 0; v < length; ++v) {
    const auto b = static_cast<std::uint8_t>(table[v]);
    if (b == 0x01) continue;
    t.classes[b] |= bit;
    t.values[subMode][b] = static_cast<std::uint8_t>(v);
  }
}

constexpr Tables makeTables() {
  Tables t{};
  addTable(t, kAlphaTable, sizeof kAlphaTable - 1, kAlpha, SubAlpha);
  addTable(t, kLowerTable, sizeof kLowerTable - 1, kLower, SubLower);
  addTable(t, kMixedTable, sizeof kMixedTable - 1, kMixed, SubMixed);
  addTable(t, kPunctTable, sizeof kPunctTable - 1, kPunct, SubPunct);
  for (unsigned d = '0'; d <= '9'; ++d) t.classes[d] |= kDigit;
  return t;
}

constexpr Tables kTables = makeTables();

static_assert(sizeof kMixedTable - 1 == 27 && sizeof kPunctTable - 1 == 29, "sub-mode table sizes");

}  // namespace

const std::array<std::uint8_t, 256> kCharClass = kTables.classes;
const std::array<std::array<std::uint8_t, 256>, 4> kSubModeValue = kTables.values;

}  // namespace torv::pdf417
