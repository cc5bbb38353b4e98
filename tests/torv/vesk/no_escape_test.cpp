// SPDX-License-Identifier: Apache-2.0
// Every exported function under every failure that can happen inside it: allocation failure at
// each point (once, or from there on), and each host callback failing each way. Nothing may
// leave an export; only documented codes come back, and the failure text stays terminated.
#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failing_allocations.h"
#include "handle_view.h"
#include "pass_through_session.h"
#include "scripted_host.h"
#include "torv/vesk/HandleRecord.h"
#include "torv/vesk/TorvVeskClientSession.h"
#include "torv_vesk_client.h"

namespace torv::testing {
namespace {

using torv::test::AllocationFailure;

const std::string kServerList = wireList({{"SERVER", "reports"}, {"MODE", "plain"}});
const std::string kHostList = wireList({{"USER", "anna"}});
const std::string kConnection = kServerList + "xyz";

// What one run saw. Injection is paused around the checks, which allocate.
struct Observed {
  std::vector<std::string> escapes;  // exports something left
  std::vector<std::string> badResults;

  template <typename Call>
  int call(const char* name, std::initializer_list<int> documented, Call body) {
    int result = 0;
    bool escaped = false;
    try {
      result = body();
    } catch (...) {
      escaped = true;
    }
    torv::test::pauseAllocationFailures(true);
    if (escaped) {
      escapes.push_back(name);
    } else if (std::find(documented.begin(), documented.end(), result) == documented.end()) {
      badResults.push_back(std::string(name) + " " + std::to_string(result));
    }
    torv::test::pauseAllocationFailures(false);
    return escaped ? 0 : result;
  }
};

constexpr std::initializer_list<int> kStream{1, -1, -30000};
constexpr std::initializer_list<int> kNegotiation{1, 0, -1, -30000};

// One life of a handle through all fourteen exports, under whatever failure is armed.
// The host's connection holds kConnection.
void drive(ScriptedHost& host, Observed& run) {
  TorvVeskClientHandle handle = nullptr;
  const int created =
      run.call("TorvVeskClient_create", {1001, -30000}, [&] { return host.create(kServerList, &handle); });
  if (created != 1001) {
    if (handle != nullptr) run.badResults.push_back("create failed but stored a handle");
    return;
  }
  // Scaffolding, not under test.
  torv::test::pauseAllocationFailures(true);
  torv::testing::replaceSession(handle, new PassThroughSession());
  torv::test::pauseAllocationFailures(false);

  char* bytes = nullptr;
  int count = 0;
  if (run.call("TorvVeskClient_createSecureInputStream", kNegotiation,
               [&] { return TorvVeskClient_createSecureInputStream(handle, &bytes, &count); }) >= 0) {
    run.call("TorvVeskClient_free_memory", {0}, [&] { return TorvVeskClient_free_memory(bytes), 0; });
  }
  run.call("TorvVeskClient_createSecureOutputStream", kNegotiation, [&] {
    return TorvVeskClient_createSecureOutputStream(handle, kHostList.data(), static_cast<int>(kHostList.size()));
  });
  char byte = 0;
  char buffer[8];
  run.call("TorvVeskClient_readByte", kStream, [&] { return TorvVeskClient_readByte(handle, &byte, &count); });
  run.call("TorvVeskClient_available", kStream, [&] { return TorvVeskClient_available(handle, &count); });
  // Two bytes left, then the end: the second read renegotiates over an ended connection.
  run.call("TorvVeskClient_readBArray", kStream, [&] { return TorvVeskClient_readBArray(handle, buffer, 8, &count); });
  run.call("TorvVeskClient_readBArray", kStream, [&] { return TorvVeskClient_readBArray(handle, buffer, 8, &count); });
  run.call("TorvVeskClient_readClose", kStream, [&] { return TorvVeskClient_readClose(handle); });
  run.call("TorvVeskClient_writeByte", kStream, [&] { return TorvVeskClient_writeByte(handle, 0xC3); });
  run.call("TorvVeskClient_writeBArray", kStream, [&] { return TorvVeskClient_writeBArray(handle, "abc", 3); });
  run.call("TorvVeskClient_flush", kStream, [&] { return TorvVeskClient_flush(handle); });
  run.call("TorvVeskClient_WriteClose", kStream, [&] { return TorvVeskClient_WriteClose(handle); });
  const char* text = nullptr;
  run.call("TorvVeskClient_getLastErrorMessage", {0},
           [&] { return text = TorvVeskClient_getLastErrorMessage(handle), 0; });
  if (text == nullptr || std::memchr(text, 0, 4097) == nullptr) run.badResults.push_back("failure text unterminated");
  if (run.call("TorvVeskClient_destroy", {1, -30000}, [&] { return TorvVeskClient_destroy(handle); }) != 1) {
    torv::test::stopFailingAllocations();  // a failed destroy leaves the handle usable: release it
    run.call("TorvVeskClient_destroy", {1}, [&] { return TorvVeskClient_destroy(handle); });
  }
}

TEST(NoExceptionEscapes, ClientExportsUnderAllocationFailureAtEveryPoint) {
  int runs = 0;
  for (AllocationFailure how : {AllocationFailure::kOnce, AllocationFailure::kFromThenOn}) {
    bool reached = true;
    for (long failAt = 0; reached; ++failAt) {
      ScriptedHost host(kConnection);
      host.readBArrayLengths.reserve(64);
      host.writeByteValues.reserve(64);
      host.readCloseReasons.reserve(8);
      host.output.reserve(256);
      Observed run;
      torv::test::failAllocations(failAt, how);
      drive(host, run);
      reached = torv::test::allocationFailureHappened();
      torv::test::stopFailingAllocations();
      ++runs;
      EXPECT_TRUE(run.escapes.empty()) << "fail at " << failAt << ": " << ::testing::PrintToString(run.escapes);
      EXPECT_TRUE(run.badResults.empty()) << "fail at " << failAt << ": " << ::testing::PrintToString(run.badResults);
      ASSERT_LT(failAt, 100000);
    }
  }
  EXPECT_GT(runs, 50);
}

// Each callback in turn fails in each way a host can fail, with each kind of failure text.
TEST(NoExceptionEscapes, ClientExportsUnderEveryHostFailure) {
  static const char kThrown[] = "thrown by the host";
  static const std::string kLongText(5000, 'e');
  enum Way { kNegativeStatus, kThrowsText, kThrowsOther, kOddCount, kWays };
  const std::vector<std::pair<const char*, std::function<void(ScriptedHost&)>>> texts = {
      {"plain", [](ScriptedHost& h) { h.errorText = "connection lost"; }},
      {"null", [](ScriptedHost& h) { h.nullErrorText = true; }},
      {"malformed", [](ScriptedHost& h) { h.errorText = "bad \x80 text"; }},
      {"long", [](ScriptedHost& h) { h.errorTextPointer = kLongText.c_str(); }},
  };
  for (int callback = 0; callback < 8; ++callback) {
    for (int way = 0; way < kWays; ++way) {
      for (const auto& [textName, setText] : texts) {
        ScriptedHost host(kConnection);
        setText(host);
        const auto fail = [way](int status) -> int {
          if (way == kThrowsText) throw kThrown;
          if (way == kThrowsOther) throw std::runtime_error("host failure");
          return way == kNegativeStatus ? -1 : status;
        };
        switch (callback) {
          case 0:
            host.onReadByte = [fail, way](unsigned char* b, int* n) {
              *b = 'x';
              *n = way == kOddCount ? 2 : 1;
              return fail(0);
            };
            break;
          case 1:
            host.onReadBArray = [fail, way](char*, int length, int* n) {
              *n = way == kOddCount ? length + 5 : 0;
              return fail(0);
            };
            break;
          case 2:
            host.onAvailable = [fail](int* n) {
              *n = -3;
              return fail(0);
            };
            break;
          case 3:
            host.onReadClose = [fail](int) { return fail(0); };
            break;
          case 4:
            host.onWriteByte = [fail](int) { return fail(0); };
            break;
          case 5:
            host.onWriteBArray = [fail](const char*, int) { return fail(0); };
            break;
          case 6:
            host.onFlush = [fail] { return fail(0); };
            break;
          default:
            host.onWriteClose = [fail] { return fail(0); };
            break;
        }
        Observed run;
        drive(host, run);
        EXPECT_TRUE(run.escapes.empty()) << callback << "/" << way << "/" << textName << ": "
                                         << ::testing::PrintToString(run.escapes);
        EXPECT_TRUE(run.badResults.empty())
            << callback << "/" << way << "/" << textName << ": " << ::testing::PrintToString(run.badResults);
      }
    }
  }
  // Calls without a handle.
  Observed run;
  run.call("TorvVeskClient_destroy", {-100000}, [] { return TorvVeskClient_destroy(nullptr); });
  run.call("TorvVeskClient_free_memory", {0}, [] { return TorvVeskClient_free_memory(nullptr), 0; });
  run.call("TorvVeskClient_getLastErrorMessage", {1},
           [] { return TorvVeskClient_getLastErrorMessage(nullptr)[0] == '\0' ? 1 : 0; });
  EXPECT_TRUE(run.escapes.empty());
  EXPECT_TRUE(run.badResults.empty());
}

}  // namespace
}  // namespace torv::testing
