# SPDX-License-Identifier: Apache-2.0
# Cross build of the Windows DLLs with mingw-w64 for 64-bit Windows (Debian packages
# g++-mingw-w64-x86-64-posix: the posix thread model, which GoogleTest needs).
set(TORV_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
