// SPDX-License-Identifier: Apache-2.0
// How readMe refuses a record it cannot restore.
#pragma once

namespace torv::component {

enum class RecordRefusal { kWrongLength, kNoRecord };

// Linux: throws std::invalid_argument. Windows: raises the documented structured exception (a
// C++ exception cannot cross into a host built by another compiler); it returns only when a
// host's handler continues execution, and the caller then changes nothing.
void refuseRecord(RecordRefusal reason, int length);

}  // namespace torv::component
