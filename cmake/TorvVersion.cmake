# SPDX-License-Identifier: Apache-2.0
# One version for everything: the project version reaches the tools (torv_version.h) and the
# VERSIONINFO resources of the Windows DLLs and programs.
configure_file(${CMAKE_CURRENT_LIST_DIR}/torv_version.h.in ${PROJECT_BINARY_DIR}/generated/torv_version.h @ONLY)
add_library(torv_version INTERFACE)

# Who publishes the release, and under which licence: the version resources, the packages'
# copyright files and the guide say the same.
set(TORV_COMPANY "Torv Software")
set(TORV_COPYRIGHT "Copyright 2026 Torv Software. Licensed under the Apache License, Version 2.0.")
target_include_directories(torv_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Gives a Windows DLL or program its version resource (file and product version, description, original
# file name). Elsewhere it does nothing.
function(torv_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(TORV_RC_NAME ${target})
  set(TORV_RC_DESCRIPTION "${description}")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(TORV_RC_FILE ${target}.exe)
    set(TORV_RC_FILETYPE VFT_APP)
  else()
    set(TORV_RC_FILE ${target}.dll)
    set(TORV_RC_FILETYPE VFT_DLL)
  endif()
  set(rc ${PROJECT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# The public headers state the release too (TORV_VESK_CLIENT_VERSION_*, TORVC_PDF417_VERSION_*),
# for hosts to check at compile time: they must name the project version.
foreach(header_prefix torv_vesk_client.h:TORV_VESK_CLIENT torvc_pdf417.h:TORVC_PDF417)
  string(REPLACE ":" ";" parts ${header_prefix})
  list(GET parts 0 header)
  list(GET parts 1 prefix)
  file(READ ${PROJECT_SOURCE_DIR}/include/${header} text)
  set(stated "")
  foreach(part MAJOR MINOR PATCH)
    string(REGEX MATCH "#define ${prefix}_VERSION_${part} ([0-9]+)" found "${text}")
    list(APPEND stated "${CMAKE_MATCH_1}")
  endforeach()
  string(REGEX MATCH "#define ${prefix}_VERSION \"([0-9.]+)\"" found "${text}")
  list(JOIN stated "." stated)
  if(NOT stated STREQUAL PROJECT_VERSION OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "include/${header} states version ${stated} (\"${CMAKE_MATCH_1}\"), the project is ${PROJECT_VERSION}")
  endif()
endforeach()
