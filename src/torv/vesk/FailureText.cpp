// SPDX-License-Identifier: Apache-2.0
#include "torv/vesk/FailureText.h"

#include <cstdio>
#include <cstring>

#include "platform/code_page.h"

namespace torv::vesk {

void storeComposedFailureText(char (&target)[kFailureTextSize], const CaptureSite& site, int lastError) {
  char text[kFailureTextLimit + 1];
  std::snprintf(text, sizeof text, "%slast error: %d %s:%d", site.literal, lastError,
                ".\\torv\\vesk\\TorvVeskClientBridge", site.textLine);
  storeFailureText(target, text);
}

void storeFailureText(char (&target)[kFailureTextSize], const char* text) {
  if (text == nullptr) text = "";
  // The cut never splits a double-byte character: a lead byte that would be the last byte kept
  // is dropped with its trail byte.
  std::size_t length = 0;
  while (length < kFailureTextLimit && text[length] != '\0') {
    const bool lead = platform::isAnsiLeadByte(static_cast<unsigned char>(text[length]));
    if (lead && length + 1 == kFailureTextLimit) break;
    length += (lead && text[length + 1] != '\0') ? 2 : 1;
  }
  // memmove: the host may hand back this very text as its failure text.
  std::memmove(target, text, length);
  std::memset(target + length, 0, kFailureTextLimit - length);
}

}  // namespace torv::vesk
