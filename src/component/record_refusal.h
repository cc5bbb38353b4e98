// How readMe refuses a record it cannot restore.
#pragma once

namespace torv::component {

// Linux: throws std::invalid_argument with the text. Windows: raises the documented structured
// exception (a C++ exception cannot cross into a host built by another compiler); it returns
// only when a host's handler continues execution, and the caller then changes nothing.
void refuseRecord(const char* what, int length);

}  // namespace torv::component
