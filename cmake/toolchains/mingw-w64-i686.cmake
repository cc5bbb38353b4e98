# SPDX-License-Identifier: Apache-2.0
# Cross build of the Windows DLLs with mingw-w64 for 32-bit Windows (Debian packages
# g++-mingw-w64-i686-posix). Exports stay undecorated: cdecl names carry no suffix.
set(TORV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
