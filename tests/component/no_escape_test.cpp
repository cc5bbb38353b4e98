// SPDX-License-Identifier: Apache-2.0
// Every export of the plug-in under allocation failure at each point (once, or from there on):
// nothing leaves an export except readMe's documented refusal of a record that is not 20 bytes.
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failing_allocations.h"
#include "test_surface.h"
#include "torvc_pdf417.h"

namespace {

using torv::test::AllocationFailure;

// Runs one export; records what escaped it. readMe's refusal is expected where asked for.
struct Observed {
  std::vector<std::string> escapes;

  template <typename Call>
  void call(const char* name, Call body, bool refusalExpected = false) {
    bool refused = false;
    bool escaped = false;
    try {
      body();
    } catch (const std::invalid_argument&) {
      refused = true;
    } catch (...) {
      escaped = true;
    }
    torv::test::pauseAllocationFailures(true);
    if (escaped || refused != refusalExpected) escapes.push_back(name);
    torv::test::pauseAllocationFailures(false);
  }
};

void drive(torv::test::TestSurface& surface, Observed& run) {
  TorvPdf417Comp* instance = nullptr;
  TorvPdf417Comp* copy = nullptr;
  run.call("GetNewInstance", [&] { instance = GetNewInstance(); });
  run.call("GetCopyInstance", [&] { copy = GetCopyInstance(instance); });
  run.call("getAttrListLength", [&] { getAttrListLength(); });
  const char16_t* names[5] = {};
  run.call("getAttrList", [&] { getAttrList(instance, names, 5); });
  run.call("setAttr", [&] { setAttr(instance, u"PDF417_ROWNUM", u" 12abc"); });
  run.call("setAttr", [&] { setAttr(instance, u"PDF417_XSCALE", u"2"); });
  run.call("getAttrLength", [&] { getAttrLength(instance, u"PDF417_ROWNUM"); });
  char16_t value[16];
  run.call("getAttr", [&] { getAttr(instance, u"PDF417_ROWNUM", value, 16); });
  unsigned char* record = nullptr;
  int length = 0;
  run.call("writeMe", [&] { record = writeMe(instance, &length); });
  const unsigned char saved[20] = {0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
  run.call(
      "readMe", [&] { readMe(copy, saved, 20); }, copy == nullptr);
  run.call(
      "readMe", [&] { readMe(copy, saved, 19); }, true);
  float width = 0, height = 0;
  run.call("getAutosize",
           [&] { getAutosize(instance, surface.context(), u"no escape \u00e9\u20ac", &width, &height); });
  run.call("paint", [&] { paint(instance, surface.context(), u"no escape", 1, 1, 0, 0, 1.0f); });
  run.call("print", [&] { print(copy, surface.context(), u"0123456789", 0, 0, 0, 0, 1.0f, 2, 2); });
  run.call("DeleteInstance", [&] { DeleteInstance(copy); });
  run.call("DeleteInstance", [&] { DeleteInstance(instance); });
  std::free(record);
}

TEST(NoExceptionEscapes, PluginExportsUnderAllocationFailureAtEveryPoint) {
  torv::test::TestSurface surface(400, 200, 96);
  int runs = 0;
  for (AllocationFailure how : {AllocationFailure::kOnce, AllocationFailure::kFromThenOn}) {
    bool reached = true;
    for (long failAt = 0; reached; ++failAt) {
      Observed run;
      torv::test::failAllocations(failAt, how);
      drive(surface, run);
      reached = torv::test::allocationFailureHappened();
      torv::test::stopFailingAllocations();
      ++runs;
      EXPECT_TRUE(run.escapes.empty()) << "fail at " << failAt << ": " << ::testing::PrintToString(run.escapes);
      ASSERT_LT(failAt, 100000);
    }
  }
  EXPECT_GT(runs, 20);
  EXPECT_FALSE(surface.blank());  // the runs that got through drew
}

}  // namespace
