// SPDX-License-Identifier: Apache-2.0
// The plug-in as a Windows host uses it: torvc_pdf417.dll loaded with LoadLibrary, its entry
// points found by name, symbols painted into a memory device context over a DIB section. The
// pictures are checked against the encoder's own bitmap and kept as BMP files for the Linux side.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "component/symbol_picture.h"
#include "component/torv_pdf417_comp.h"
#include "paint_cases.h"
#include "painted_image.h"
#include "torv_vesk_client.h"
#include "torvc_pdf417.h"
#include "white_surface.h"

namespace {

using torv::test::PaintCase;
using torv::test::PaintedImage;

// Every name in the export directory of a loaded module.
std::set<std::string> exportedNames(HMODULE module) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::set<std::string> names;
  if (directory.VirtualAddress == 0) return names;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
  }
  return names;
}

// The plug-in DLL and its entry points, as a host finds them.
class Plugin {
 public:
  Plugin() : module_(LoadLibraryW(L"torvc_pdf417.dll")) {
    if (module_ == nullptr) return;
    getNewInstance = entry<decltype(&::GetNewInstance)>("GetNewInstance");
    deleteInstance = entry<decltype(&::DeleteInstance)>("DeleteInstance");
    setAttr = entry<decltype(&::setAttr)>("setAttr");
    getAutosize = entry<decltype(&::getAutosize)>("getAutosize");
    paint = entry<decltype(&::paint)>("paint");
    print = entry<decltype(&::print)>("print");
  }
  ~Plugin() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool complete() const {
    return module_ != nullptr && getNewInstance && deleteInstance && setAttr && getAutosize && paint && print;
  }
  HMODULE module() const { return module_; }

  // An instance with the case's attributes; the caller deletes it.
  TorvPdf417Comp* instanceFor(const PaintCase& c) const {
    TorvPdf417Comp* instance = getNewInstance();
    applyAttributes(c, instance, setAttr);
    return instance;
  }

  decltype(&::GetNewInstance) getNewInstance = nullptr;
  decltype(&::DeleteInstance) deleteInstance = nullptr;
  decltype(&::setAttr) setAttr = nullptr;
  decltype(&::getAutosize) getAutosize = nullptr;
  decltype(&::paint) paint = nullptr;
  decltype(&::print) print = nullptr;

 private:
  template <typename Function>
  Function entry(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  HMODULE module_;
};

// A memory surface whose every pixel is at first a marker colour that the symbol never has.
class MemorySurface : public torv::test::DibSurface {
 public:
  static constexpr std::uint32_t kMarker = 0x00336699;

  MemorySurface(int width, int height) : DibSurface(width, height, kMarker) {}

  // The DC as the plug-in takes it: on Windows a TorvDeviceContext pointer is an HDC.
  TorvDeviceContext* context() const { return dc(); }
  bool untouched() { return everyPixelIs(kMarker); }
  PaintedImage crop(int width, int height) {
    int dark = 0;
    return image(width, height, dark);
  }
};

// The bitmap the encoder makes for the case, with the component's own settings.
torv::platform::MonochromeBitmap referenceBitmap(const PaintCase& c) {
  TorvPdf417Comp instance;
  instance.rows = c.rows;
  instance.columns = c.columns;
  instance.eccLevel = c.ecc;
  instance.xScale = c.xScale;
  instance.yScale = c.yScale;
  const auto picture = torv::component::makeSymbolPicture(instance, c.text.c_str());
  return picture ? picture->bitmap() : torv::platform::MonochromeBitmap{};
}

std::uint32_t colourOf(const torv::platform::MonochromeBitmap& bitmap, int x, int y) {
  const auto& colour = bitmap.palette[bitmap.bit(bitmap.row(y), x)];
  return colour.blue | (colour.green << 8) | (std::uint32_t{colour.red} << 16);
}

int hostUnits(int pixels, int dpi) { return MulDiv(72 * MulDiv(pixels, 2540, 96), dpi, 243840); }

std::string paintedDirectory() {
  char value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("TORV_PAINTED_DIR", value, sizeof value);
  if (length > 0 && length < sizeof value) return value;
  return TORV_PAINTED_DIR;
}

class PluginDll : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin_.complete()) << "torvc_pdf417.dll or one of its entry points"; }
  Plugin plugin_;
};

TEST(WindowsDlls, ExportExactlyTheirEntryPointsByPlainName) {
  const std::set<std::string> plugin = {"GetNewInstance", "GetCopyInstance", "DeleteInstance", "getAttrListLength",
                                        "getAttrList",    "getAttrLength",   "getAttr",        "setAttr",
                                        "writeMe",        "readMe",          "getAutosize",    "paint",
                                        "print"};
  const std::set<std::string> client = {"TorvVeskClient_create",
                                        "TorvVeskClient_destroy",
                                        "TorvVeskClient_createSecureInputStream",
                                        "TorvVeskClient_createSecureOutputStream",
                                        "TorvVeskClient_readByte",
                                        "TorvVeskClient_readBArray",
                                        "TorvVeskClient_available",
                                        "TorvVeskClient_readClose",
                                        "TorvVeskClient_writeByte",
                                        "TorvVeskClient_writeBArray",
                                        "TorvVeskClient_flush",
                                        "TorvVeskClient_WriteClose",
                                        "TorvVeskClient_getLastErrorMessage",
                                        "TorvVeskClient_free_memory"};
  for (const auto& [dll, names] :
       {std::make_pair(L"torvc_pdf417.dll", plugin), std::make_pair(L"TorvVeskClientSession.dll", client)}) {
    HMODULE module = LoadLibraryW(dll);
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_EQ(exportedNames(module), names);
    for (const std::string& name : names) EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << name;
    FreeLibrary(module);
  }
}

// The client DLL as a host drives it: a connection that fails with a system error code.
namespace failing_host {
const char kNoByte[] = "connection reset";
int TORV_VESK_CALL readByte(int, unsigned char*, int*) {
  SetLastError(10054);
  return -1;
}
int TORV_VESK_CALL readBArray(int, char*, int, int*) {
  SetLastError(10054);
  return -1;
}
int TORV_VESK_CALL available(int, int* n) { return *n = 0; }
int TORV_VESK_CALL readClose(int, int) { return 0; }
std::string written;
int TORV_VESK_CALL writeByte(int, int value) {
  written += static_cast<char>(value);
  return 0;
}
int TORV_VESK_CALL writeBArray(int, const char* source, int length) {
  written.append(source, static_cast<std::size_t>(length));
  return 0;
}
int TORV_VESK_CALL flush(int) { return 0; }
int TORV_VESK_CALL writeClose(int) { return 0; }
const char* TORV_VESK_CALL errorMessage(int) { return kNoByte; }
}  // namespace failing_host

TEST(ClientDll, ReturnCodesAndTheHostsLastErrorThroughTheDll) {
  HMODULE module = LoadLibraryW(L"TorvVeskClientSession.dll");
  ASSERT_NE(module, nullptr);
  const auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); };
  const auto create = reinterpret_cast<decltype(&::TorvVeskClient_create)>(find("TorvVeskClient_create"));
  const auto receive = reinterpret_cast<decltype(&::TorvVeskClient_createSecureInputStream)>(
      find("TorvVeskClient_createSecureInputStream"));
  const auto send = reinterpret_cast<decltype(&::TorvVeskClient_createSecureOutputStream)>(
      find("TorvVeskClient_createSecureOutputStream"));
  const auto lastText =
      reinterpret_cast<decltype(&::TorvVeskClient_getLastErrorMessage)>(find("TorvVeskClient_getLastErrorMessage"));
  const auto destroy = reinterpret_cast<decltype(&::TorvVeskClient_destroy)>(find("TorvVeskClient_destroy"));
  ASSERT_TRUE(create && receive && send && lastText && destroy);

  using namespace failing_host;
  const char noAttributes[4] = {0, 0, 0, 0};
  TorvVeskClientHandle handle = nullptr;
  ASSERT_EQ(create(noAttributes, 4, 7, readByte, readBArray, available, readClose, writeByte, writeBArray, flush,
                   writeClose, errorMessage, &handle),
            1001);
  EXPECT_STREQ(lastText(handle), "");

  // The list goes out in the clear; no secure stream is set up.
  const char oneAttribute[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 'k', 0, 0, 0, 1, 0, 'v'};
  written.clear();
  EXPECT_EQ(send(handle, oneAttribute, sizeof oneAttribute), 0);
  EXPECT_EQ(written, std::string(oneAttribute, sizeof oneAttribute));

  char* bytes = nullptr;
  int count = -5;
  EXPECT_EQ(receive(handle, &bytes, &count), -30000);
  EXPECT_EQ(bytes, nullptr);
  const std::string text = lastText(handle);
  EXPECT_EQ(text.rfind("TorvVeskClient_createSecureInputStream: unknown exception occured:last error: 10054 ", 0), 0u)
      << text;
  EXPECT_EQ(destroy(handle), 1);
  EXPECT_EQ(destroy(nullptr), -100000);
  FreeLibrary(module);
}

TEST_F(PluginDll, NaturalSizeIsThePictureSizeInHostUnits) {
  MemorySurface surface(4, 4);
  ASSERT_TRUE(surface.ready());
  ASSERT_EQ(GetDeviceCaps(surface.context(), LOGPIXELSX), 96);
  for (const PaintCase& c : torv::test::paintCases()) {
    const auto bitmap = referenceBitmap(c);
    ASSERT_GT(bitmap.width, 0) << c.name;
    TorvPdf417Comp* instance = plugin_.instanceFor(c);
    float width = -1, height = -1;
    plugin_.getAutosize(instance, surface.context(), c.text.c_str(), &width, &height);
    EXPECT_EQ(width, hostUnits(bitmap.width, 96)) << c.name;
    EXPECT_EQ(height, hostUnits(bitmap.height, 96)) << c.name;
    plugin_.deleteInstance(instance);
  }
}

// Every device pixel is the bitmap pixel it covers, upright (the bitmap's top row at the top,
// its left column at the left), at exactly `multiple` pixels per bitmap pixel; nothing outside.
TEST_F(PluginDll, PaintsTheBitmapUprightAtExactMultiples) {
  const std::string directory = paintedDirectory();
  CreateDirectoryA(directory.c_str(), nullptr);
  int largestMultiple = 0;
  for (const PaintCase& c : torv::test::paintCases()) {
    SCOPED_TRACE(c.name);
    const auto bitmap = referenceBitmap(c);
    ASSERT_GT(bitmap.width, 0);
    const auto exact =
        torv::test::exactPaint(bitmap.width, bitmap.height, hostUnits(bitmap.width, 96), hostUnits(bitmap.height, 96));
    ASSERT_TRUE(exact) << "no scale paints this " << bitmap.width << "x" << bitmap.height
                       << " symbol at an exact multiple";
    const int k = exact->multiple;
    const float* scale = &exact->scale;
    const int width = k * bitmap.width;
    const int height = k * bitmap.height;

    MemorySurface surface(width + 5, height + 3);
    ASSERT_TRUE(surface.ready());
    TorvPdf417Comp* instance = plugin_.instanceFor(c);
    plugin_.paint(instance, surface.context(), c.text.c_str(), 0.0f, 0.0f, 0.0f, 0.0f, *scale);
    plugin_.deleteInstance(instance);

    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) wrong += surface.at(x, y) != colourOf(bitmap, x / k, y / k);
    }
    EXPECT_EQ(wrong, 0) << "pixels that differ from the bitmap";
    for (int y = 0; y < height + 3; ++y) {
      for (int x = width; x < width + 5; ++x) ASSERT_EQ(surface.at(x, y), MemorySurface::kMarker) << x << "," << y;
    }
    for (int x = 0; x < width; ++x) ASSERT_EQ(surface.at(x, height), MemorySurface::kMarker) << x;

    // Every row starts with the start pattern: bars and spaces of 8,1,1,1,1,1,1,3 modules.
    const int module = k * (c.xScale == 0 ? 1 : c.xScale);
    const int pattern[] = {8, 1, 1, 1, 1, 1, 1, 3};
    for (int y = 0; y < height; y += k) {
      int x = 0;
      for (int i = 0; i < 8; ++i) {
        const std::uint32_t expected = i % 2 == 0 ? 0x000000 : 0xFFFFFF;
        for (int n = 0; n < pattern[i] * module; ++n, ++x) ASSERT_EQ(surface.at(x, y), expected) << x << "," << y;
      }
    }
    largestMultiple = std::max(largestMultiple, k);
    EXPECT_TRUE(torv::test::writePaintedImage(directory + "/" + c.name + ".bmp", surface.crop(width, height)));
  }
  EXPECT_GE(largestMultiple, 2) << "some symbol must be stretched";
}

TEST_F(PluginDll, PrintDrawsThePhysicalSizeWhateverTheScale) {
  const PaintCase& c = torv::test::paintCases().front();
  const auto bitmap = referenceBitmap(c);
  MemorySurface surface(bitmap.width + 4, bitmap.height + 4);
  ASSERT_TRUE(surface.ready());
  TorvPdf417Comp* instance = plugin_.instanceFor(c);
  plugin_.print(instance, surface.context(), c.text.c_str(), 1.0f, 1.0f, 0.0f, 0.0f, 5.0f, -3.0f, -3.0f);
  plugin_.deleteInstance(instance);
  int wrong = 0;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) wrong += surface.at(x + 2, y + 2) != colourOf(bitmap, x, y);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(surface.at(bitmap.width + 2, 2), MemorySurface::kMarker);
  EXPECT_EQ(surface.at(2, bitmap.height + 2), MemorySurface::kMarker);
}

TEST_F(PluginDll, RefusedModuleWidthDrawsAndMeasuresNothing) {
  PaintCase c = torv::test::paintCases().front();
  c.xScale = 21;
  MemorySurface surface(400, 200);
  ASSERT_TRUE(surface.ready());
  TorvPdf417Comp* instance = plugin_.instanceFor(c);
  float width = -1, height = -2;
  plugin_.getAutosize(instance, surface.context(), c.text.c_str(), &width, &height);
  plugin_.paint(instance, surface.context(), c.text.c_str(), 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  plugin_.print(instance, surface.context(), c.text.c_str(), 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
  plugin_.deleteInstance(instance);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(height, -2);
  EXPECT_TRUE(surface.untouched());
}

TEST_F(PluginDll, NullDeviceContextIsIgnored) {
  TorvPdf417Comp* instance = plugin_.getNewInstance();
  float width = -1, height = -1;
  plugin_.getAutosize(instance, nullptr, u"x", &width, &height);
  plugin_.paint(instance, nullptr, u"x", 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  plugin_.deleteInstance(instance);
  EXPECT_EQ(width, -1);
}

}  // namespace
