# SPDX-License-Identifier: Apache-2.0
# What an integrator receives (cmake --install, scripts/package.sh), in install components:
#   runtime  the two libraries
#   dev      headers, pkg-config files, the CMake package (find_package(Torv CONFIG)); on Windows
#            also the import libraries (.dll.a for mingw, .lib for MSVC) and .def files
#   tools    the pdf417 and pdf417-encode commands and their manual pages
#   doc      the integration guide, example hosts, changes, README and the licence
#
# The libraries keep the plain file names hosts load them by (libtorvc_pdf417.so,
# TorvVeskClientSession.dll, ...): no SOVERSION, since a versioned file name would leave the name
# a host opens as a development symlink only. The version is in the package and, on Windows, in
# each DLL's version resource.
#
# The install directories are set in cmake/TorvInstallDirs.cmake.
include(CMakePackageConfigHelpers)
set(TORV_PKGCONFIG_PREFIX "" CACHE STRING
    "Absolute prefix written into the pkg-config files; empty: relative to the files themselves")
set(torv_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Torv)
set(torv_generated ${PROJECT_BINARY_DIR}/generated/install)

# Libraries are loaded, not run: no execute bits, as Debian's tools would set them anyway.
set(torv_library_permissions PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS TorvVeskClientSession torvc_pdf417 EXPORT TorvTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime ${torv_library_permissions}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime ${torv_library_permissions}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/torv_vesk_client.h include/torvc_pdf417.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev)

# CMake: imported targets Torv::TorvVeskClientSession and Torv::torvc_pdf417; any 1.x release
# satisfies a request for an older 1.y.
install(EXPORT TorvTargets NAMESPACE Torv:: DESTINATION ${torv_cmake_dir} COMPONENT dev)
configure_package_config_file(cmake/package/TorvConfig.cmake.in ${torv_generated}/TorvConfig.cmake
                              INSTALL_DESTINATION ${torv_cmake_dir})
write_basic_package_version_file(${torv_generated}/TorvConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${torv_generated}/TorvConfig.cmake ${torv_generated}/TorvConfigVersion.cmake
        DESTINATION ${torv_cmake_dir} COMPONENT dev)

# pkg-config: one file per library. Without an absolute prefix the files find the tree they sit
# in (${pcfiledir}), so an unpacked archive works wherever it lies.
if(TORV_PKGCONFIG_PREFIX)
  set(TORV_PC_PREFIX ${TORV_PKGCONFIG_PREFIX})
else()
  file(RELATIVE_PATH up /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  set(TORV_PC_PREFIX "\${pcfiledir}/${up}")
endif()
foreach(library TorvVeskClientSession:Client_session_library torvc_pdf417:PDF417_barcode_plug-in)
  string(REPLACE ":" ";" parts ${library})
  list(GET parts 0 TORV_PC_NAME)
  list(GET parts 1 TORV_PC_DESCRIPTION)
  string(REPLACE "_" " " TORV_PC_DESCRIPTION ${TORV_PC_DESCRIPTION})
  configure_file(cmake/package/library.pc.in ${torv_generated}/${TORV_PC_NAME}.pc @ONLY)
  install(FILES ${torv_generated}/${TORV_PC_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()

if(WIN32)
  include(cmake/TorvImportLibraries.cmake)
endif()

# The pdf417 command carries the plug-in built in; its --plugin loads lib/libtorvc_pdf417.so by path.
foreach(tool pdf417 pdf417-encode)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endforeach()
install(FILES docs/integration.md CHANGELOG.md README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT doc)
install(FILES examples/vesk_host.c examples/pdf417_host.c examples/linked_host.c DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT doc)
if(WIN32)
  # At the top of the ZIP, where a Windows user looks first, with Windows line ends.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TORV_MSVC_PLATFORM x64)
  else()
    set(TORV_MSVC_PLATFORM Win32)
  endif()
  foreach(text README.txt:cmake/package/windows-readme.txt LICENSE.txt:LICENSE)
    string(REPLACE ":" ";" parts ${text})
    list(GET parts 0 name)
    list(GET parts 1 source)
    configure_file(${source} ${torv_generated}/${name} @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${torv_generated}/${name} DESTINATION . COMPONENT doc)
  endforeach()
  set(torv_licence ${torv_generated}/LICENSE.txt)
else()
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT doc)
  set(torv_licence LICENSE)
endif()
# The debug archive is a download of its own: it carries the licence too.
install(FILES ${torv_licence} DESTINATION . COMPONENT debug EXCLUDE_FROM_ALL)
