// SPDX-License-Identifier: Apache-2.0
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "attributes/CJTorvAttributeList.h"
#include "handle_view.h"
#include "pass_through_session.h"
#include "platform/code_page.h"
#include "scripted_host.h"
#include "stream/byte_array_input_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "torv/vesk/TorvVeskClientSession.h"
#include "torv_vesk_client.h"

namespace torv::testing {
namespace {

const std::string kEmptyList(4, '\0');
const std::string kExample("\x00\x00\x00\x01\x00\x00\x00\x01\x00\x41\x00\x00\x00\x01\x00\x42", 16);

std::string failureText(const char* function, int lastError, int textLine) {
  return std::string(function) + ": unknown exception occured:last error: " + std::to_string(lastError) +
         " .\\torv\\vesk\\TorvVeskClientBridge:" + std::to_string(textLine);
}

// A handle over a scripted host, destroyed with the test.
struct Client {
  explicit Client(std::string input = std::string(), const std::string& attributes = kEmptyList)
      : host(std::move(input)) {
    EXPECT_EQ(host.create(attributes, &handle), 1001);
  }
  ~Client() {
    if (handle != nullptr) {
      EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
    }
  }
  TorvVeskClient& session() { return sessionOf(handle); }
  // Replaces the installed session.
  void install(TorvVeskClient* replacement) { replaceSession(handle, replacement); }
  std::string lastError() { return TorvVeskClient_getLastErrorMessage(handle); }
  // Runs the input negotiation (which sets up a secure stream when the installed session hands
  // one out) and releases the list bytes handed back.
  bool openSecureInput() {
    char* bytes = nullptr;
    int count = 0;
    const int result = TorvVeskClient_createSecureInputStream(handle, &bytes, &count);
    TorvVeskClient_free_memory(bytes);
    return result == 1;
  }
  // Installs a session that hands the raw streams out, so reads reach the host, and negotiates.
  bool openPassThroughInput() {
    install(new PassThroughSession());
    return openSecureInput();
  }

  ScriptedHost host;
  TorvVeskClientHandle handle = nullptr;
};

// Hands out a new stream over the next of its texts at every input negotiation.
class RenegotiatingSession : public TorvVeskClientSession {
 public:
  explicit RenegotiatingSession(std::vector<std::string> texts) : texts_(std::move(texts)) {}
  CJInputStream* createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) override {
    TorvVeskClientSession::createSecureInputStream(in, attributes);
    if (next_ == texts_.size()) return nullptr;
    std::string& text = texts_[next_++];
    streams_.push_back(std::make_unique<CJByteArrayInputStream>(text.data(), static_cast<int>(text.size()), 0));
    return streams_.back().get();
  }
  std::size_t negotiations() const { return next_; }

 private:
  std::vector<std::string> texts_;
  std::size_t next_ = 0;
  std::vector<std::unique_ptr<CJByteArrayInputStream>> streams_;
};

// Fails its first release.
class StubbornSession : public TorvVeskClientSession {
 public:
  void release() override {
    if (refusals_++ == 0) throw CZException("not yet");
    delete this;
  }

 private:
  int refusals_ = 0;
};

TEST(TorvVeskClientCreate, AnEmptyListGivesEmptyServerTexts) {
  Client client;
  EXPECT_EQ(client.session().serverIP(), "");
  EXPECT_EQ(client.session().serverURL(), "");
  EXPECT_EQ(client.host.calls.total(), 0);  // create makes no host call
  EXPECT_EQ(client.lastError(), "");
  const HandleRecord& record = recordOf(client.handle);
  EXPECT_EQ(record.secureInputStream(), nullptr);
  EXPECT_EQ(record.secureOutputStream(), nullptr);
  const char* text = record.lastErrorMessage();
  EXPECT_EQ(std::vector<char>(text, text + 4097), std::vector<char>(4097, 0));
}

TEST(TorvVeskClientCreate, TakesTheServerTextsFromTheInitialAttributes) {
  Client urlOnly("", wireList({{"TORV_SERVER_URL", "vesk://reports/"}}));
  EXPECT_EQ(urlOnly.session().serverIP(), "");
  EXPECT_EQ(urlOnly.session().serverURL(), "vesk://reports/");
  Client both("", wireList({{"OTHER", "x"}, {"TORV_SERVER_IP", "192.0.2.7"}, {"TORV_SERVER_URL", "u"}}));
  EXPECT_EQ(both.session().serverIP(), "192.0.2.7");
  EXPECT_EQ(both.session().serverURL(), "u");
}

TEST(TorvVeskClientCreate, RefusesShortOrMalformedBytesLeavingNothing) {
  std::string refusedString;
  appendInt(refusedString, 1);
  appendInt(refusedString, -2);
  std::string cutEntry = wireList({{"TORV_SERVER_IP", "127.0.0.1"}});
  cutEntry.pop_back();
  const std::vector<std::string> cases = {std::string(), std::string(3, '\0'), std::string("\0\0\0\1", 4),
                                          refusedString, cutEntry};
  for (const std::string& bytes : cases) {
    ScriptedHost host;
    TorvVeskClientHandle handle = reinterpret_cast<TorvVeskClientHandle>(&host);  // stale value
    EXPECT_EQ(host.create(bytes, &handle), -30000) << bytes.size();
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(host.calls.total(), 0);
  }
}

TEST(TorvVeskClientCreate, RefusesBadArguments) {
  ScriptedHost host;
  TorvVeskClientHandle handle = reinterpret_cast<TorvVeskClientHandle>(&host);
  EXPECT_EQ(TorvVeskClient_create(nullptr, 4, host.context(), ScriptedHost::readByte, ScriptedHost::readBArray,
                                  ScriptedHost::available, ScriptedHost::readClose, ScriptedHost::writeByte,
                                  ScriptedHost::writeBArray, ScriptedHost::flush, ScriptedHost::writeClose,
                                  ScriptedHost::errorMessage, &handle),
            -30000);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(TorvVeskClient_create(kEmptyList.data(), -4, host.context(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, &handle),
            -30000);
  EXPECT_EQ(host.create(kEmptyList, nullptr), -30000);
}

TEST(TorvVeskClientNegotiation, TheReceivedListComesBackWithAZeroAfterIt) {
  Client client(kExample);
  char* bytes = nullptr;
  int count = -1;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), 0);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(count, 16);
  EXPECT_EQ(std::string(bytes, 16), kExample);
  EXPECT_EQ(bytes[16], '\0');
  TorvVeskClient_free_memory(bytes);
  // Three counts in one raw read each, the two units byte by byte; nothing else.
  EXPECT_EQ(client.host.calls.readBArray, 3);
  EXPECT_EQ(client.host.calls.readByte, 4);
  EXPECT_EQ(client.host.calls.total(), 7);
  EXPECT_EQ(client.session().receivedAttributes().getValue(std::string("A")), "B");
  EXPECT_EQ(recordOf(client.handle).secureInputStream(), nullptr);
}

TEST(TorvVeskClientNegotiation, AnEmptyReceivedListIsFourBytes) {
  Client client(kEmptyList);
  char* bytes = nullptr;
  int count = -1;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(std::string(bytes, 5), std::string(5, '\0'));
  TorvVeskClient_free_memory(bytes);
}

TEST(TorvVeskClientNegotiation, TheReceivedListIsHandedBackReserialised) {
  Client client(wireList({{"k", "1"}, {"j", "x"}, {"k", "2"}}));
  char* bytes = nullptr;
  int count = 0;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), 0);
  EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(count)), wireList({{"k", "2"}, {"j", "x"}}));
  TorvVeskClient_free_memory(bytes);
}

TEST(TorvVeskClientNegotiation, AFailedReceiveLeavesTheOutPointersAlone) {
  Client client;  // the connection has nothing to deliver
  client.host.onReadBArray = [](char*, int, int*) {
    platform::setLastError(10054);
    return -1;
  };
  char sentinel = 0;
  char* bytes = &sentinel;
  int count = 77;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_createSecureInputStream", 10054, 208));
  EXPECT_EQ(bytes, &sentinel);
  EXPECT_EQ(count, 77);
  // Refused before anything is read: nowhere to put the bytes.
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, nullptr, &count), -30000);
  EXPECT_EQ(client.host.calls.readBArray, 1);
}

TEST(TorvVeskClientNegotiation, TheHostListGoesOutOnTheConnection) {
  Client client;
  const std::string list = wireList({{"USER", "anna"}, {"MODE", "plain"}});
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, list.data(), static_cast<int>(list.size())), 0);
  EXPECT_EQ(client.host.output, list);
  EXPECT_EQ(client.host.calls.writeBArray, 5);  // the list count and four text counts
  EXPECT_EQ(client.host.calls.writeByte, 2 * (4 + 4 + 4 + 5));
  EXPECT_EQ(client.host.calls.flush, 0);
  EXPECT_EQ(client.session().sentAttributes().getValue(std::string("MODE")), "plain");
  EXPECT_EQ(recordOf(client.handle).secureOutputStream(), nullptr);
}

TEST(TorvVeskClientNegotiation, MalformedHostBytesWriteNothing) {
  Client client;
  std::string list = wireList({{"USER", "anna"}});
  list.pop_back();
  platform::setLastError(0);
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, list.data(), static_cast<int>(list.size())), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_createSecureOutputStream", 0, 259));
  EXPECT_EQ(client.host.output, "");
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, nullptr, 4), -30000);
}

TEST(TorvVeskClientNegotiation, ATextThrownByTheHostIsAGeneralFailure) {
  Client client;
  client.host.onReadBArray = [](char*, int, int*) -> int { throw "wire cut"; };
  char* bytes = nullptr;
  int count = 0;
  platform::setLastError(5);
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_createSecureInputStream", 5, 208));
}

TEST(TorvVeskClientStreams, WithoutSecureStreamsEveryStreamFunctionFails) {
  Client client("data");
  char byte = 'q';
  int count = 9;
  char buffer[4];
  struct Case {
    const char* name;
    int textLine;
    std::function<int()> call;
  };
  const std::vector<Case> cases = {
      {"TorvVeskClient_readByte", 376, [&] { return TorvVeskClient_readByte(client.handle, &byte, &count); }},
      {"TorvVeskClient_readBArray", 427, [&] { return TorvVeskClient_readBArray(client.handle, buffer, 4, &count); }},
      {"TorvVeskClient_available", 454, [&] { return TorvVeskClient_available(client.handle, &count); }},
      {"TorvVeskClient_readClose", 479, [&] { return TorvVeskClient_readClose(client.handle); }},
      {"TorvVeskClient_writeByte", 519, [&] { return TorvVeskClient_writeByte(client.handle, 'x'); }},
      {"TorvVeskClient_writeBArray", 558, [&] { return TorvVeskClient_writeBArray(client.handle, "ab", 2); }},
      {"TorvVeskClient_flush", 592, [&] { return TorvVeskClient_flush(client.handle); }},
      {"TorvVeskClient_WriteClose", 618, [&] { return TorvVeskClient_WriteClose(client.handle); }},
  };
  int code = 4000;
  for (const Case& c : cases) {
    platform::setLastError(++code);
    EXPECT_EQ(c.call(), -30000) << c.name;
    EXPECT_EQ(client.lastError(), failureText(c.name, code, c.textLine));
  }
  EXPECT_EQ(byte, 'q');
  EXPECT_EQ(count, 9);
  EXPECT_EQ(client.host.calls.total(), 0);  // nothing was read or written
}

TEST(TorvVeskClientStreams, ThePrescribedExampleText) {
  Client client;
  platform::setLastError(10054);
  EXPECT_EQ(TorvVeskClient_flush(client.handle), -30000);
  EXPECT_STREQ(
      TorvVeskClient_getLastErrorMessage(client.handle),
      "TorvVeskClient_flush: unknown exception occured:last error: 10054 .\\torv\\vesk\\TorvVeskClientBridge:592");
}

TEST(TorvVeskClientStreams, SuccessDoesNotClearTheFailureText) {
  Client client(kEmptyList);
  platform::setLastError(1);
  EXPECT_EQ(TorvVeskClient_flush(client.handle), -30000);
  const std::string text = client.lastError();
  char* bytes = nullptr;
  int count = 0;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), 0);
  TorvVeskClient_free_memory(bytes);
  EXPECT_EQ(client.lastError(), text);
}

TEST(TorvVeskClientStreams, PassThroughStreamsReachTheHost) {
  Client client(kEmptyList + "xyz12345");
  client.install(new PassThroughSession());
  char* bytes = nullptr;
  int count = 0;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(client.handle, &bytes, &count), 1);
  TorvVeskClient_free_memory(bytes);
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, kEmptyList.data(), 4), 1);

  char byte = 0;
  EXPECT_EQ(TorvVeskClient_readByte(client.handle, &byte, &count), 1);
  EXPECT_EQ(byte, 'x');
  EXPECT_EQ(count, 1);
  char buffer[3];
  EXPECT_EQ(TorvVeskClient_readBArray(client.handle, buffer, 3, &count), 1);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(std::string(buffer, 3), "yz1");
  EXPECT_EQ(TorvVeskClient_available(client.handle, &count), 1);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(TorvVeskClient_readClose(client.handle), 1);
  EXPECT_EQ(client.host.readCloseReasons, std::vector<int>{0});

  EXPECT_EQ(TorvVeskClient_writeByte(client.handle, 0xFE), 1);
  EXPECT_EQ(client.host.writeByteValues.back(), 0xFE);  // 0 to 255, not sign-extended
  EXPECT_EQ(TorvVeskClient_writeBArray(client.handle, "abc", 3), 1);
  EXPECT_EQ(TorvVeskClient_flush(client.handle), 1);
  EXPECT_EQ(TorvVeskClient_WriteClose(client.handle), 1);
  EXPECT_EQ(client.host.output, std::string(4, '\0') +
                                    "\xFE"
                                    "abc");
  EXPECT_EQ(client.host.calls.flush, 1);
  EXPECT_EQ(client.host.calls.writeClose, 1);
}

TEST(TorvVeskClientStreams, AFailureArrivingAsTextIsHandedOverAsItIs) {
  Client client(kEmptyList);
  ASSERT_TRUE(client.openPassThroughInput());
  int count = 0;
  client.host.onAvailable = [](int*) { return -1; };
  client.host.errorText = "raw \x80 text";  // not decoded on this path
  EXPECT_EQ(TorvVeskClient_available(client.handle, &count), -1);
  EXPECT_EQ(client.lastError(), "raw \x80 text");
}

TEST(TorvVeskClientStreams, ATextThrownByTheHostAtCloseIsHandedOver) {
  static const char kText[] = "already closed";
  Client client(kEmptyList);
  ASSERT_TRUE(client.openPassThroughInput());
  int count = 0;
  client.host.onReadClose = [](int) -> int { throw kText; };
  EXPECT_EQ(TorvVeskClient_readClose(client.handle), -1);
  EXPECT_EQ(client.lastError(), kText);
  // A text thrown where the stream converts it (a read) is a general failure instead.
  client.host.onReadByte = [](unsigned char*, int*) -> int { throw kText; };
  char byte = 0;
  platform::setLastError(0);
  EXPECT_EQ(TorvVeskClient_readByte(client.handle, &byte, &count), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_readByte", 0, 376));
}

TEST(TorvVeskClientStreams, ALongPlainTextIsCutAt4096Bytes) {
  Client client(kEmptyList);
  ASSERT_TRUE(client.openPassThroughInput());
  int count = 0;
  client.host.onAvailable = [](int*) { return -1; };
  std::string text;
  for (int i = 0; i < 5000; ++i) text.push_back(static_cast<char>('a' + i % 26));
  client.host.errorText = text;
  EXPECT_EQ(TorvVeskClient_available(client.handle, &count), -1);
  const char* stored = TorvVeskClient_getLastErrorMessage(client.handle);
  EXPECT_EQ(std::strlen(stored), 4096u);
  EXPECT_EQ(std::string(stored), text.substr(0, 4096));

  // A shorter text after it leaves zeros behind its end, and the last byte untouched.
  client.host.errorText = "short";
  EXPECT_EQ(TorvVeskClient_available(client.handle, &count), -1);
  EXPECT_EQ(std::string(stored), "short");  // the same text array, rewritten
  EXPECT_EQ(std::vector<char>(stored + 5, stored + 4097), std::vector<char>(4092, 0));
}

TEST(TorvVeskClientStreams, AHostWriteFailureLeavesTheComposedText) {
  Client client;
  client.install(new PassThroughSession());
  ASSERT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, kEmptyList.data(), 4), 1);
  client.host.onWriteByte = [](int) {
    platform::setLastError(32);
    return -1;
  };
  client.host.errorText = "pipe closed";
  EXPECT_EQ(TorvVeskClient_writeByte(client.handle, 1), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_writeByte", 32, 519));
}

TEST(TorvVeskClientStreams, ANullOutputNegotiationReplacesTheSecureStream) {
  Client client;
  auto* session = new PassThroughSession();
  client.install(session);
  ASSERT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, kEmptyList.data(), 4), 1);
  session->handOutOutput = false;
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, kEmptyList.data(), 4), 0);
  EXPECT_EQ(TorvVeskClient_writeByte(client.handle, 1), -30000);
}

TEST(TorvVeskClientRenegotiation, ReadByteRenegotiatesOnceAtTheEndOfTheSecureStream) {
  Client client(kEmptyList + wireList({{"round", "2"}}));
  auto* session = new RenegotiatingSession({"", "YZ"});
  client.install(session);
  ASSERT_TRUE(client.openSecureInput());
  int count = 0;
  char byte = 0;
  count = 0;
  EXPECT_EQ(TorvVeskClient_readByte(client.handle, &byte, &count), 1);
  EXPECT_EQ(byte, 'Y');
  EXPECT_EQ(count, 1);
  EXPECT_EQ(session->negotiations(), 2u);
  EXPECT_EQ(session->receivedAttributes().getValue(std::string("round")), "2");
}

TEST(TorvVeskClientRenegotiation, ReadByteReportsOneByteEvenWhenTheNewStreamIsEmpty) {
  Client client(kEmptyList + kEmptyList);
  client.install(new RenegotiatingSession({"", ""}));
  ASSERT_TRUE(client.openSecureInput());
  int count = 0;
  char byte = 0;
  EXPECT_EQ(TorvVeskClient_readByte(client.handle, &byte, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(byte, '\xFF');
}

TEST(TorvVeskClientRenegotiation, ReadBArrayStoresTheNewStreamsCount) {
  for (const std::string& second : {std::string("abc"), std::string()}) {
    Client client(kEmptyList + kEmptyList);
    client.install(new RenegotiatingSession({"", second}));
    ASSERT_TRUE(client.openSecureInput());
    int count = 0;
    char buffer[8];
    EXPECT_EQ(TorvVeskClient_readBArray(client.handle, buffer, 8, &count), 1);
    EXPECT_EQ(count, second.empty() ? -1 : 3);
  }
}

TEST(TorvVeskClientRenegotiation, ARenegotiationWithoutAStreamFails) {
  Client client(kEmptyList + kEmptyList);
  client.install(new RenegotiatingSession({""}));
  ASSERT_TRUE(client.openSecureInput());
  int count = 0;
  char byte = 0;
  platform::setLastError(0);
  EXPECT_EQ(TorvVeskClient_readByte(client.handle, &byte, &count), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_readByte", 0, 376));
  EXPECT_EQ(recordOf(client.handle).secureInputStream(), nullptr);
}

TEST(TorvVeskClientHandles, ANullHandleFailsEverywhere) {
  char byte = 0;
  int count = 0;
  char* bytes = nullptr;
  EXPECT_EQ(TorvVeskClient_destroy(nullptr), -100000);
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(nullptr, &bytes, &count), -30000);
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(nullptr, kEmptyList.data(), 4), -30000);
  EXPECT_EQ(TorvVeskClient_readByte(nullptr, &byte, &count), -30000);
  EXPECT_EQ(TorvVeskClient_readBArray(nullptr, &byte, 1, &count), -30000);
  EXPECT_EQ(TorvVeskClient_available(nullptr, &count), -30000);
  EXPECT_EQ(TorvVeskClient_readClose(nullptr), -30000);
  EXPECT_EQ(TorvVeskClient_writeByte(nullptr, 1), -30000);
  EXPECT_EQ(TorvVeskClient_writeBArray(nullptr, "a", 1), -30000);
  EXPECT_EQ(TorvVeskClient_flush(nullptr), -30000);
  EXPECT_EQ(TorvVeskClient_WriteClose(nullptr), -30000);
  EXPECT_STREQ(TorvVeskClient_getLastErrorMessage(nullptr), "");
  TorvVeskClient_free_memory(nullptr);
  EXPECT_EQ(bytes, nullptr);
}

TEST(TorvVeskClientHandles, AHandleWithoutASessionIsNotDestroyed) {
  HandleRecord record;
  EXPECT_EQ(TorvVeskClient_destroy(record.handle()), -200000);
}

TEST(TorvVeskClientHandles, DestroyMakesNoHostCall) {
  ScriptedHost host(kExample);
  TorvVeskClientHandle handle = nullptr;
  ASSERT_EQ(host.create(kEmptyList, &handle), 1001);
  char* bytes = nullptr;
  int count = 0;
  ASSERT_EQ(TorvVeskClient_createSecureInputStream(handle, &bytes, &count), 0);
  TorvVeskClient_free_memory(bytes);
  ASSERT_EQ(TorvVeskClient_createSecureOutputStream(handle, kExample.data(), 16), 0);
  const int before = host.calls.total();
  EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
  EXPECT_EQ(host.calls.total(), before);
  EXPECT_TRUE(host.readCloseReasons.empty());
}

// Keeps the raw streams as the base session does, then fails the negotiation.
class KeepsThenFailsSession : public TorvVeskClient {
 public:
  CJInputStream* createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes) override {
    TorvVeskClient::createSecureInputStream(in, attributes);
    throw CZException("refused after keeping");
  }
  CJOutputStream* createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes) override {
    TorvVeskClient::createSecureOutputStream(out, attributes);
    throw CZException("refused after keeping");
  }
};

TEST(TorvVeskClientHandles, DestroyIsSilentAlsoWhenTheSessionKeptTheRawStreams) {
  struct Case {
    const char* name;
    std::function<TorvVeskClient*()> make;
    int negotiationResult;
  };
  const std::vector<Case> cases = {
      {"base session", [] { return new TorvVeskClient(); }, 0},
      {"keeps, then fails", [] { return new KeepsThenFailsSession(); }, -30000},
  };
  for (const Case& c : cases) {
    ScriptedHost host(kExample);
    TorvVeskClientHandle handle = nullptr;
    ASSERT_EQ(host.create(kEmptyList, &handle), 1001);
    replaceSession(handle, c.make());  // takes the raw streams over
    char* bytes = nullptr;
    int count = 0;
    ASSERT_EQ(TorvVeskClient_createSecureInputStream(handle, &bytes, &count), c.negotiationResult) << c.name;
    TorvVeskClient_free_memory(bytes);
    ASSERT_EQ(TorvVeskClient_createSecureOutputStream(handle, kExample.data(), 16), c.negotiationResult) << c.name;
    EXPECT_FALSE(recordOf(handle).ownsDataInputStream()) << c.name;
    EXPECT_FALSE(recordOf(handle).ownsDataOutputStream()) << c.name;
    const int before = host.calls.total();
    EXPECT_EQ(TorvVeskClient_destroy(handle), 1) << c.name;  // each stream released once (sanitizer builds check)
    EXPECT_EQ(host.calls.total(), before) << c.name;
  }
}

TEST(TorvVeskClientHandles, AFailedDestroyKeepsTheHandleUsable) {
  Client client;
  client.install(new StubbornSession());
  platform::setLastError(3);
  EXPECT_EQ(TorvVeskClient_destroy(client.handle), -30000);
  EXPECT_EQ(client.lastError(), failureText("TorvVeskClient_destroy", 3, 303));
  // The handle still works, and the next destroy succeeds (in the fixture).
  EXPECT_EQ(TorvVeskClient_createSecureOutputStream(client.handle, kEmptyList.data(), 4), 0);
  EXPECT_EQ(client.host.calls.total(), 1);
}

TEST(TorvVeskClientHandles, HandlesShareNothing) {
  Client first(kExample);
  Client second(kEmptyList);
  platform::setLastError(1);
  EXPECT_EQ(TorvVeskClient_flush(first.handle), -30000);
  EXPECT_EQ(second.lastError(), "");
  char* bytes = nullptr;
  int count = 0;
  EXPECT_EQ(TorvVeskClient_createSecureInputStream(second.handle, &bytes, &count), 0);
  TorvVeskClient_free_memory(bytes);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(first.host.calls.total(), 0);
}

TEST(TorvVeskClientHandles, HandlesOnTwoThreadsKeepTheirOwnFailureTexts) {
  // The hosts are set up before the threads start; each thread then uses only its own.
  ScriptedHost first(kExample);
  ScriptedHost second(kExample);
  auto run = [](ScriptedHost* host, int code, int* mismatches) {
    for (int round = 0; round < 200; ++round) {
      host->position = 0;
      TorvVeskClientHandle handle = nullptr;
      if (host->create(kEmptyList, &handle) != 1001) {
        ++*mismatches;
        continue;
      }
      char* bytes = nullptr;
      int count = 0;
      if (TorvVeskClient_createSecureInputStream(handle, &bytes, &count) != 0) ++*mismatches;
      TorvVeskClient_free_memory(bytes);
      platform::setLastError(code);
      TorvVeskClient_flush(handle);
      if (std::string(TorvVeskClient_getLastErrorMessage(handle)) != failureText("TorvVeskClient_flush", code, 592)) {
        ++*mismatches;
      }
      TorvVeskClient_destroy(handle);
    }
  };
  int firstMismatches = 0;
  int secondMismatches = 0;
  std::thread a(run, &first, 111, &firstMismatches);
  std::thread b(run, &second, 222, &secondMismatches);
  a.join();
  b.join();
  EXPECT_EQ(firstMismatches, 0);
  EXPECT_EQ(secondMismatches, 0);
}

}  // namespace
}  // namespace torv::testing
