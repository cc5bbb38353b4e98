# SPDX-License-Identifier: Apache-2.0
# Import libraries of the two DLLs, for hosts that link them at build time: a .def file per DLL
# (from the same export list as the ELF builds), the mingw import library that the link makes
# (lib<name>.dll.a) and an MSVC-format one (<name>.lib) from llvm-dlltool.
find_program(TORV_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 llvm-dlltool-15 llvm-dlltool-16 REQUIRED)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(machine i386:x86-64)
else()
  set(machine i386)
endif()

set(import_libraries)
foreach(library TorvVeskClientSession:src/torv/vesk/exports.map torvc_pdf417:src/component/exports.map)
  string(REPLACE ":" ";" parts ${library})
  list(GET parts 0 name)
  list(GET parts 1 map)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${map})
  file(STRINGS ${PROJECT_SOURCE_DIR}/${map} lines REGEX "^ *[A-Za-z_][A-Za-z0-9_]*;$")
  set(def "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^ *([A-Za-z_][A-Za-z0-9_]*);$" "\\1" export "${line}")
    string(APPEND def "  ${export}\n")
  endforeach()
  file(WRITE ${torv_generated}/${name}.def "${def}")
  add_custom_command(OUTPUT ${torv_generated}/${name}.lib
                     COMMAND ${TORV_LLVM_DLLTOOL} -m ${machine} -d ${torv_generated}/${name}.def
                             -l ${torv_generated}/${name}.lib
                     DEPENDS ${PROJECT_SOURCE_DIR}/${map}
                     COMMENT "MSVC import library ${name}.lib")
  list(APPEND import_libraries ${torv_generated}/${name}.lib)
  install(FILES ${torv_generated}/${name}.def ${torv_generated}/${name}.lib DESTINATION ${CMAKE_INSTALL_LIBDIR}
          COMPONENT dev)
endforeach()
add_custom_target(torv_import_libraries ALL DEPENDS ${import_libraries})
