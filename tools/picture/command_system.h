// SPDX-License-Identifier: Apache-2.0
// What the commands ask of the system beyond standard C++, the same on every platform: arguments
// and file names in UTF-8, and standard streams that carry a picture's bytes unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torv::tools {

// The arguments after the program's name, in UTF-8. Windows hands a program its arguments in the
// ANSI code page, which loses characters; they are taken from the UTF-16 command line instead.
std::vector<std::string> commandArguments(int argc, char** argv);

// std::fopen and std::remove with a UTF-8 path.
std::FILE* openFile(const std::string& path, const char* mode);
int removeFile(const std::string& path);
// The absolute form of an existing file's path, or the path as it is when the system has none.
std::string absolutePath(const std::string& path);

// Stops the C runtime from turning "\n" into "\r\n" (and back) on a standard stream that carries
// a picture or data bytes; a no-op where streams have no text mode.
void useBinaryMode(std::FILE* stream);

// Keeps memory the commands free between pictures rather than hands it back to the system at once
// (where the C library can be told; elsewhere nothing).
void keepFreedMemory();

}  // namespace torv::tools
