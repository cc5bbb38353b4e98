// SPDX-License-Identifier: Apache-2.0
// The exported functions against java.io as the server: a list written by
// java.io.DataOutputStream is received and handed back byte for byte, and what the library
// sends is read back by java.io.DataInputStream to the same list.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "attributes/CJTorvAttributeList.h"
#include "handle_view.h"
#include "scripted_host.h"
#include "torv_vesk_client.h"

namespace torv::testing {
namespace {

// A file of this process alone: several builds may run their tests at once.
std::string scratchFile(const char* name) {
  return ::testing::TempDir() + "vesk_" + name + "_" + std::to_string(::getpid()) + ".bin";
}

int runPeer(const std::string& mode, const std::string& file) {
  const std::string command = std::string("\"") + TORV_JAVA + "\" -cp \"" + TORV_PEER_CLASSES +
                              "\" AttributeListPeer " + mode + " \"" + file + "\"";
  return std::system(command.c_str());
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(JavaPeer, ListsCrossTheExportsUnchanged) {
  const std::string fromJava = scratchFile("from_java");
  const std::string toJava = scratchFile("to_java");
  ASSERT_EQ(runPeer("write", fromJava), 0);
  const std::string serverList = readFile(fromJava);
  ASSERT_GT(serverList.size(), 4u);

  // A host that buffers its writes until a flush, as the guide describes: the library writes
  // the list and never flushes, so the host flushes once createSecureOutputStream has returned.
  ScriptedHost host(serverList);
  std::string pending;
  host.onWriteByte = [&pending](int value) {
    pending.push_back(static_cast<char>(value));
    return 0;
  };
  host.onWriteBArray = [&pending](const char* source, int length) {
    pending.append(source, static_cast<std::size_t>(length));
    return 0;
  };
  host.onFlush = [&host, &pending] {
    host.output += pending;
    pending.clear();
    return 0;
  };
  TorvVeskClientHandle handle = nullptr;
  ASSERT_EQ(host.create(std::string(4, '\0'), &handle), 1001);
  char* bytes = nullptr;
  int count = 0;
  ASSERT_EQ(TorvVeskClient_createSecureInputStream(handle, &bytes, &count), 0)
      << TorvVeskClient_getLastErrorMessage(handle);
  EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(count)), serverList);
  EXPECT_EQ(bytes[count], '\0');
  EXPECT_EQ(host.remaining(), 0u);

  // The texts arrived as Windows-1252.
  const CJTorvAttributeList& received = sessionOf(handle).receivedAttributes();
  EXPECT_EQ(received.getValue(std::string("Stra\xDF"
                                          "e")),
            "Gr\xFC\xDF"
            "e aus K\xF6ln");
  EXPECT_EQ(received.getValue(std::string("price")), "\x80 12,50");
  EXPECT_EQ(received.getValue(std::string("quote")), "\x84Zitat\x93 \x96 \x85");

  // Sent back, the list must read in java.io as the same list.
  ASSERT_EQ(TorvVeskClient_createSecureOutputStream(handle, bytes, count), 0)
      << TorvVeskClient_getLastErrorMessage(handle);
  TorvVeskClient_free_memory(bytes);
  // As the guide tells hosts: every 32-bit count in one FuncWriteBArray call, every text byte in
  // one FuncWriteByte call, and no flush.
  EXPECT_EQ(host.calls.writeByte + 4 * host.calls.writeBArray, static_cast<int>(serverList.size()));
  EXPECT_EQ(host.calls.flush, 0);
  EXPECT_EQ(pending, serverList);
  ASSERT_EQ(ScriptedHost::flush(host.context()), 0);
  EXPECT_EQ(host.output, serverList);
  writeFile(toJava, host.output);
  EXPECT_EQ(runPeer("verify", toJava), 0);
  EXPECT_EQ(TorvVeskClient_destroy(handle), 1);
  std::remove(fromJava.c_str());
  std::remove(toJava.c_str());
}

TEST(JavaPeer, TheVerifierNoticesADifferentList) {
  // Guards the test above: the peer must not accept just anything.
  const std::string file = scratchFile("other_list");
  writeFile(file, wireList({{"TORV_SERVER_IP", "127.0.0.2"}}));
  EXPECT_NE(runPeer("verify", file), 0);
  std::remove(file.c_str());
}

}  // namespace
}  // namespace torv::testing
