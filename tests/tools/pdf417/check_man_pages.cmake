# SPDX-License-Identifier: Apache-2.0
# The manual pages in tools/man are what their generator makes from the commands' option tables
# (so they say what --help says), and man renders them without a warning.
#   cmake -DGENERATOR=pdf417-man-pages -DPAGES=<tools/man> -DWORK=<dir> -P check_man_pages.cmake
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed")
endif()
foreach(page pdf417.1 pdf417-encode.1)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PAGES}/${page} ${WORK}/${page} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "tools/man/${page} differs from the option tables: cmake --build <build> --target man-pages")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 MANPAGER=cat PAGER=cat man --warnings -l ${PAGES}/${page}
                  RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE warnings)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "" OR NOT text MATCHES "EXIT STATUS")
    message(FATAL_ERROR "man -l ${page}: status ${status}\n${warnings}")
  endif()
endforeach()
