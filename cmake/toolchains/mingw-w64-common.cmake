# SPDX-License-Identifier: Apache-2.0
# Shared part of the mingw-w64 toolchain files; TORV_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${TORV_MINGW_TRIPLET}")

set(CMAKE_C_COMPILER ${TORV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TORV_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs (cmake, java, ...) of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TORV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked statically (the C++ runtime and winpthread too), so the DLLs and the test
# programs need no runtime DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh)

# Applied after the platform's own rules: the host loads TorvVeskClientSession.dll and
# torvc_pdf417.dll, so DLLs carry no "lib" prefix.
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/windows-names.cmake)
