#include "torv/vesk/FailureText.h"

#include <cstring>

namespace torv::vesk {

std::string composeFailureText(const CaptureSite& site, int lastError) {
  std::string text(site.literal);
  text += "last error: ";
  text += std::to_string(lastError);
  text += " ";
  text += ".\\torv\\vesk\\TorvVeskClientBridge";
  text += ":";
  text += std::to_string(site.line);
  return text;
}

void storeFailureText(char (&target)[kFailureTextSize], const char* text) {
  if (text == nullptr) text = "";
  // The code page is single-byte (Windows-1252), so a cut never splits a character.
  const std::size_t length = strnlen(text, kFailureTextLimit);
  std::memcpy(target, text, length);
  std::memset(target + length, 0, kFailureTextLimit - length);
}

}  // namespace torv::vesk
