#include "pdf417/ecc_level.h"

#include <algorithm>

#include "pdf417/capacity_plan.h"
#include "pdf417/pdf417.h"

namespace torv::pdf417 {
namespace {

unsigned ceilDiv(unsigned a, unsigned b) { return (a + b - 1) / b; }

// percent per cent of n, to the nearest whole number.
unsigned percentOf(unsigned percent, unsigned n) { return (percent * n + 50) / 100; }

}  // namespace

unsigned chooseEccLevel(const Pdf417Options& o, unsigned dataCount) {
  const unsigned p = o.eccPercent;
  if (o.eccExplicit) return std::min<unsigned>(o.eccLevel, 8);
  if (o.sizingMode == SIZING_FIXED) {
    if (o.rows != 0 && o.columns != 0) {
      const unsigned slots = unsigned{o.rows} * o.columns;
      return levelFor(p, slots - 100 * slots / (p + 100));
    }
    if (o.columns == 0 && o.rows != 0) {
      return levelFor(p, percentOf(p, o.rows * ceilDiv(dataCount, o.rows)));
    }
    if (o.rows == 0 && o.columns != 0) {
      return levelFor(p, percentOf(p, o.columns * std::max(3u, ceilDiv(dataCount, o.columns))));
    }
  }
  return levelFor(p, percentOf(p, dataCount));
}

}  // namespace torv::pdf417
