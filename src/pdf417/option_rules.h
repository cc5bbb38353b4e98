// SPDX-License-Identifier: Apache-2.0
// The setters' rules as plain functions on option values: each returns whether it takes the value,
// and a refused value leaves the options unchanged.
#pragma once

#include "pdf417/options.h"

namespace torv::pdf417 {

bool applyEccLevel(Pdf417Options& options, int level);
bool applySizingMode(Pdf417Options& options, int mode);
bool applyRowsColumns(Pdf417Options& options, int rows, int columns);
bool applyAspectRatio(Pdf417Options& options, const char* ratio);
bool applyRowHeightRatio(Pdf417Options& options, const char* ratio);
bool applyBitmapWriter(BitmapOptions& bitmap, int moduleWidth, bool withFileHeader);

}  // namespace torv::pdf417
