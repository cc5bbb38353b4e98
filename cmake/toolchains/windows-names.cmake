# SPDX-License-Identifier: Apache-2.0
# DLL names as the host expects them: no "lib" prefix (import libraries keep theirs).
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")
