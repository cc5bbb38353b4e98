// SPDX-License-Identifier: Apache-2.0
// The instance surface as a host sees it: factories, attribute texts and the saved record.
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "torvc_pdf417.h"

namespace {

const char16_t* const kNames[] = {u"PDF417_ROWNUM", u"PDF417_COLNUM", u"PDF417_ECC", u"PDF417_XSCALE",
                                  u"PDF417_YSCALE"};

struct InstanceDeleter {
  void operator()(TorvPdf417Comp* instance) const { DeleteInstance(instance); }
};
using Instance = std::unique_ptr<TorvPdf417Comp, InstanceDeleter>;

Instance newInstance() { return Instance(GetNewInstance()); }

std::u16string attr(TorvPdf417Comp* instance, const char16_t* name) {
  char16_t buffer[32];
  if (getAttr(instance, name, buffer, 32) != 1) return u"<refused>";
  return buffer;
}

std::vector<unsigned char> save(TorvPdf417Comp* instance) {
  int length = -1;
  unsigned char* block = writeMe(instance, &length);
  EXPECT_EQ(length, 20);
  std::vector<unsigned char> bytes(block, block + length);
  std::free(block);
  return bytes;
}

TEST(Attributes, NewInstanceHasTheDefaults) {
  Instance instance = newInstance();
  ASSERT_TRUE(instance);
  const char16_t* expected[] = {u"0", u"8", u"0", u"1", u"1"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(attr(instance.get(), kNames[i]), expected[i]);
    EXPECT_EQ(getAttrLength(instance.get(), kNames[i]), 2);
  }
}

TEST(Attributes, ListHasTheFiveNamesInOrder) {
  EXPECT_EQ(getAttrListLength(), 5);
  const char16_t* sentinel = u"untouched";
  std::vector<const char16_t*> names(9, sentinel);
  EXPECT_EQ(getAttrList(nullptr, names.data(), 3), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(std::u16string(names[i]), kNames[i]);
  for (int i = 3; i < 9; ++i) EXPECT_EQ(names[i], sentinel);

  names.assign(9, sentinel);
  EXPECT_EQ(getAttrList(nullptr, names.data(), 9), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(std::u16string(names[i]), kNames[i]);
  for (int i = 5; i < 9; ++i) EXPECT_EQ(names[i], sentinel);

  names.assign(9, sentinel);
  EXPECT_EQ(getAttrList(nullptr, names.data(), 0), 1);
  EXPECT_EQ(getAttrList(nullptr, names.data(), -1), 0);
  EXPECT_EQ(names[0], sentinel);
  EXPECT_EQ(getAttrList(nullptr, nullptr, 2), 0);
}

TEST(Attributes, SetParsesTheTextAndGetFormatsItFresh) {
  Instance instance = newInstance();
  EXPECT_EQ(setAttr(instance.get(), u"PDF417_ECC", u" -12ab"), 1);
  EXPECT_EQ(attr(instance.get(), u"PDF417_ECC"), u"-12");
  EXPECT_EQ(getAttrLength(instance.get(), u"PDF417_ECC"), 4);

  EXPECT_EQ(setAttr(instance.get(), u"PDF417_ROWNUM", u"garbage"), 1);  // stored as 0
  EXPECT_EQ(attr(instance.get(), u"PDF417_ROWNUM"), u"0");
  EXPECT_EQ(setAttr(instance.get(), u"PDF417_ROWNUM", nullptr), 1);
  EXPECT_EQ(attr(instance.get(), u"PDF417_ROWNUM"), u"0");

  // No value is validated when it is set.
  EXPECT_EQ(setAttr(instance.get(), u"PDF417_XSCALE", u"-2147483648"), 1);
  EXPECT_EQ(attr(instance.get(), u"PDF417_XSCALE"), u"-2147483648");
  EXPECT_EQ(getAttrLength(instance.get(), u"PDF417_XSCALE"), 12);
  // Each attribute is its own field.
  EXPECT_EQ(attr(instance.get(), u"PDF417_COLNUM"), u"8");
  EXPECT_EQ(attr(instance.get(), u"PDF417_YSCALE"), u"1");
}

TEST(Attributes, UnknownNamesAreRefusedAndChangeNothing) {
  Instance instance = newInstance();
  for (const char16_t* name : {u"pdf417_ecc", u"PDF417_EC", u"PDF417_ECC ", u"", u"PDF417_ECCX"}) {
    EXPECT_EQ(setAttr(instance.get(), name, u"5"), 0);
    EXPECT_EQ(getAttrLength(instance.get(), name), -1);
    char16_t buffer[8] = u"keep";
    EXPECT_EQ(getAttr(instance.get(), name, buffer, 8), 0);
    EXPECT_EQ(std::u16string(buffer), u"keep");
  }
  EXPECT_EQ(setAttr(instance.get(), nullptr, u"5"), 0);
  EXPECT_EQ(getAttrLength(instance.get(), nullptr), -1);
  EXPECT_EQ(save(instance.get()), save(newInstance().get()));
}

TEST(Attributes, GetNeedsRoomForTheTextAndItsTerminator) {
  Instance instance = newInstance();
  char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(getAttr(instance.get(), u"PDF417_COLNUM", buffer, 2), 1);
  EXPECT_EQ(std::u16string(buffer), u"8");

  setAttr(instance.get(), u"PDF417_COLNUM", u"10");
  char16_t small[4] = {u'x', u'x', u'x', 0};
  EXPECT_EQ(getAttr(instance.get(), u"PDF417_COLNUM", small, 2), 0);
  EXPECT_EQ(std::u16string(small), u"xxx");
  for (int length : {1, 0, -5}) EXPECT_EQ(getAttr(instance.get(), u"PDF417_COLNUM", small, length), 0);
  EXPECT_EQ(std::u16string(small), u"xxx");
  EXPECT_EQ(getAttr(instance.get(), u"PDF417_COLNUM", nullptr, 10), 0);
  EXPECT_EQ(getAttr(instance.get(), u"PDF417_COLNUM", small, 3), 1);
  EXPECT_EQ(std::u16string(small), u"10");
}

TEST(Attributes, CopiesAreIndependent) {
  Instance source = newInstance();
  setAttr(source.get(), u"PDF417_ROWNUM", u"12");
  Instance copy(GetCopyInstance(source.get()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(attr(copy.get(), u"PDF417_ROWNUM"), u"12");
  setAttr(copy.get(), u"PDF417_ROWNUM", u"13");
  EXPECT_EQ(attr(source.get(), u"PDF417_ROWNUM"), u"12");
  EXPECT_EQ(GetCopyInstance(nullptr), nullptr);
  DeleteInstance(nullptr);
}

TEST(SavedRecord, NewInstanceSavesTheDocumentedBytes) {
  const std::vector<unsigned char> expected = {0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(save(newInstance().get()), expected);
}

TEST(SavedRecord, ValuesAreBigEndianTwosComplement) {
  Instance instance = newInstance();
  setAttr(instance.get(), u"PDF417_ROWNUM", u"300");
  setAttr(instance.get(), u"PDF417_COLNUM", u"-1");
  setAttr(instance.get(), u"PDF417_ECC", u"-2147483648");
  setAttr(instance.get(), u"PDF417_XSCALE", u"2147483647");
  setAttr(instance.get(), u"PDF417_YSCALE", u"16909060");  // 0x01020304
  const std::vector<unsigned char> expected = {0x00, 0x00, 0x01, 0x2C, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x00,
                                               0x00, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04};
  const std::vector<unsigned char> saved = save(instance.get());
  EXPECT_EQ(saved, expected);

  Instance restored = newInstance();
  readMe(restored.get(), saved.data(), 20);
  EXPECT_EQ(attr(restored.get(), u"PDF417_ROWNUM"), u"300");
  EXPECT_EQ(attr(restored.get(), u"PDF417_COLNUM"), u"-1");
  EXPECT_EQ(attr(restored.get(), u"PDF417_ECC"), u"-2147483648");
  EXPECT_EQ(attr(restored.get(), u"PDF417_XSCALE"), u"2147483647");
  EXPECT_EQ(attr(restored.get(), u"PDF417_YSCALE"), u"16909060");
  EXPECT_EQ(save(restored.get()), saved);
}

#if defined(_WIN32)
// A host's vectored handler: it takes the plug-in's refusal, notes its argument and lets readMe
// return; any other exception goes on to the next handler.
LONG lastRefusedLength = 0;
int refusals = 0;
LONG CALLBACK takeRefusal(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (record->ExceptionCode != TORVC_PDF417_BAD_RECORD_EXCEPTION) return EXCEPTION_CONTINUE_SEARCH;
  ++refusals;
  lastRefusedLength = record->NumberParameters == 1 ? static_cast<LONG>(record->ExceptionInformation[0]) : -999;
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Whether the call raised the refusal with the length as its argument.
template <typename Call>
::testing::AssertionResult refused(Call call, int length) {
  PVOID handler = AddVectoredExceptionHandler(1, takeRefusal);
  const int before = refusals;
  call();
  RemoveVectoredExceptionHandler(handler);
  if (refusals != before + 1) return ::testing::AssertionFailure() << "no structured exception";
  if (lastRefusedLength != length) return ::testing::AssertionFailure() << "argument " << lastRefusedLength;
  return ::testing::AssertionSuccess();
}
#else
template <typename Call>
::testing::AssertionResult refused(Call call, int /*length*/) {
  try {
    call();
  } catch (const std::invalid_argument&) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no std::invalid_argument";
}
#endif

// Thrown on Linux; on Windows a structured exception that a host of any compiler can catch.
TEST(SavedRecord, WrongLengthIsRefusedAndChangesNothing) {
  Instance instance = newInstance();
  setAttr(instance.get(), u"PDF417_ECC", u"5");
  const std::vector<unsigned char> before = save(instance.get());
  std::vector<unsigned char> other(21, 0x11);
  for (int length : {19, 21, 0, -1}) {
    EXPECT_TRUE(refused([&] { readMe(instance.get(), other.data(), length); }, length)) << length;
  }
  EXPECT_TRUE(refused([&] { readMe(instance.get(), nullptr, 20); }, 20));
  EXPECT_TRUE(refused([&] { readMe(nullptr, other.data(), 20); }, 20));
  EXPECT_EQ(save(instance.get()), before);
  // The host goes on working with the instance.
  EXPECT_EQ(setAttr(instance.get(), u"PDF417_ROWNUM", u"7"), 1);
  readMe(instance.get(), before.data(), 20);
  EXPECT_EQ(save(instance.get()), before);
}

TEST(SavedRecord, WriteMeWithoutInstanceOrLengthPointer) {
  int length = 99;
  EXPECT_EQ(writeMe(nullptr, &length), nullptr);
  EXPECT_EQ(length, 0);
  Instance instance = newInstance();
  unsigned char* block = writeMe(instance.get(), nullptr);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[7], 8);
  std::free(block);
}

TEST(Attributes, NullInstanceIsRefusedEverywhere) {
  char16_t buffer[8] = u"keep";
  EXPECT_EQ(getAttrLength(nullptr, u"PDF417_ECC"), -1);
  EXPECT_EQ(getAttr(nullptr, u"PDF417_ECC", buffer, 8), 0);
  EXPECT_EQ(setAttr(nullptr, u"PDF417_ECC", u"1"), 0);
  EXPECT_EQ(std::u16string(buffer), u"keep");
}

}  // namespace
