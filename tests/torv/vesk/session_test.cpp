// SPDX-License-Identifier: Apache-2.0
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "attributes/CJTorvAttributeList.h"
#include "caught.h"
#include "list_entries.h"
#include "scripted_host.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "torv/vesk/TorvVeskClientSession.h"
#include "transport/TorvFuncInputStream.h"
#include "transport/TorvFuncOutputStream.h"

namespace torv::testing {
namespace {

// Raw data streams over a scripted host, as a handle builds them.
struct Connection {
  explicit Connection(std::string input = std::string()) : host(std::move(input)) {
    in = new CJDataInputStream(
        new TorvFuncInputStream(host.context(), ScriptedHost::readByte, ScriptedHost::readBArray,
                                ScriptedHost::available, ScriptedHost::readClose, ScriptedHost::errorMessage),
        1);
    out = new CJDataOutputStream(
        new TorvFuncOutputStream(host.context(), ScriptedHost::writeByte, ScriptedHost::writeBArray,
                                 ScriptedHost::flush, ScriptedHost::writeClose, ScriptedHost::errorMessage),
        1);
  }
  ScriptedHost host;
  CJDataInputStream* in;
  CJDataOutputStream* out;
};

// Releases a session through its own release operation.
struct Release {
  void operator()(TorvVeskClient* session) const { session->release(); }
};
using SessionPtr = std::unique_ptr<TorvVeskClient, Release>;

TEST(TorvVeskClientSession, StartsEmpty) {
  SessionPtr session(new TorvVeskClientSession());
  EXPECT_EQ(session->serverIP(), "");
  EXPECT_EQ(session->serverURL(), "");
  EXPECT_EQ(session->receivedAttributes().size(), 0);
  EXPECT_EQ(session->sentAttributes().size(), 0);
  session->setServerIP("10.0.0.1");
  session->setServerURL("vesk://server/");
  EXPECT_EQ(session->serverIP(), "10.0.0.1");
  EXPECT_EQ(session->serverURL(), "vesk://server/");
}

TEST(TorvVeskClientSession, ReceivingAnEmptyListChangesNothing) {
  Connection connection(std::string(4, '\0'));
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList attributes;
  attributes.put("stale", "1");
  EXPECT_EQ(session->createSecureInputStream(connection.in, &attributes), nullptr);
  EXPECT_EQ(attributes.size(), 0);
  EXPECT_EQ(session->receivedAttributes().size(), 0);
  EXPECT_FALSE(session->keeps(connection.in));
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, SendingAnEmptyListWritesFourZeroBytes) {
  Connection connection;
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList attributes;
  EXPECT_EQ(session->createSecureOutputStream(connection.out, &attributes), nullptr);
  EXPECT_EQ(connection.host.output, std::string(4, '\0'));
  EXPECT_EQ(connection.host.calls.flush, 0);
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, ReceivedListsAccumulate) {
  Connection connection(wireList({{"k", "first"}, {"a", "1"}}) + wireList({{"b", "2"}, {"k", "second"}}));
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList attributes;
  session->createSecureInputStream(connection.in, &attributes);
  session->createSecureInputStream(connection.in, &attributes);
  EXPECT_EQ(entriesOf(attributes), (Entries{{"b", "2"}, {"k", "second"}}));
  EXPECT_EQ(entriesOf(session->receivedAttributes()), (Entries{{"k", "second"}, {"a", "1"}, {"b", "2"}}));
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, SentListsAccumulate) {
  Connection connection;
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList first;
  first.put("x", "1");
  first.put("y", "2");
  CJTorvAttributeList second;
  second.put("x", "3");
  session->createSecureOutputStream(connection.out, &first);
  session->createSecureOutputStream(connection.out, &second);
  EXPECT_EQ(entriesOf(session->sentAttributes()), (Entries{{"x", "3"}, {"y", "2"}}));
  EXPECT_EQ(connection.host.output, wireList({{"x", "1"}, {"y", "2"}}) + wireList({{"x", "3"}}));
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, AFailedReceiveKeepsWhatArrivedAndLeavesTheSessionAlone) {
  std::string bytes = wireList({{"a", "1"}, {"b", "2"}});
  bytes.resize(bytes.size() - 3);  // the connection ends inside the last value
  Connection connection(bytes);
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList attributes;
  Caught c = caught([&] { session->createSecureInputStream(connection.in, &attributes); });
  EXPECT_EQ(c.kind, "CJIOException");  // the host reports the end inside a count
  EXPECT_EQ(c.message, "EOFException. End of stream has been reached unexpectedly during input.");
  EXPECT_EQ(entriesOf(attributes), (Entries{{"a", "1"}}));
  EXPECT_EQ(session->receivedAttributes().size(), 0);
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, AFailedSendStillRecordsTheList) {
  Connection connection;
  connection.host.onWriteByte = [](int) { return -1; };
  SessionPtr session(new TorvVeskClientSession());
  CJTorvAttributeList attributes;
  attributes.put("a", "1");
  EXPECT_EQ(caught([&] { session->createSecureOutputStream(connection.out, &attributes); }).kind, "CZException");
  EXPECT_EQ(entriesOf(session->sentAttributes()), (Entries{{"a", "1"}}));
  // The list count and the name's unit count went out before the first unit failed.
  EXPECT_EQ(connection.host.output, std::string("\0\0\0\1\0\0\0\1", 8));
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClientSession, ReleaseMakesNoHostCall) {
  Connection connection(wireList({{"a", "1"}}));
  TorvVeskClient* session = new TorvVeskClientSession();
  CJTorvAttributeList attributes;
  session->createSecureInputStream(connection.in, &attributes);
  session->createSecureOutputStream(connection.out, &attributes);
  const int before = connection.host.calls.total();
  session->release();
  EXPECT_EQ(connection.host.calls.total(), before);
  delete connection.in;
  delete connection.out;
}

TEST(TorvVeskClient, TheBaseKeepsTheRawStreamsAndReleasesThemWithItself) {
  Connection connection(wireList({{"a", "1"}}));
  TorvVeskClient* session = new TorvVeskClient();
  CJTorvAttributeList attributes;
  EXPECT_EQ(session->createSecureInputStream(connection.in, &attributes), nullptr);
  EXPECT_EQ(session->createSecureOutputStream(connection.out, &attributes), nullptr);
  EXPECT_TRUE(session->keeps(connection.in));
  EXPECT_TRUE(session->keeps(connection.out));
  EXPECT_EQ(entriesOf(session->receivedAttributes()), (Entries{{"a", "1"}}));
  EXPECT_EQ(entriesOf(session->sentAttributes()), (Entries{{"a", "1"}}));
  session->release();  // releases the data streams and the callback streams beneath them
  EXPECT_EQ(connection.host.readCloseReasons, std::vector<int>{1});
}

TEST(TorvVeskClient, TheBaseRecordsNothingWhenASendFails) {
  Connection connection;
  connection.host.onWriteBArray = [](const char*, int) { return -1; };
  SessionPtr session(new TorvVeskClient());
  CJTorvAttributeList attributes;
  attributes.put("a", "1");
  EXPECT_EQ(caught([&] { session->createSecureOutputStream(connection.out, &attributes); }).kind, "CZException");
  EXPECT_EQ(session->sentAttributes().size(), 0);
  EXPECT_FALSE(session->keeps(connection.out));
  delete connection.in;
  delete connection.out;
}

}  // namespace
}  // namespace torv::testing
