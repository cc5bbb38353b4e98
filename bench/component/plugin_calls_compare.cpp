// SPDX-License-Identifier: Apache-2.0
// getAutosize, paint and print per call of two builds of the plug-in, loaded side by side in one
// process and timed in alternating rounds, so that both meet the same load on a shared machine.
// Usage: plugin_calls_compare BEFORE.so AFTER.so [seconds per round]   (default 0.2)
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "torvc_pdf417.h"

namespace {

struct Plugin {
  void* handle = nullptr;
  decltype(&::GetNewInstance) newInstance = nullptr;
  decltype(&::DeleteInstance) deleteInstance = nullptr;
  decltype(&::setAttr) setAttr = nullptr;
  decltype(&::getAutosize) getAutosize = nullptr;
  decltype(&::paint) paint = nullptr;
  decltype(&::print) print = nullptr;
  TorvPdf417Comp* instance = nullptr;

  explicit Plugin(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) {
      std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
      std::exit(1);
    }
    newInstance = reinterpret_cast<decltype(newInstance)>(dlsym(handle, "GetNewInstance"));
    deleteInstance = reinterpret_cast<decltype(deleteInstance)>(dlsym(handle, "DeleteInstance"));
    setAttr = reinterpret_cast<decltype(setAttr)>(dlsym(handle, "setAttr"));
    getAutosize = reinterpret_cast<decltype(getAutosize)>(dlsym(handle, "getAutosize"));
    paint = reinterpret_cast<decltype(paint)>(dlsym(handle, "paint"));
    print = reinterpret_cast<decltype(print)>(dlsym(handle, "print"));
    if (!newInstance || !deleteInstance || !setAttr || !getAutosize || !paint || !print) {
      std::fprintf(stderr, "%s lacks an entry point\n", path);
      std::exit(1);
    }
    // The settings of component_bench: automatic level, modules 2 px, rows 6 px.
    instance = newInstance();
    setAttr(instance, u"PDF417_ECC", u"-1");
    setAttr(instance, u"PDF417_XSCALE", u"2");
    setAttr(instance, u"PDF417_YSCALE", u"5");
  }
  ~Plugin() {
    deleteInstance(instance);
    dlclose(handle);
  }
};

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Microseconds of processor time per call over one round of about `seconds`.
template <typename Call>
double perCall(Call&& call, double seconds) {
  long calls = 0;
  const double start = cpuSeconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 16; ++i) call();
    calls += 16;
    now = cpuSeconds();
  }
  return (now - start) * 1e6 / static_cast<double>(calls);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Surface {
  TorvDeviceContext dc{};
  std::vector<unsigned char> pixels;
  Surface(int dpi, int width, int height) {
    dc.dpiX = dc.dpiY = dpi;
    dc.width = width;
    dc.height = height;
    dc.stride = width * 4;
    pixels.assign(static_cast<std::size_t>(dc.stride) * height, 0);
    dc.pixels = pixels.data();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BEFORE.so AFTER.so [seconds per round]\n", argv[0]);
    return 2;
  }
  const double seconds = argc > 3 ? std::atof(argv[3]) : 0.2;
  Plugin before(argv[1]), after(argv[2]);
  Plugin* builds[2] = {&before, &after};

  const std::string hello = "Hello, World! PDF417 test 0123456789";
  const std::string prose =
      "It was the best of times, it was the worst of times; in the year 1775 there were 365 days and "
      "the mail left at 0800 hours for Dover, 71 miles away. Receipt 20240531 covers items 17 to 42. ";
  std::string thousand;
  while (thousand.size() < 1000) thousand += prose;
  thousand.resize(1000);
  const struct {
    const char* name;
    std::u16string text;
  } inputs[] = {{"36-byte text", std::u16string(hello.begin(), hello.end())},
                {"1000-byte text", std::u16string(thousand.begin(), thousand.end())}};

  std::printf("Plug-in calls, processor time per call, single thread (median of 7 alternating rounds of %.2f s)\n",
              seconds);
  std::printf("%-9s %-15s %12s %12s %8s\n", "call", "input", "before us", "after us", "speedup");
  for (const auto& input : inputs) {
    const char16_t* text = input.text.c_str();
    // Surfaces that hold the paint at 128 dpi, scale 1, and the print at 600 dpi.
    TorvDeviceContext at128{128, 128, 0, 0, 0, nullptr}, at600{600, 600, 0, 0, 0, nullptr};
    float w128 = 0, h128 = 0, w600 = 0, h600 = 0;
    before.getAutosize(before.instance, &at128, text, &w128, &h128);
    before.getAutosize(before.instance, &at600, text, &w600, &h600);
    Surface paintSurface(128, static_cast<int>(w128) + 1, static_cast<int>(h128) + 1);
    Surface printSurface(600, static_cast<int>(w600 * 4 / 3) + 4, static_cast<int>(h600 * 4 / 3) + 4);
    // Both builds must draw the same pixels.
    for (Surface* s : {&paintSurface, &printSurface}) {
      std::vector<unsigned char> drawn[2];
      for (int b = 0; b < 2; ++b) {
        std::fill(s->pixels.begin(), s->pixels.end(), 0);
        if (s == &paintSurface) {
          builds[b]->paint(builds[b]->instance, &s->dc, text, 0, 0, 0, 0, 1.0f);
        } else {
          builds[b]->print(builds[b]->instance, &s->dc, text, 0, 0, 0, 0, 1.0f, 0, 0);
        }
        drawn[b] = s->pixels;
      }
      if (drawn[0] != drawn[1]) {
        std::fprintf(stderr, "%s: the builds draw different pixels\n", input.name);
        return 1;
      }
    }
    const char* calls[] = {"getAutosize", "paint", "print"};
    for (int c = 0; c < 3; ++c) {
      std::vector<double> times[2];
      for (int round = 0; round < 7; ++round) {
        for (int b = 0; b < 2; ++b) {
          Plugin& p = *builds[b];
          TorvDeviceContext at96{96, 96, 0, 0, 0, nullptr};
          float width = 0, height = 0;
          times[b].push_back(perCall(
              [&] {
                if (c == 0) {
                  p.getAutosize(p.instance, &at96, text, &width, &height);
                } else if (c == 1) {
                  p.paint(p.instance, &paintSurface.dc, text, 0, 0, 0, 0, 1.0f);
                } else {
                  p.print(p.instance, &printSurface.dc, text, 0, 0, 0, 0, 1.0f, 0, 0);
                }
              },
              seconds));
        }
      }
      const double b = median(times[0]), a = median(times[1]);
      std::printf("%-9s %-15s %12.2f %12.2f %7.2fx\n", calls[c], input.name, b, a, b / a);
    }
  }
  return 0;
}
