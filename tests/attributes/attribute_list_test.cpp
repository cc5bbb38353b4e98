// SPDX-License-Identifier: Apache-2.0
#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "attributes/CJTorvAttributeList.h"
#include "attributes/NameIndex.h"
#include "caught.h"
#include "list_entries.h"
#include "scripted_host.h"
#include "stream/byte_array_input_stream.h"
#include "stream/byte_array_output_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"

namespace torv::testing {
namespace {

// Every name must be found at its position: the index agrees with the sequences.
void expectIndexConsistent(const CJTorvAttributeList& list) {
  for (int i = 0; i < list.size(); ++i) {
    std::string value;
    ASSERT_EQ(list.find(list.getName(i), value), i);
    ASSERT_EQ(value, list.getValue(i));
  }
}

std::string written(const CJTorvAttributeList& list) {
  CJByteArrayOutputStream memory;
  CJDataOutputStream data(&memory, 0);
  list.write(&data);
  return memory.toString();
}

// Parses bytes into list; returns how many bytes were left unread.
int readFrom(const std::string& bytes, CJTorvAttributeList& list) {
  std::string copy = bytes;
  CJByteArrayInputStream memory(copy.data(), static_cast<int>(copy.size()), 0);
  CJDataInputStream data(&memory, 0);
  list.read(&data);
  return memory.available();
}

CJTorvAttributeList listOf(const Entries& entries) {
  CJTorvAttributeList list;
  for (const auto& [name, value] : entries) list.put(name, value);
  return list;
}

TEST(CJTorvAttributeList, KeepsTheOrderOfFirstArrival) {
  CJTorvAttributeList list = listOf({{"b", "1"}, {"a", "2"}, {"c", ""}});
  EXPECT_EQ(entriesOf(list), (Entries{{"b", "1"}, {"a", "2"}, {"c", ""}}));
  std::string value;
  EXPECT_EQ(list.find("a", value), 1);
  EXPECT_EQ(value, "2");
  EXPECT_EQ(list.getValue(std::string("c")), "");
}

TEST(CJTorvAttributeList, PutOfAnExistingNameReplacesTheValueInPlace) {
  CJTorvAttributeList list = listOf({{"x", "1"}, {"y", "2"}, {"z", "3"}});
  list.put("y", "new");
  EXPECT_EQ(list.size(), 3);
  EXPECT_EQ(list.toString(), "x -> 1\ny -> new\nz -> 3\n");
}

TEST(CJTorvAttributeList, NamesCompareExactly) {
  CJTorvAttributeList list = listOf({{"Name", "1"}, {"name", "2"}, {"name ", "3"}});
  EXPECT_EQ(list.size(), 3);
  EXPECT_EQ(list.getValue(std::string("name")), "2");
  std::string value = "stale";
  EXPECT_EQ(list.find("NAME", value), -1);
  EXPECT_EQ(value, "");
  EXPECT_EQ(list.getValue(std::string("NAME")), "");
}

TEST(CJTorvAttributeList, PositionalAccessOutsideTheListFails) {
  CJTorvAttributeList empty;
  CJTorvAttributeList list = listOf({{"a", "1"}, {"b", "2"}});
  for (Caught c :
       {caught([&] { list.getName(2); }), caught([&] { list.getName(-1); }), caught([&] { empty.getName(0); })}) {
    EXPECT_EQ(c.kind, "CZException");
    EXPECT_EQ(c.message, "out of index bound. CJTorvAttributeList::getName");
  }
  Caught c = caught([&] { list.getValue(2); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, "out of index bound. CJTorvAttributeList::getValue");
  EXPECT_EQ(list.size(), 2);
}

TEST(CJTorvAttributeList, RemoveClosesTheGapAndRepairsTheIndex) {
  CJTorvAttributeList list = listOf({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  list.remove("absent");
  EXPECT_EQ(list.size(), 3);
  list.remove("a");
  EXPECT_EQ(entriesOf(list), (Entries{{"b", "2"}, {"c", "3"}}));
  std::string value;
  EXPECT_EQ(list.find("b", value), 0);
  EXPECT_EQ(list.find("c", value), 1);
  EXPECT_EQ(list.find("a", value), -1);
  list.put("a", "4");  // comes back at the end
  EXPECT_EQ(list.find("a", value), 2);
  list.removeAll();
  EXPECT_EQ(list.size(), 0);
  EXPECT_EQ(list.find("b", value), -1);
  EXPECT_EQ(list.toString(), "");
}

// Random puts and removes against a plain vector of pairs: small name sets keep the table
// crowded with removals, large ones make it grow and wrap around.
void checkAgainstModel(unsigned names, int steps, unsigned seed, bool varyLengths = false) {
  std::mt19937 random(seed);
  CJTorvAttributeList list;
  Entries model;
  for (int step = 0; step < steps; ++step) {
    const std::string name = "n" + std::to_string(random() % names);
    auto it = std::find_if(model.begin(), model.end(), [&](const auto& e) { return e.first == name; });
    if (random() % 3 == 0) {
      list.remove(name);
      if (it != model.end()) model.erase(it);
    } else {
      // Values that grow and shrink: replaced texts pile up over several blocks until the list
      // packs them.
      const std::string value = std::to_string(step) + std::string(varyLengths ? random() % 600 : 0, '.');
      list.put(name, value);
      if (it != model.end())
        it->second = value;
      else
        model.emplace_back(name, value);
    }
  }
  EXPECT_EQ(entriesOf(list), model);
  expectIndexConsistent(list);
  if (varyLengths) {
    // The texts arrive over several blocks as well.
    CJTorvAttributeList back;
    readFrom(written(list), back);
    EXPECT_EQ(entriesOf(back), model);
    expectIndexConsistent(back);
  }
  for (unsigned i = 0; i < names; ++i) {
    const std::string name = "n" + std::to_string(i);
    const bool inModel = std::any_of(model.begin(), model.end(), [&](const auto& e) { return e.first == name; });
    std::string value;
    EXPECT_EQ(list.find(name, value) >= 0, inModel) << name;
  }
}

TEST(CJTorvAttributeList, AgreesWithASimpleModelUnderRandomEdits) {
  checkAgainstModel(60, 3000, 7);
  checkAgainstModel(2000, 12000, 11);
  checkAgainstModel(300, 12000, 13, true);
}

TEST(CJTorvAttributeList, PutAllMergesEntryByEntry) {
  CJTorvAttributeList list = listOf({{"a", "1"}, {"b", "2"}});
  CJTorvAttributeList other = listOf({{"c", "3"}, {"a", "9"}});
  list.putAll(other);
  EXPECT_EQ(entriesOf(list), (Entries{{"a", "9"}, {"b", "2"}, {"c", "3"}}));
  CJTorvAttributeList& same = (list += listOf({{"d", "4"}}));
  EXPECT_EQ(&same, &list);
  list.putAll(list);
  EXPECT_EQ(list.size(), 4);
  expectIndexConsistent(list);
}

TEST(CJTorvAttributeList, CopiesAreIndependent) {
  CJTorvAttributeList original = listOf({{"a", "1"}, {"b", "2"}});
  CJTorvAttributeList copy(original);
  copy.put("a", "changed");
  copy.remove("b");
  EXPECT_EQ(entriesOf(original), (Entries{{"a", "1"}, {"b", "2"}}));
  CJTorvAttributeList assigned;
  assigned.put("z", "0");
  assigned = original;
  EXPECT_EQ(entriesOf(assigned), entriesOf(original));
  expectIndexConsistent(assigned);

  // A list merged whole into an empty one, then changed or read over on either side.
  CJTorvAttributeList handedOn;
  handedOn.putAll(original);
  original.put("c", "3");
  readFrom(written(listOf({{"x", "1"}})), assigned);
  EXPECT_EQ(entriesOf(handedOn), (Entries{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(entriesOf(original), (Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
  EXPECT_EQ(entriesOf(assigned), (Entries{{"x", "1"}}));
  handedOn.removeAll();
  EXPECT_EQ(original.size(), 3);
  expectIndexConsistent(original);
}

// A server that knew the hash could send names that all share one probe run and make every put
// scan them all. Names crafted to share one slot of 2^12 under one key must scatter under the key
// this process drew, and the list must stay correct under the crafted key. (A small table keeps
// the search short; the bench crafts 20,000 names for a 2^15-slot index.)
TEST(CJTorvAttributeList, NamesCraftedForOneKeyScatterUnderTheProcessKey) {
  using torv::attributes::NameHashKey;
  using torv::attributes::NameIndex;
  constexpr std::uint64_t kSlotMask = (1u << 12) - 1;
  const NameHashKey crafting{0x5eed, 0xc0ffee};
  std::vector<std::string> crafted;
  for (int counter = 0; crafted.size() < 16; ++counter) {
    const std::string name = "n" + std::to_string(counter);
    if ((NameIndex::keyedHash(name, crafting) & kSlotMask) == 0) crafted.push_back(name);
  }

  const NameHashKey processKey = NameIndex::fixKey(crafting);
  {
    CJTorvAttributeList list;
    for (const std::string& name : crafted) list.put(name, name);
    list.remove(crafted[3]);
    expectIndexConsistent(list);
  }
  NameIndex::fixKey(processKey);

  std::vector<std::uint32_t> slots;
  for (const std::string& name : crafted) slots.push_back(NameIndex::hashOf(name) & kSlotMask);
  std::sort(slots.begin(), slots.end());
  std::size_t mostInOneSlot = 0;
  for (auto run = slots.begin(); run != slots.end();) {
    const auto end = std::upper_bound(run, slots.end(), *run);
    mostInOneSlot = std::max(mostInOneSlot, static_cast<std::size_t>(end - run));
    run = end;
  }
  EXPECT_LE(mostInOneSlot, 4u);  // 16 random slots of 2^12: five in one is a 1-in-10^7 event
}

TEST(CJTorvAttributeListWire, EmptyListIsFourZeroBytes) {
  EXPECT_EQ(written(CJTorvAttributeList()), std::string(4, '\0'));
}

TEST(CJTorvAttributeListWire, TheOneEntryExample) {
  const std::string example("\x00\x00\x00\x01\x00\x00\x00\x01\x00\x41\x00\x00\x00\x01\x00\x42", 16);
  EXPECT_EQ(written(listOf({{"A", "B"}})), example);
  CJTorvAttributeList list;
  EXPECT_EQ(readFrom(example, list), 0);
  EXPECT_EQ(entriesOf(list), (Entries{{"A", "B"}}));
  EXPECT_EQ(written(list), example);
}

TEST(CJTorvAttributeListWire, TextsTravelAsUtf16OfTheCodePage) {
  // Windows-1252: E9 is U+00E9, 80 is U+20AC.
  CJTorvAttributeList list = listOf({{"caf\xE9", "\x80"}});
  std::string expected;
  appendInt(expected, 1);
  appendText(expected, u"caf\u00E9");
  appendText(expected, u"\u20AC");
  EXPECT_EQ(written(list), expected);
  CJTorvAttributeList back;
  readFrom(expected, back);
  EXPECT_EQ(entriesOf(back), entriesOf(list));
}

TEST(CJTorvAttributeListWire, ACountOfZeroOrLessReadsNothingMore) {
  for (int count : {0, -1, -5}) {
    std::string bytes;
    appendInt(bytes, count);
    bytes += "trailing";
    CJTorvAttributeList list = listOf({{"old", "1"}});
    EXPECT_EQ(readFrom(bytes, list), 8) << count;
    EXPECT_EQ(list.size(), 0);
  }
}

TEST(CJTorvAttributeListWire, DuplicateNamesKeepTheFirstPositionAndTheLastValue) {
  const std::string bytes = wireList({{"k", "1"}, {"other", "x"}, {"k", "2"}});
  CJTorvAttributeList list;
  readFrom(bytes, list);
  EXPECT_EQ(entriesOf(list), (Entries{{"k", "2"}, {"other", "x"}}));
  std::string out = written(list);
  EXPECT_EQ(out.substr(0, 4), std::string("\x00\x00\x00\x02", 4));
}

TEST(CJTorvAttributeListWire, RepeatedNamesCloseUpAndStayFoundAlsoWhenTheInputEndsEarly) {
  // Entries behind a repeated name move up; the index must follow them, also when the
  // input ends (a count of 7 for six entries) and the list keeps what arrived.
  const Entries sent{{"k", "1"}, {"a", "x"}, {"k", "2"}, {"b", "y"}, {"a", "z"}, {"c", "w"}};
  const Entries kept{{"k", "2"}, {"a", "z"}, {"b", "y"}, {"c", "w"}};
  for (const bool endsEarly : {false, true}) {
    std::string bytes = wireList(sent);
    if (endsEarly) bytes[3] = 7;
    CJTorvAttributeList list;
    if (endsEarly) {
      EXPECT_EQ(caught([&] { readFrom(bytes, list); }).kind, "CJIOException");
    } else {
      readFrom(bytes, list);
    }
    EXPECT_EQ(entriesOf(list), kept);
    for (std::size_t i = 0; i < kept.size(); ++i) {
      std::string value;
      EXPECT_EQ(list.find(kept[i].first, value), static_cast<int>(i));
      EXPECT_EQ(value, kept[i].second);
    }
  }
}

TEST(CJTorvAttributeListWire, ACountOfMinusOneReadsAsNull) {
  std::string bytes;
  appendInt(bytes, 1);
  appendText(bytes, u"name");
  appendInt(bytes, -1);
  CJTorvAttributeList list;
  readFrom(bytes, list);
  EXPECT_EQ(list.getValue(std::string("name")), "<NULL>");
}

TEST(CJTorvAttributeListWire, ACountBelowMinusOneIsRefused) {
  std::string bytes;
  appendInt(bytes, 2);
  appendText(bytes, u"a");
  appendText(bytes, u"1");
  appendInt(bytes, -2);
  CJTorvAttributeList list;
  Caught c = caught([&] { readFrom(bytes, list); });
  EXPECT_EQ(c.kind, "CJIOException");
  EXPECT_EQ(c.message, "A malformed string has been read in a data input stream.");
  EXPECT_EQ(entriesOf(list), (Entries{{"a", "1"}}));  // what was read before stays
}

TEST(CJTorvAttributeListWire, ShortInputFailsAndKeepsWhatArrived) {
  // A count far beyond the data that follows must neither allocate for it nor succeed.
  std::string bytes;
  appendInt(bytes, 0x7FFFFFFF);
  appendText(bytes, u"a");
  appendText(bytes, u"1");
  appendText(bytes, u"b");
  CJTorvAttributeList list = listOf({{"old", "x"}});
  Caught c = caught([&] { readFrom(bytes, list); });
  EXPECT_EQ(c.kind, "CJIOException");
  EXPECT_EQ(entriesOf(list), (Entries{{"a", "1"}}));
}

TEST(CJTorvAttributeListWire, WriteReadRoundTripOfManyEntries) {
  CJTorvAttributeList list;
  for (int i = 0; i < 500; ++i) list.put("name" + std::to_string(i), std::string(i % 7, 'v'));
  CJTorvAttributeList back;
  EXPECT_EQ(readFrom(written(list), back), 0);
  EXPECT_EQ(entriesOf(back), entriesOf(list));
  expectIndexConsistent(back);
}

}  // namespace
}  // namespace torv::testing
