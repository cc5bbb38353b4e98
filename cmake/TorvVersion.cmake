# One version for everything: the project version reaches the tools (torv_version.h) and the
# VERSIONINFO resources of the Windows DLLs.
configure_file(${CMAKE_CURRENT_LIST_DIR}/torv_version.h.in ${PROJECT_BINARY_DIR}/generated/torv_version.h @ONLY)
add_library(torv_version INTERFACE)
target_include_directories(torv_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Gives a Windows DLL its version resource (file and product version, description, original
# file name). Elsewhere it does nothing.
function(torv_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(TORV_RC_NAME ${target})
  set(TORV_RC_DESCRIPTION "${description}")
  set(rc ${PROJECT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
