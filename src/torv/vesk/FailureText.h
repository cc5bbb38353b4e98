// SPDX-License-Identifier: Apache-2.0
// Failure texts that the exported functions leave in a handle.
#pragma once

#include <cstddef>

namespace torv::vesk {

// Size of a handle's failure text: 4096 bytes of text and a zero that is never overwritten.
constexpr std::size_t kFailureTextSize = 4097;
constexpr std::size_t kFailureTextLimit = 4096;

// How an exported function names itself in its failure text: its literal and the number that
// ends the text. Hosts match these texts, so the number is a fixed part of each function's text
// and has nothing to do with where the function stands in any file of ours.
struct CaptureSite {
  const char* literal;
  int textLine;
};

// Stores "<literal>last error: <code> .\torv\vesk\TorvVeskClientBridge:<textLine>" in target.
// The file named there is a fixed part of the text, like the number: no file of ours.
// Allocates nothing, so that it also works when memory has run out.
void storeComposedFailureText(char (&target)[kFailureTextSize], const CaptureSite& site, int lastError);

// Copies text into target: at most 4096 bytes, stopping after the terminating zero, the rest
// of the first 4096 bytes zero-filled, the last byte left alone. A null text is empty.
void storeFailureText(char (&target)[kFailureTextSize], const char* text);

}  // namespace torv::vesk
