// SPDX-License-Identifier: Apache-2.0
#include "symbol_model.h"

#include <algorithm>

namespace torv::test {
namespace {

constexpr int kThreshold[9] = {0, 0, 4, 11, 21, 46, 101, 201, 401};  // index 1..8
constexpr int kPercent = 10;

int ceilDiv(int a, int b) { return (a + b - 1) / b; }

int chooseLevel(const ModelOptions& o, int n) {
  if (o.eccExplicit) return o.eccLevel;
  if (!o.fixed) return levelFor(kPercent, (kPercent * n + 50) / 100);
  if (o.rows != 0 && o.columns != 0) {
    const int s = o.rows * o.columns;
    return levelFor(kPercent, s - 100 * s / (kPercent + 100));
  }
  const int p = o.columns == 0 ? o.rows * ceilDiv(n, o.rows) : o.columns * std::max(3, ceilDiv(n, o.columns));
  return levelFor(kPercent, (kPercent * p + 50) / 100);
}

}  // namespace

int checkCodewords(int level) { return 2 << level; }

int levelFor(int percent, int v) {
  if (percent == 0) return 0;
  for (int i = 8; i >= 1; --i)
    if (v >= kThreshold[i]) return i;
  return 1;
}

int maxBytes(int k) { return k <= 0 ? 0 : (k % 5) + 6 * (k / 5); }

bool rowsColumnsAccepted(bool fixed, int rows, int columns) {
  if (rows < 0 || rows > 65535 || columns < 0 || columns > 65535) return false;
  if (!(rows == 0 || (rows >= 3 && rows <= 90))) return false;
  if (columns > 30) return false;
  if (!fixed) return rows != 0 && columns != 0;
  if (rows == 0 && columns == 0) return false;
  return rows == 0 || columns == 0 || rows * columns <= 928;
}

Plan planCapacity(const ModelOptions& o) {
  Plan p;
  if (o.fixed) {
    if (o.rows != 0 && o.columns != 0)
      p.slots = o.rows * o.columns;
    else if (o.rows == 0)
      p.slots = o.columns * std::min(928 / o.columns, 90);
    else
      p.slots = o.rows * std::min(928 / o.rows, 30);
  } else if (o.rows * o.columns <= 928) {
    p.slots = o.rows * o.columns;
  } else {
    for (int c = o.columns; c >= 1; --c) {
      if (c != o.columns && 928 / c > o.rows) break;
      p.slots = std::max(p.slots, c * (928 / c));
    }
  }
  p.level = o.eccExplicit ? o.eccLevel : levelFor(kPercent, p.slots - 100 * p.slots / (kPercent + 100));
  if (checkCodewords(p.level) >= p.slots - 1) {
    p.noRoom = true;
    return p;
  }
  p.capacity = p.slots - checkCodewords(p.level);
  return p;
}

Layout chooseLayout(const ModelOptions& o, int n) {
  Layout l;
  l.level = chooseLevel(o, n);
  const int total = n + checkCodewords(l.level);
  if (o.fixed) {
    l.rows = o.rows;
    l.columns = o.columns;
    if (o.rows != 0 && o.columns != 0) {
      if (o.rows * o.columns < total) return l;
    } else if (o.columns == 0) {
      l.columns = ceilDiv(total, o.rows);
    } else {
      l.rows = std::max(3, ceilDiv(total, o.columns));
    }
    if (l.rows * l.columns > 928 || l.rows > 90 || l.columns > 30) return l;
  } else {
    int chosen = 0, previous = 0, previousRatio = 0;
    for (int c = 1; c <= o.columns; ++c) {
      const int r = std::max(3, ceilDiv(total, c));
      if (r > o.rows || r * c > 928) continue;
      const int ratio = 100 * r * o.rowHeightNum / (o.rowHeightDen * (17 * c + 69));
      if (ratio <= o.aspect) {
        chosen = (previous != 0 && previousRatio - o.aspect < o.aspect - ratio) ? previous : c;
        break;
      }
      previous = c;
      previousRatio = ratio;
    }
    if (chosen == 0) chosen = previous;
    if (chosen == 0) return l;
    l.columns = chosen;
    l.rows = std::max(3, ceilDiv(total, chosen));
  }
  l.pads = l.rows * l.columns - total;
  if (!o.eccExplicit) {
    while (l.level < 8) {
      const int more = checkCodewords(l.level + 1) - checkCodewords(l.level);
      if (l.pads < more) break;
      l.pads -= more;
      ++l.level;
    }
  }
  l.fits = true;
  return l;
}

std::string describe(const ModelOptions& o) {
  std::string s = o.fixed ? "fixed " : "bounded ";
  s += std::to_string(o.rows) + "x" + std::to_string(o.columns);
  s += o.eccExplicit ? " level " + std::to_string(o.eccLevel) : std::string(" level auto");
  s += " aspect " + std::to_string(o.aspect) + " row " + std::to_string(o.rowHeightNum) + ":" +
       std::to_string(o.rowHeightDen);
  return s;
}

}  // namespace torv::test
