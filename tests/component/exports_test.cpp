// SPDX-License-Identifier: Apache-2.0
// The dynamic symbol table of the plug-in: the thirteen entry points and nothing else of ours.
#include <dlfcn.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

const std::set<std::string> kExports = {
    "GetNewInstance", "GetCopyInstance", "DeleteInstance", "getAttrListLength", "getAttrList",
    "getAttrLength",  "getAttr",         "setAttr",        "writeMe",           "readMe",
    "getAutosize",    "paint",           "print",
};

// Names of the defined dynamic symbols, from `nm -D --defined-only`.
std::set<std::string> definedDynamicSymbols(const std::string& library) {
  const std::string command = "nm -D --defined-only '" + library + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> names;
  if (!pipe) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.insert(name.substr(0, name.find('@')));
  }
  return names;
}

TEST(Exports, ExactlyTheThirteenEntryPointsAreDefined) {
  std::set<std::string> defined = definedDynamicSymbols(TORVC_PDF417_LIBRARY);
  // Version nodes and the sanitizers' own interface are not ours.
  for (auto it = defined.begin(); it != defined.end();) {
    const bool notOurs = it->rfind("__asan", 0) == 0 || it->rfind("__ubsan", 0) == 0 ||
                         it->rfind("__sanitizer", 0) == 0 || it->rfind("__lsan", 0) == 0;
    it = notOurs ? defined.erase(it) : std::next(it);
  }
  EXPECT_EQ(defined, kExports);
}

TEST(Exports, EveryEntryPointResolvesWhenLoadedByPath) {
  void* library = dlopen(TORVC_PDF417_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const std::string& name : kExports) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
  using GetAttrListLength = int (*)();
  auto length = reinterpret_cast<GetAttrListLength>(dlsym(library, "getAttrListLength"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length(), 5);
  dlclose(library);
}

}  // namespace
