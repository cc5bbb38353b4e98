#include "torv/vesk/FailureText.h"

#include <cstdio>
#include <cstring>

namespace torv::vesk {

void storeComposedFailureText(char (&target)[kFailureTextSize], const CaptureSite& site, int lastError) {
  char text[kFailureTextLimit + 1];
  std::snprintf(text, sizeof text, "%slast error: %d %s:%d", site.literal, lastError,
                ".\\torv\\vesk\\TorvVeskClientBridge", site.line);
  storeFailureText(target, text);
}

void storeFailureText(char (&target)[kFailureTextSize], const char* text) {
  if (text == nullptr) text = "";
  // The code page is single-byte (Windows-1252), so a cut never splits a character.
  const std::size_t length = strnlen(text, kFailureTextLimit);
  std::memcpy(target, text, length);
  std::memset(target + length, 0, kFailureTextLimit - length);
}

}  // namespace torv::vesk
