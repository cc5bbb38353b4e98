// SPDX-License-Identifier: Apache-2.0
// What the encoder promises about the size of a symbol, written down independently of it: which
// option values the setters take, the slots and data room an encode plans, and the rows, columns and
// error-correction level a write chooses for a given number of data codewords.
#pragma once

#include <string>

namespace torv::test {

struct ModelOptions {
  bool fixed = false;  // fixed sizing mode (else bounded)
  int rows = 90, columns = 30;
  bool eccExplicit = false;  // a level 0..8 was set (this also turns the raise off)
  int eccLevel = 0;
  int aspect = 50;  // height : width x 100
  int rowHeightNum = 3, rowHeightDen = 1;
};

int checkCodewords(int level);     // 2^(level + 1)
int levelFor(int percent, int v);  // the level threshold rule
int maxBytes(int codewords);       // bytes that pure Byte Compaction fits into codewords

// Whether the rows/columns setter takes the pair in the given sizing mode.
bool rowsColumnsAccepted(bool fixed, int rows, int columns);

struct Plan {
  int slots = 0;
  int level = 0;
  int capacity = 0;  // data codewords, the length descriptor included
  bool noRoom = false;
};
Plan planCapacity(const ModelOptions& o);

struct Layout {
  bool fits = false;
  int rows = 0, columns = 0, level = 0, pads = 0;
};
// `dataCount`: data codewords including the length descriptor.
Layout chooseLayout(const ModelOptions& o, int dataCount);

std::string describe(const ModelOptions& o);

}  // namespace torv::test
