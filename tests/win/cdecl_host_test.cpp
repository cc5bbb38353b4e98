// SPDX-License-Identifier: Apache-2.0
// A host that knows the two DLLs only by their exported names and the C calling convention: every
// export and every client callback is an explicit __cdecl function pointer. On 32-bit Windows a
// convention mismatch moves the stack pointer, so ESP is read before and after each call (and at
// each callback's entry, which must not drift between identical calls). On 64-bit Windows there
// is one convention; the same calls run, the stack reads are no-ops. This file is built with
// outgoing arguments stored, not pushed, so ESP around a call changes only if the callee pops.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

#if defined(__i386__)
#define TORV_READ_STACK_POINTER(into) __asm__ __volatile__("movl %%esp, %0" : "=r"(into) : : "memory")
#else
#define TORV_READ_STACK_POINTER(into) (into = 0)
#endif

// Exports after whose call the stack pointer was not where it had been.
std::vector<std::string> unbalanced;

template <typename Result, typename... Parameters, typename... Arguments>
__attribute__((noinline)) Result checked(const char* name, Result(__cdecl* function)(Parameters...),
                                         Arguments... arguments) {
  std::uintptr_t before = 0, after = 0;
  TORV_READ_STACK_POINTER(before);
  if constexpr (std::is_void_v<Result>) {
    function(arguments...);
    TORV_READ_STACK_POINTER(after);
    if (before != after) unbalanced.push_back(name);
  } else {
    Result result = function(arguments...);
    TORV_READ_STACK_POINTER(after);
    if (before != after) unbalanced.push_back(name);
    return result;
  }
}

template <typename Function>
Function entry(HMODULE module, const char* name, int& found) {
  FARPROC address = GetProcAddress(module, name);
  found += address != nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

#if defined(__i386__)
int __stdcall popsItsArguments(int a, int b) { return a + b; }

// The check itself must see a callee that cleans up the stack as cdecl callers never expect.
TEST(CdeclHost, StackCheckSeesACalleeThatPopsItsArguments) {
  unbalanced.clear();
  // Through a volatile, so that the compiler cannot see which function it calls (as with a DLL).
  int(__cdecl* volatile wrong)(int, int) =
      reinterpret_cast<int(__cdecl*)(int, int)>(reinterpret_cast<void*>(&popsItsArguments));
  EXPECT_EQ(checked("popsItsArguments", wrong, 2, 3), 5);
  EXPECT_EQ(unbalanced, std::vector<std::string>{"popsItsArguments"});
}
#endif

// ---- the plug-in ----

struct Comp;
using GetNewInstanceFn = Comp*(__cdecl*)();
using GetCopyInstanceFn = Comp*(__cdecl*)(Comp*);
using DeleteInstanceFn = void(__cdecl*)(Comp*);
using GetAttrListLengthFn = int(__cdecl*)();
using GetAttrListFn = int(__cdecl*)(Comp*, const char16_t**, int);
using GetAttrLengthFn = int(__cdecl*)(Comp*, const char16_t*);
using GetAttrFn = int(__cdecl*)(Comp*, const char16_t*, char16_t*, int);
using SetAttrFn = int(__cdecl*)(Comp*, const char16_t*, const char16_t*);
using WriteMeFn = unsigned char*(__cdecl*)(Comp*, int*);
using ReadMeFn = void(__cdecl*)(Comp*, const unsigned char*, int);
using GetAutosizeFn = void(__cdecl*)(Comp*, HDC, const char16_t*, float*, float*);
using PaintFn = void(__cdecl*)(Comp*, HDC, const char16_t*, float, float, float, float, float);
using PrintFn = void(__cdecl*)(Comp*, HDC, const char16_t*, float, float, float, float, float, float, float);

LONG CALLBACK continueAfterRefusal(EXCEPTION_POINTERS* exception) {
  return exception->ExceptionRecord->ExceptionCode == 0xE0417001UL ? EXCEPTION_CONTINUE_EXECUTION
                                                                   : EXCEPTION_CONTINUE_SEARCH;
}

TEST(CdeclHost, EveryPluginExportKeepsTheStackBalanced) {
  HMODULE module = LoadLibraryW(L"torvc_pdf417.dll");
  ASSERT_NE(module, nullptr);
  int found = 0;
  const auto getNewInstance = entry<GetNewInstanceFn>(module, "GetNewInstance", found);
  const auto getCopyInstance = entry<GetCopyInstanceFn>(module, "GetCopyInstance", found);
  const auto deleteInstance = entry<DeleteInstanceFn>(module, "DeleteInstance", found);
  const auto getAttrListLength = entry<GetAttrListLengthFn>(module, "getAttrListLength", found);
  const auto getAttrList = entry<GetAttrListFn>(module, "getAttrList", found);
  const auto getAttrLength = entry<GetAttrLengthFn>(module, "getAttrLength", found);
  const auto getAttr = entry<GetAttrFn>(module, "getAttr", found);
  const auto setAttr = entry<SetAttrFn>(module, "setAttr", found);
  const auto writeMe = entry<WriteMeFn>(module, "writeMe", found);
  const auto readMe = entry<ReadMeFn>(module, "readMe", found);
  const auto getAutosize = entry<GetAutosizeFn>(module, "getAutosize", found);
  const auto paint = entry<PaintFn>(module, "paint", found);
  const auto print = entry<PrintFn>(module, "print", found);
  ASSERT_EQ(found, 13);
  unbalanced.clear();

  Comp* instance = checked("GetNewInstance", getNewInstance);
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(checked("setAttr", setAttr, instance, u"PDF417_XSCALE", u"2"), 1);
  EXPECT_EQ(checked("getAttrListLength", getAttrListLength), 5);
  const char16_t* names[5] = {};
  EXPECT_EQ(checked("getAttrList", getAttrList, instance, names, 5), 1);
  EXPECT_EQ(std::u16string(names[4]), u"PDF417_YSCALE");
  EXPECT_EQ(checked("getAttrLength", getAttrLength, instance, u"PDF417_COLNUM"), 2);
  char16_t value[8] = {};
  EXPECT_EQ(checked("getAttr", getAttr, instance, u"PDF417_XSCALE", value, 8), 1);
  EXPECT_EQ(std::u16string(value), u"2");
  Comp* copy = checked("GetCopyInstance", getCopyInstance, instance);
  ASSERT_NE(copy, nullptr);
  int length = 0;
  unsigned char* record = checked("writeMe", writeMe, copy, &length);
  ASSERT_EQ(length, 20);
  checked("readMe", readMe, instance, const_cast<const unsigned char*>(record), length);
  // A refused record, taken by a handler that lets readMe return.
  PVOID handler = AddVectoredExceptionHandler(1, continueAfterRefusal);
  checked("readMe (refused)", readMe, instance, const_cast<const unsigned char*>(record), 19);
  RemoveVectoredExceptionHandler(handler);
  std::free(record);

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  float width = -1, height = -1;
  checked("getAutosize", getAutosize, instance, dc, u"cdecl", &width, &height);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  checked("paint", paint, instance, dc, u"cdecl", 1.0f, 2.0f, 0.0f, 0.0f, 1.5f);
  checked("print", print, instance, dc, u"cdecl", 1.0f, 2.0f, 0.0f, 0.0f, 1.5f, 3.0f, 4.0f);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  checked("DeleteInstance", deleteInstance, copy);
  checked("DeleteInstance", deleteInstance, instance);
  EXPECT_TRUE(unbalanced.empty()) << unbalanced.front();
  FreeLibrary(module);
}

// ---- the client library and the host's nine callbacks ----

struct Client;
using ReadByteCb = int(__cdecl*)(int, unsigned char*, int*);
using ReadBArrayCb = int(__cdecl*)(int, char*, int, int*);
using AvailableCb = int(__cdecl*)(int, int*);
using ReadCloseCb = int(__cdecl*)(int, int);
using WriteByteCb = int(__cdecl*)(int, int);
using WriteBArrayCb = int(__cdecl*)(int, const char*, int);
using FlushCb = int(__cdecl*)(int);
using WriteCloseCb = int(__cdecl*)(int);
using ErrorMessageCb = const char*(__cdecl*)(int);
using CreateFn = int(__cdecl*)(const char*, int, int, ReadByteCb, ReadBArrayCb, AvailableCb, ReadCloseCb, WriteByteCb,
                               WriteBArrayCb, FlushCb, WriteCloseCb, ErrorMessageCb, Client**);
using DestroyFn = int(__cdecl*)(Client*);
using ReceiveListFn = int(__cdecl*)(Client*, char**, int*);
using SendListFn = int(__cdecl*)(Client*, const char*, int);
using ReadByteFn = int(__cdecl*)(Client*, char*, int*);
using ReadBArrayFn = int(__cdecl*)(Client*, char*, int, int*);
using AvailableFn = int(__cdecl*)(Client*, int*);
using StreamFn = int(__cdecl*)(Client*);
using WriteByteFn = int(__cdecl*)(Client*, unsigned char);
using WriteBArrayFn = int(__cdecl*)(Client*, const char*, int);
using LastErrorFn = const char*(__cdecl*)(Client*);
using FreeMemoryFn = void(__cdecl*)(void*);

// The host's connection: it serves one attribute list ("k" = "v") over and over and keeps what is
// written. Each callback notes its name and its stack pointer at entry.
namespace connection {
constexpr int kContext = 0x5EC0DE;
const char kList[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 'k', 0, 0, 0, 1, 0, 'v'};
std::size_t next = 0;
std::string written;
std::vector<std::pair<std::string, std::uintptr_t>> calls;
int wrongContexts = 0;

__attribute__((noinline)) void note(const char* name, int context) {
  std::uintptr_t sp = 0;
  TORV_READ_STACK_POINTER(sp);
  calls.emplace_back(name, sp);
  wrongContexts += context != kContext;
}

int __cdecl readByte(int context, unsigned char* byte, int* count) {
  note("FuncReadByte", context);
  *byte = static_cast<unsigned char>(kList[next++ % sizeof kList]);
  *count = 1;
  return 0;
}
int __cdecl readBArray(int context, char* destination, int length, int* count) {
  note("FuncReadBArray", context);
  for (int i = 0; i < length; ++i) destination[i] = kList[next++ % sizeof kList];
  *count = length;
  return 0;
}
int __cdecl available(int context, int* count) {
  note("FuncAvailable", context);
  *count = static_cast<int>(sizeof kList - next % sizeof kList);
  return 0;
}
int __cdecl readClose(int context, int) {
  note("FuncReadClose", context);
  return 0;
}
int __cdecl writeByte(int context, int value) {
  note("FuncWriteByte", context);
  written += static_cast<char>(value);
  return 0;
}
int __cdecl writeBArray(int context, const char* source, int length) {
  note("FuncWriteBArray", context);
  written.append(source, static_cast<std::size_t>(length));
  return 0;
}
int __cdecl flush(int context) {
  note("FuncFlush", context);
  return 0;
}
int __cdecl writeClose(int context) {
  note("FuncWriteClose", context);
  return 0;
}
int failures = 0;
const char* __cdecl errorMessage(int context) {
  note("FuncErrorMessage", context);
  ++failures;
  return "host failure";
}
}  // namespace connection

TEST(CdeclHost, EveryClientExportAndCallbackKeepsTheStackBalanced) {
  HMODULE module = LoadLibraryW(L"TorvVeskClientSession.dll");
  ASSERT_NE(module, nullptr);
  int found = 0;
  const auto create = entry<CreateFn>(module, "TorvVeskClient_create", found);
  const auto destroy = entry<DestroyFn>(module, "TorvVeskClient_destroy", found);
  const auto receiveList = entry<ReceiveListFn>(module, "TorvVeskClient_createSecureInputStream", found);
  const auto sendList = entry<SendListFn>(module, "TorvVeskClient_createSecureOutputStream", found);
  const auto readByte = entry<ReadByteFn>(module, "TorvVeskClient_readByte", found);
  const auto readBArray = entry<ReadBArrayFn>(module, "TorvVeskClient_readBArray", found);
  const auto available = entry<AvailableFn>(module, "TorvVeskClient_available", found);
  const auto readClose = entry<StreamFn>(module, "TorvVeskClient_readClose", found);
  const auto writeByte = entry<WriteByteFn>(module, "TorvVeskClient_writeByte", found);
  const auto writeBArray = entry<WriteBArrayFn>(module, "TorvVeskClient_writeBArray", found);
  const auto flush = entry<StreamFn>(module, "TorvVeskClient_flush", found);
  const auto writeClose = entry<StreamFn>(module, "TorvVeskClient_WriteClose", found);
  const auto lastError = entry<LastErrorFn>(module, "TorvVeskClient_getLastErrorMessage", found);
  const auto freeMemory = entry<FreeMemoryFn>(module, "TorvVeskClient_free_memory", found);
  ASSERT_EQ(found, 14);
  unbalanced.clear();
  namespace c = connection;
  c::calls.clear();

  Client* handle = nullptr;
  ASSERT_EQ(
      checked("TorvVeskClient_create", create, static_cast<const char*>(c::kList), static_cast<int>(sizeof c::kList),
              c::kContext, &c::readByte, &c::readBArray, &c::available, &c::readClose, &c::writeByte, &c::writeBArray,
              &c::flush, &c::writeClose, &c::errorMessage, &handle),
      1001);

  // Each negotiation twice: the same path through the library must meet each callback at the
  // same stack pointer both times.
  std::vector<std::vector<std::pair<std::string, std::uintptr_t>>> rounds;
  for (int round = 0; round < 2; ++round) {
    c::calls.clear();
    c::next = 0;
    char* bytes = nullptr;
    int count = 0;
    EXPECT_EQ(checked("TorvVeskClient_createSecureInputStream", receiveList, handle, &bytes, &count), 0);
    EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(count)), std::string(c::kList, sizeof c::kList));
    checked("TorvVeskClient_free_memory", freeMemory, static_cast<void*>(bytes));
    EXPECT_EQ(checked("TorvVeskClient_createSecureOutputStream", sendList, handle, c::kList,
                      static_cast<int>(sizeof c::kList)),
              0);
    rounds.push_back(c::calls);
  }
  EXPECT_FALSE(rounds[0].empty());
  EXPECT_EQ(rounds[0], rounds[1]) << "a callback met at another stack pointer";

  // No secure stream is in place: the stream functions fail with a code and a text.
  char byte = 0;
  char buffer[4];
  int count = 0;
  EXPECT_LT(checked("TorvVeskClient_readByte", readByte, handle, &byte, &count), 0);
  EXPECT_LT(checked("TorvVeskClient_readBArray", readBArray, handle, buffer, 4, &count), 0);
  EXPECT_LT(checked("TorvVeskClient_available", available, handle, &count), 0);
  EXPECT_LT(checked("TorvVeskClient_readClose", readClose, handle), 0);
  EXPECT_LT(checked("TorvVeskClient_writeByte", writeByte, handle, static_cast<unsigned char>('x')), 0);
  EXPECT_LT(checked("TorvVeskClient_writeBArray", writeBArray, handle, "xy", 2), 0);
  EXPECT_LT(checked("TorvVeskClient_flush", flush, handle), 0);
  EXPECT_LT(checked("TorvVeskClient_WriteClose", writeClose, handle), 0);
  EXPECT_NE(std::string(checked("TorvVeskClient_getLastErrorMessage", lastError, handle)), "");
  EXPECT_EQ(checked("TorvVeskClient_destroy", destroy, handle), 1);

  EXPECT_EQ(c::wrongContexts, 0);
  EXPECT_TRUE(unbalanced.empty()) << unbalanced.front();
  FreeLibrary(module);
}

}  // namespace
