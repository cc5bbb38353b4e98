# SPDX-License-Identifier: Apache-2.0
# Release builds (scripts/package.sh sets TORV_SPLIT_DEBUG) strip every shipped binary right after
# linking and keep its debug information in <file>.debug beside it, linked by name and checksum
# (.gnu_debuglink) where debuggers look for it. The .debug files form the install component
# "debug", left out of a plain install: the debug archives carry them at the binaries' own paths.
# Splitting at link time gives the archives and the Debian packages the same stripped bytes.
option(TORV_SPLIT_DEBUG "Strip shipped binaries after linking; debug information in <file>.debug" OFF)

# torv_split_debug(<target> [<install directory of the binary>])
# Called in the directory that defines the target, as post-build steps must be. The directory
# defaults to where libraries and programs are installed: lib/ (bin\ for a DLL) and bin/.
function(torv_split_debug target)
  if(NOT TORV_SPLIT_DEBUG)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  set(destination ${CMAKE_INSTALL_BINDIR})
  if(ARGC GREATER 1)
    set(destination ${ARGV1})
  elseif(type STREQUAL "SHARED_LIBRARY" AND NOT WIN32)
    set(destination ${CMAKE_INSTALL_LIBDIR})
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "TORV_SPLIT_DEBUG needs objcopy (binutils)")
  endif()
  # A shared object keeps the symbols that dynamic linking needs; DLLs and programs keep none.
  set(strip --strip-all)
  if(type STREQUAL "SHARED_LIBRARY" AND NOT WIN32)
    set(strip --strip-unneeded)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} ${strip} --remove-section=.comment $<TARGET_FILE_NAME:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Splitting the debug information of ${target}"
    VERBATIM)
  install(FILES $<TARGET_FILE:${target}>.debug DESTINATION ${destination} COMPONENT debug EXCLUDE_FROM_ALL)
endfunction()
