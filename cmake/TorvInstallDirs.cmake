# SPDX-License-Identifier: Apache-2.0
# Where `cmake --install` and the packages put things. The Linux archive keeps lib/; the Debian
# packages set CMAKE_INSTALL_LIBDIR to the multiarch directory and TORV_PKGCONFIG_PREFIX to /usr.
# Set before the subdirectories, whose install rules use these directories.
set(CMAKE_INSTALL_LIBDIR lib CACHE PATH "Object code libraries (lib)")
if(WIN32)
  # A ZIP for Windows: documents in doc\ rather than a Unix share\doc path.
  set(CMAKE_INSTALL_DOCDIR doc CACHE PATH "Documentation (doc)")
endif()
include(GNUInstallDirs)
