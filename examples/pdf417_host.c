// SPDX-License-Identifier: Apache-2.0
/* A minimal host of the barcode plug-in, in C: loads the library by name, creates an instance,
 * sets and reads an attribute, saves and restores the 20-byte record, measures a symbol and
 * paints it into a drawing surface of its own.
 *
 * Usage: pdf417_host [library]   (default: libtorvc_pdf417.so, or torvc_pdf417.dll on Windows)
 * Exit status 0 when every step gave what the integration guide says. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "torvc_pdf417.h"

#if defined(_WIN32)
#include <windows.h>
#define LIBRARY_NAME "torvc_pdf417.dll"
typedef HMODULE Library;
static Library openLibrary(const char* path) { return LoadLibraryA(path); }
static void* entry(Library library, const char* name) { return (void*)GetProcAddress(library, name); }
static void closeLibrary(Library library) { FreeLibrary(library); }
#else
#include <dlfcn.h>
#define LIBRARY_NAME "libtorvc_pdf417.so"
typedef void* Library;
static Library openLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* entry(Library library, const char* name) { return dlsym(library, name); }
static void closeLibrary(Library library) { dlclose(library); }
#endif

static int failures = 0;

static void check(int condition, const char* what) {
  printf("%s: %s\n", condition ? "ok  " : "FAIL", what);
  if (!condition) ++failures;
}

/* A grey 32-bit surface the plug-in paints into, and the device context that describes it.
 * On Linux the context is the library's own structure; on Windows it is a memory DC with a
 * top-down DIB section selected into it. */
typedef struct Surface {
  int width, height;
  unsigned char* pixels; /* B, G, R, A; top row first; 4 * width bytes a row */
  TorvDeviceContext* dc;
#if defined(_WIN32)
  HDC memoryDc;
  HBITMAP bitmap;
  HGDIOBJ previous;
#else
  TorvDeviceContext context;
#endif
} Surface;

static int openSurface(Surface* s, int width, int height) {
  s->width = width;
  s->height = height;
#if defined(_WIN32)
  BITMAPINFO info;
  void* bits = NULL;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; /* top-down */
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  s->memoryDc = CreateCompatibleDC(NULL);
  s->bitmap = CreateDIBSection(s->memoryDc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (s->memoryDc == NULL || s->bitmap == NULL) return 0;
  s->previous = SelectObject(s->memoryDc, s->bitmap);
  s->pixels = (unsigned char*)bits;
  s->dc = (TorvDeviceContext*)s->memoryDc;
#else
  s->pixels = (unsigned char*)malloc((size_t)width * (size_t)height * 4);
  if (s->pixels == NULL) return 0;
  s->context.dpiX = s->context.dpiY = 96;
  s->context.width = width;
  s->context.height = height;
  s->context.stride = 4 * width;
  s->context.pixels = s->pixels;
  s->dc = &s->context;
#endif
  memset(s->pixels, 0x80, (size_t)width * (size_t)height * 4);
  return 1;
}

static void closeSurface(Surface* s) {
#if defined(_WIN32)
  if (s->memoryDc != NULL) {
    if (s->bitmap != NULL) SelectObject(s->memoryDc, s->previous);
    DeleteDC(s->memoryDc);
  }
  if (s->bitmap != NULL) DeleteObject(s->bitmap);
#else
  free(s->pixels);
#endif
}

/* A device context that only answers the resolution, enough for getAutosize. */
static int measure(PFN_TorvcPdf417_getAutosize getAutosize, TorvPdf417Comp* instance, const char16_t* data,
                   float* width, float* height) {
  *width = *height = -1.0f;
#if defined(_WIN32)
  HDC screen = CreateCompatibleDC(NULL);
  if (screen == NULL) return 0;
  getAutosize(instance, (TorvDeviceContext*)screen, data, width, height);
  DeleteDC(screen);
#else
  TorvDeviceContext resolution;
  memset(&resolution, 0, sizeof resolution);
  resolution.dpiX = resolution.dpiY = 96;
  getAutosize(instance, &resolution, data, width, height);
#endif
  return *width > 0 && *height > 0;
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : LIBRARY_NAME;
  Library library = openLibrary(path);
  if (library == NULL) {
    fprintf(stderr, "cannot load %s\n", path);
    return 1;
  }
  PFN_TorvcPdf417_GetNewInstance getNewInstance = (PFN_TorvcPdf417_GetNewInstance)entry(library, "GetNewInstance");
  PFN_TorvcPdf417_DeleteInstance deleteInstance = (PFN_TorvcPdf417_DeleteInstance)entry(library, "DeleteInstance");
  PFN_TorvcPdf417_setAttr setAttr = (PFN_TorvcPdf417_setAttr)entry(library, "setAttr");
  PFN_TorvcPdf417_getAttr getAttr = (PFN_TorvcPdf417_getAttr)entry(library, "getAttr");
  PFN_TorvcPdf417_writeMe writeMe = (PFN_TorvcPdf417_writeMe)entry(library, "writeMe");
  PFN_TorvcPdf417_readMe readMe = (PFN_TorvcPdf417_readMe)entry(library, "readMe");
  PFN_TorvcPdf417_getAutosize getAutosize = (PFN_TorvcPdf417_getAutosize)entry(library, "getAutosize");
  PFN_TorvcPdf417_paint paint = (PFN_TorvcPdf417_paint)entry(library, "paint");
  if (!getNewInstance || !deleteInstance || !setAttr || !getAttr || !writeMe || !readMe || !getAutosize || !paint) {
    fprintf(stderr, "%s lacks an entry point\n", path);
    return 1;
  }

  TorvPdf417Comp* instance = getNewInstance();
  check(instance != NULL, "GetNewInstance gives an instance");
  if (instance == NULL) return 1;

  /* Attributes travel as UTF-16 decimal text. */
  char16_t value[12];
  check(setAttr(instance, u"PDF417_XSCALE", u"2") == 1, "setAttr PDF417_XSCALE = 2");
  check(getAttr(instance, u"PDF417_XSCALE", value, 12) == 1 && value[0] == u'2' && value[1] == 0,
        "getAttr PDF417_XSCALE gives \"2\"");
  check(setAttr(instance, u"pdf417_xscale", u"3") == 0, "names are case-sensitive");
  check(setAttr(instance, u"PDF417_YSCALE", u"5") == 1, "setAttr PDF417_YSCALE = 5: rows 2 + 5 - 1 pixels high");

  /* The record is the caller's: free() releases it (see the guide for hosts on another C runtime). */
  int length = 0;
  unsigned char* record = writeMe(instance, &length);
  check(record != NULL && length == 20 && record[15] == 2, "writeMe gives 20 bytes, XSCALE 2 at offset 12");
  if (record != NULL) {
    TorvPdf417Comp* copy = getNewInstance();
    if (copy != NULL) {
      readMe(copy, record, length); /* exactly 20 bytes: another length raises an exception */
      check(getAttr(copy, u"PDF417_XSCALE", value, 12) == 1 && value[0] == u'2', "readMe restores the record");
      deleteInstance(copy);
    }
    free(record);
  }

  /* Natural size in host units (72 per inch on a 96 dpi device), then a painting at scale 1. */
  const char16_t* data = u"PDF417 from a C host: 12.50 \u20ac";
  float width = 0, height = 0;
  check(measure(getAutosize, instance, data, &width, &height), "getAutosize gives a size");
  printf("natural size: %.0f x %.0f host units\n", width, height);

  Surface surface;
  memset(&surface, 0, sizeof surface);
  if (openSurface(&surface, (int)width + 8, (int)height + 8)) {
    paint(instance, surface.dc, data, 4.0f, 4.0f, 0.0f, 0.0f, 1.0f);
#if defined(_WIN32)
    GdiFlush();
#endif
    long black = 0, white = 0;
    for (long i = 0; i < (long)surface.width * surface.height; ++i) {
      const unsigned char* p = surface.pixels + 4 * i;
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) ++black;
      if (p[0] == 255 && p[1] == 255 && p[2] == 255) ++white;
    }
    printf("painted %d x %d pixels: %ld black, %ld white\n", surface.width, surface.height, black, white);
    check(black > 0 && white > 0, "paint draws black bars on white");
    check(surface.pixels[4 * (2 * surface.width + 1)] == 0x80, "the margin above and left of (4, 4) stays grey");
  } else {
    check(0, "a drawing surface");
  }
  closeSurface(&surface);

  deleteInstance(instance);
  closeLibrary(library);
  printf("%s\n", failures == 0 ? "pdf417_host: all steps as documented" : "pdf417_host: FAILED");
  return failures == 0 ? 0 : 1;
}
