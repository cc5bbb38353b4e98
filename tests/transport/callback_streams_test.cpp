// SPDX-License-Identifier: Apache-2.0
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "caught.h"
#include "scripted_host.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "transport/TorvFuncInputStream.h"
#include "transport/TorvFuncOutputStream.h"

namespace torv::testing {
namespace {

constexpr char kTooManyOrZero[] = "TorvFuncInputStream::read: too many or zero data read";
constexpr char kMalformedUtf[] =
    "UTFDataFormatException. A malformed UTF-8 string has been read in a data input stream.";

std::unique_ptr<TorvFuncInputStream> inputOver(ScriptedHost& host) {
  return std::make_unique<TorvFuncInputStream>(host.context(), ScriptedHost::readByte, ScriptedHost::readBArray,
                                               ScriptedHost::available, ScriptedHost::readClose,
                                               ScriptedHost::errorMessage);
}

std::unique_ptr<TorvFuncOutputStream> outputOver(ScriptedHost& host) {
  return std::make_unique<TorvFuncOutputStream>(host.context(), ScriptedHost::writeByte, ScriptedHost::writeBArray,
                                                ScriptedHost::flush, ScriptedHost::writeClose,
                                                ScriptedHost::errorMessage);
}

TEST(TorvFuncInputStream, SingleByteReadsAreOneHostCallEachAndNeverEnd) {
  ScriptedHost host(std::string("\x00\x7F\xFF", 3));
  auto in = inputOver(host);
  EXPECT_EQ(in->read(), 0);
  EXPECT_EQ(in->read(), 127);
  EXPECT_EQ(in->read(), 255);
  EXPECT_EQ(host.calls.readByte, 3);
  EXPECT_EQ(host.calls.total(), 3);
}

TEST(TorvFuncInputStream, SingleByteReadWithACountOtherThanOneFails) {
  for (int reported : {0, 2, -1}) {
    ScriptedHost host;
    host.onReadByte = [reported](unsigned char* byte, int* count) {
      *byte = 'x';
      *count = reported;
      return 0;
    };
    auto in = inputOver(host);
    Caught c = caught([&] { in->read(); });
    EXPECT_EQ(c.kind, "CZException") << reported;
    EXPECT_EQ(c.message, kTooManyOrZero);
    EXPECT_EQ(host.calls.errorMessage, 0);
  }
}

TEST(TorvFuncInputStream, FailedSingleByteReadCarriesTheHostText) {
  ScriptedHost host;  // empty connection: the host reports a failure
  host.errorText = "peer reset";
  auto in = inputOver(host);
  Caught c = caught([&] { in->read(); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, "peer reset");
  EXPECT_EQ(host.calls.errorMessage, 1);
}

TEST(TorvFuncInputStream, TextThrownByTheHostBecomesAnException) {
  ScriptedHost host;
  host.onReadByte = [](unsigned char*, int*) -> int { throw "socket gone"; };
  host.onReadBArray = [](char*, int, int*) -> int { throw "socket gone"; };
  auto in = inputOver(host);
  char buffer[4];
  for (Caught c : {caught([&] { in->read(); }), caught([&] { in->read(buffer, 0, 4); })}) {
    EXPECT_EQ(c.kind, "CZException");
    EXPECT_EQ(c.message, "socket gone");
  }
  EXPECT_EQ(host.calls.errorMessage, 0);
}

TEST(TorvFuncInputStream, RawReadReturnsTheHostCountUnchanged) {
  for (int reported : {0, 5, -1, -7, 9}) {
    ScriptedHost host;
    char* seen = nullptr;
    host.onReadBArray = [&](char* destination, int, int* count) {
      seen = destination;
      *count = reported;
      return 0;
    };
    auto in = inputOver(host);
    char buffer[8];
    EXPECT_EQ(in->read(buffer, 3, 5), reported);
    EXPECT_EQ(seen, buffer + 3);
    EXPECT_EQ(host.readBArrayLengths, std::vector<int>{5});
    EXPECT_EQ(host.calls.total(), 1);
  }
}

TEST(TorvFuncInputStream, ArrayReadGoesByteByByte) {
  ScriptedHost host("abcd");
  auto in = inputOver(host);
  CJArray<char> array(4);
  EXPECT_EQ(in->read(array), 4);
  EXPECT_EQ(std::string(array.data, 4), "abcd");
  EXPECT_EQ(host.calls.readByte, 4);
  EXPECT_EQ(host.calls.readBArray, 0);
}

TEST(TorvFuncInputStream, ArrayReadPassesAHostFailureOnAfterTheFirstByte) {
  // The base loop absorbs only CJIOException; a host failure is a CZException.
  ScriptedHost host("ab");
  auto in = inputOver(host);
  CJArray<char> array(4);
  Caught c = caught([&] { in->read(array); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, "connection failed");
}

TEST(TorvFuncInputStream, SkipOfNothingMakesNoHostCall) {
  ScriptedHost host(std::string(100, 'x'));
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(0), 0);
  EXPECT_EQ(in->skip(-5), 0);
  EXPECT_EQ(host.calls.total(), 0);
}

TEST(TorvFuncInputStream, SkipReadsInPiecesOf1024) {
  ScriptedHost host(std::string(5000, 'x'));
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(3000), 3000);
  EXPECT_EQ(host.readBArrayLengths, (std::vector<int>{1024, 1024, 952}));
  EXPECT_EQ(host.position, 3000u);
}

TEST(TorvFuncInputStream, SkipStopsAtTheEndOfTheConnection) {
  ScriptedHost host;
  int piece = 0;
  host.onReadBArray = [&](char*, int length, int* count) {
    *count = ++piece == 1 ? length : -1;
    return 0;
  };
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(3000), 1024);
  EXPECT_EQ(host.calls.readBArray, 2);
}

TEST(TorvFuncInputStream, SkipStopsWhenTheHostMakesNoProgress) {
  ScriptedHost host;
  host.onReadBArray = [&](char*, int, int* count) {
    *count = host.calls.readBArray == 1 ? 10 : 0;
    return 0;
  };
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(3000), 10);
  EXPECT_EQ(host.calls.readBArray, 2);
}

TEST(TorvFuncInputStream, SkipNeverReportsMoreThanAskedWhenTheHostOverstatesItsCount) {
  ScriptedHost host;
  host.onReadBArray = [&](char*, int length, int* count) {
    *count = length + 1;
    return 0;
  };
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(1024), 1024);
  EXPECT_EQ(in->skip(3000), 3000);
  EXPECT_EQ(host.calls.readBArray, 4);  // 1024, then 1024 + 1024 + 952, each piece counted at most once
}

TEST(TorvFuncInputStream, SkipBeyond32BitsCountsIn64Bits) {
  ScriptedHost host;
  long long delivered = 0;
  host.onReadBArray = [&](char*, int length, int* count) {
    // Deliver 5000 bytes, then end.
    *count = delivered >= 5000 ? -1 : length;
    delivered += length;
    return 0;
  };
  auto in = inputOver(host);
  EXPECT_EQ(in->skip(1LL << 33), 5120);
}

TEST(TorvFuncInputStream, SkipPassesAReadFailureOn) {
  ScriptedHost host;
  host.onReadBArray = [](char*, int, int*) { return -1; };
  host.errorText = "skip failed";
  auto in = inputOver(host);
  Caught c = caught([&] { in->skip(10); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, "skip failed");
}

TEST(TorvFuncInputStream, FailedAvailableThrowsTheHostTextPointerItself) {
  ScriptedHost host;
  static const char kText[] = "no data \x80 here";  // not even valid modified UTF-8
  host.errorTextPointer = kText;
  host.onAvailable = [](int*) { return -3; };
  host.onReadBArray = [](char*, int, int*) { return -3; };
  auto in = inputOver(host);
  Caught fromAvailable = caught([&] { in->available(); });
  EXPECT_EQ(fromAvailable.kind, "text");
  EXPECT_EQ(fromAvailable.text, kText);

  host.errorTextPointer = nullptr;
  host.errorText = "no data";
  char buffer[4];
  Caught fromRead = caught([&] { in->read(buffer, 0, 4); });
  EXPECT_EQ(fromRead.kind, "CZException");
  EXPECT_EQ(fromRead.message, "no data");
  EXPECT_EQ(host.calls.errorMessage, 2);
}

TEST(TorvFuncInputStream, AvailableReportsTheHostCount) {
  ScriptedHost host("12345");
  auto in = inputOver(host);
  EXPECT_EQ(in->available(), 5);
  EXPECT_EQ(host.calls.total(), 1);
}

TEST(TorvFuncInputStream, TextsThrownFromAvailableAndClosePassUnchanged) {
  static const char kText[] = "host says no";
  ScriptedHost host;
  host.onAvailable = [](int*) -> int { throw kText; };
  host.onReadClose = [](int) -> int { throw kText; };
  auto in = inputOver(host);
  EXPECT_EQ(caught([&] { in->available(); }).text, kText);
  EXPECT_EQ(caught([&] { in->close(); }).text, kText);
  EXPECT_TRUE(in->isClosed());
  in.reset();
  EXPECT_EQ(host.readCloseReasons, std::vector<int>{0});
}

TEST(TorvFuncInputStream, ATextThrownByTheFailureFunctionPassesUnchanged) {
  static const char kText[] = "no text for you";
  ScriptedHost host;
  host.errorMessageThrows = kText;
  host.onAvailable = [](int*) -> int { return -1; };
  host.onReadByte = [](unsigned char*, int*) -> int { return -1; };
  auto in = inputOver(host);
  for (const Caught& failure : {caught([&] { in->available(); }), caught([&] { in->read(); })}) {
    EXPECT_EQ(failure.kind, "text");
    EXPECT_EQ(failure.text, kText);
  }
}

TEST(TorvFuncInputStream, CloseTellsTheHostOnceWithReasonZero) {
  ScriptedHost host("abc");
  auto in = inputOver(host);
  in->close();
  EXPECT_EQ(in->read(), 'a');  // reading after close still reaches the host
  in.reset();
  EXPECT_EQ(host.readCloseReasons, std::vector<int>{0});
}

TEST(TorvFuncInputStream, ReleasingAnUnclosedStreamTellsTheHostWithReasonOne) {
  ScriptedHost host;
  inputOver(host).reset();
  EXPECT_EQ(host.readCloseReasons, std::vector<int>{1});
  EXPECT_EQ(host.calls.total(), 1);
}

TEST(TorvFuncInputStream, AnAbandonedStreamIsReleasedWithoutAHostCall) {
  ScriptedHost host;
  auto in = inputOver(host);
  in->abandon();
  in.reset();
  EXPECT_EQ(host.calls.total(), 0);
}

TEST(TorvFuncInputStream, HasNoByteArray) {
  ScriptedHost host;
  EXPECT_EQ(inputOver(host)->toByteArray(), nullptr);
}

// Every operation that needs a missing host function is refused alike, close included (a
// close the host never hears of would pass for one that happened).
TEST(TorvFuncInputStream, MissingHostFunctionsFailInsteadOfCrashing) {
  TorvFuncInputStream in(1, nullptr, nullptr, nullptr, nullptr, nullptr);
  char buffer[2];
  const std::pair<const char*, std::function<void()>> operations[] = {
      {"FuncReadByte", [&] { in.read(); }},
      {"FuncReadBArray", [&] { in.read(buffer, 0, 2); }},
      {"FuncAvailable", [&] { in.available(); }},
      {"FuncReadClose", [&] { in.close(); }},
  };
  for (const auto& [function, operation] : operations) {
    const Caught failure = caught(operation);
    EXPECT_EQ(failure.kind, "CZException") << function;
    EXPECT_EQ(failure.message, std::string("no host function for ") + function);
  }
}

TEST(TorvFuncInputStream, ANullErrorTextReadsAsEmpty) {
  ScriptedHost host;
  host.nullErrorText = true;
  host.onAvailable = [](int*) { return -1; };
  auto in = inputOver(host);
  Caught fromRead = caught([&] { in->read(); });
  EXPECT_EQ(fromRead.kind, "CZException");
  EXPECT_EQ(fromRead.message, "");
  Caught fromAvailable = caught([&] { in->available(); });
  EXPECT_EQ(fromAvailable.kind, "text");
  ASSERT_NE(fromAvailable.text, nullptr);
  EXPECT_STREQ(fromAvailable.text, "");
}

TEST(TorvFuncOutputStream, EveryOperationIsOneHostCall) {
  ScriptedHost host;
  auto out = outputOver(host);
  out->write(0x1FF);  // passed on as given: the host takes the low eight bits
  out->write(-1);
  out->write("abcdef", 2, 3);
  out->write("", 0, 0);  // length 0 still reaches the host
  out->flush();
  out->close();
  out->close();
  EXPECT_EQ(host.writeByteValues, (std::vector<int>{0x1FF, -1}));
  EXPECT_EQ(host.output, std::string("\xFF\xFF"
                                     "cde",
                                     5));
  EXPECT_EQ(host.calls.writeByte, 2);
  EXPECT_EQ(host.calls.writeBArray, 2);
  EXPECT_EQ(host.calls.flush, 1);
  EXPECT_EQ(host.calls.writeClose, 2);
  EXPECT_EQ(out->toByteArray(), nullptr);
  const int before = host.calls.total();
  out.reset();
  EXPECT_EQ(host.calls.total(), before);  // releasing makes no host call
}

TEST(TorvFuncOutputStream, ArrayWriteGoesByteByByte) {
  ScriptedHost host;
  auto out = outputOver(host);
  CJArray<char> array(3);
  array.data[0] = 'x';
  array.data[1] = 'y';
  array.data[2] = '\x80';
  out->write(array);
  EXPECT_EQ(host.calls.writeByte, 3);
  EXPECT_EQ(host.calls.writeBArray, 0);
  EXPECT_EQ(host.writeByteValues.back(), -128);  // sign-extended, as the array write passes it
}

TEST(TorvFuncOutputStream, FailuresCarryTheHostText) {
  ScriptedHost host;
  host.errorText = "disk full";
  host.onWriteByte = [](int) { return -1; };
  host.onWriteBArray = [](const char*, int) { return -2; };
  host.onFlush = [] { return -3; };
  host.onWriteClose = [] { return -4; };
  auto out = outputOver(host);
  for (Caught c : {caught([&] { out->write(1); }), caught([&] { out->write("a", 0, 1); }),
                   caught([&] { out->flush(); }), caught([&] { out->close(); })}) {
    EXPECT_EQ(c.kind, "CZException");
    EXPECT_EQ(c.message, "disk full");
  }
  EXPECT_EQ(host.calls.errorMessage, 4);
}

TEST(TorvFuncOutputStream, TextsThrownByTheHostBecomeExceptions) {
  ScriptedHost host;
  host.onWriteByte = [](int) -> int { throw "broken pipe"; };
  host.onFlush = []() -> int { throw "broken pipe"; };
  auto out = outputOver(host);
  for (Caught c : {caught([&] { out->write(1); }), caught([&] { out->flush(); })}) {
    EXPECT_EQ(c.kind, "CZException");
    EXPECT_EQ(c.message, "broken pipe");
  }
  EXPECT_EQ(host.calls.errorMessage, 0);
}

TEST(TorvFuncOutputStream, ErrorTextIsDecodedAsModifiedUtf8) {
  ScriptedHost host;
  host.onWriteByte = [](int) { return -1; };
  auto out = outputOver(host);
  host.errorText = "caf\xC3\xA9";
  EXPECT_EQ(caught([&] { out->write(1); }).message, "caf\xE9");  // Windows-1252
  host.errorText = "\x80";
  Caught c = caught([&] { out->write(1); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, kMalformedUtf);
}

TEST(TorvFuncOutputStream, MissingHostFunctionsFailInsteadOfCrashing) {
  TorvFuncOutputStream out(1, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(caught([&] { out.write(1); }).kind, "CZException");
  EXPECT_EQ(caught([&] { out.write("a", 0, 1); }).kind, "CZException");
  EXPECT_EQ(caught([&] { out.flush(); }).kind, "CZException");
  EXPECT_EQ(caught([&] { out.close(); }).kind, "CZException");
}

// What the data streams above cost in host calls.
TEST(CallbackStreamsUnderDataStreams, TypedValuesMapToTheDocumentedHostCalls) {
  ScriptedHost host;
  {
    CJDataOutputStream data(outputOver(host).release(), 1);
    data.writeInt(0x01020304);
    EXPECT_EQ(host.calls.writeBArray, 1);
    data.writeString("abc");
    EXPECT_EQ(host.calls.writeBArray, 2);
    EXPECT_EQ(host.calls.writeByte, 6);
  }
  EXPECT_EQ(host.output, std::string("\x01\x02\x03\x04\x00\x00\x00\x03\x00\x61\x00\x62\x00\x63", 14));

  host.input = host.output;
  {
    CJDataInputStream data(inputOver(host).release(), 1);
    EXPECT_EQ(data.readInt(), 0x01020304);
    EXPECT_EQ(data.readString(), "abc");
    data.close();
  }
  EXPECT_EQ(host.calls.readBArray, 2);  // the two counts
  EXPECT_EQ(host.calls.readByte, 6);    // the units, byte by byte
  EXPECT_EQ(host.readCloseReasons, std::vector<int>{0});
}

// Texts read from the host in runs: the same text as from memory, one FuncReadByte per byte,
// and a failure in the middle of a run stops the run at that call with the host's text.
TEST(CallbackStreamsUnderDataStreams, TextsReadInRunsKeepEveryByteAndFailure) {
  const struct {
    std::string wire;  // the String form
    const char* text;
  } cases[] = {
      {std::string("\0\0\0\x02\0a\0b", 8), "ab"},
      {std::string("\0\0\0\x03\0a\x20\xAC\x4E\x2D", 10), "a\x80?"},
      {std::string("\0\0\0\x03\0a\0\0\x20\xAC", 10), "a"},     // a zero ends the text
      {std::string("\0\0\0\x03\x20\xAC\0\0\0b", 10), "\x80"},  // also after a conversion
  };
  for (const auto& c : cases) {
    ScriptedHost host(c.wire);
    CJDataInputStream data(inputOver(host).release(), 1);
    EXPECT_EQ(data.readString(), c.text);
    EXPECT_EQ(host.calls.readByte, static_cast<int>(c.wire.size()) - 4);
    EXPECT_EQ(host.remaining(), 0u);
  }

  ScriptedHost host(std::string("\0\0\0\x04\0a\0b", 8));  // two of four units arrive
  host.errorText = "peer reset";
  CJDataInputStream data(inputOver(host).release(), 1);
  Caught c = caught([&] { data.readString(); });
  EXPECT_EQ(c.kind, "CZException");
  EXPECT_EQ(c.message, "peer reset");
  EXPECT_EQ(host.calls.readByte, 5);
  EXPECT_EQ(host.calls.errorMessage, 1);
}

TEST(CallbackStreamsUnderDataStreams, ReleasingTheDataStreamReleasesTheCallbackStream) {
  ScriptedHost host;
  { CJDataInputStream data(inputOver(host).release(), 1); }
  EXPECT_EQ(host.readCloseReasons, std::vector<int>{1});
}

}  // namespace
}  // namespace torv::testing
