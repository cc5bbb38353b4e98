# SPDX-License-Identifier: Apache-2.0
# Adds each named subdirectory. A folder without a CMakeLists.txt stops the configuration, so that a
# mistyped or lost folder cannot quietly drop a test suite or a tool.
function(torv_add_subdirs)
  foreach(dir IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "torv_add_subdirs: ${CMAKE_CURRENT_SOURCE_DIR}/${dir} has no CMakeLists.txt")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()

# Compiles a Java peer program into <current binary dir>/java before `dependent` is built, and
# hands `dependent` the java launcher and the class folder as TORV_JAVA and <class_dir_define>.
# Needs the JDK (find_package(Java COMPONENTS Runtime Development) at the top level).
function(torv_add_java_peer dependent source class_dir_define)
  get_filename_component(class_name ${source} NAME_WE)
  set(class_dir ${CMAKE_CURRENT_BINARY_DIR}/java)
  add_custom_command(
    OUTPUT ${class_dir}/${class_name}.class
    COMMAND ${CMAKE_COMMAND} -E make_directory ${class_dir}
    COMMAND ${Java_JAVAC_EXECUTABLE} -encoding UTF-8 -d ${class_dir} ${CMAKE_CURRENT_SOURCE_DIR}/${source}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
    COMMENT "Compiling the Java peer ${class_name}")
  add_custom_target(${dependent}_java DEPENDS ${class_dir}/${class_name}.class)
  add_dependencies(${dependent} ${dependent}_java)
  target_compile_definitions(${dependent} PRIVATE
    TORV_JAVA="${Java_JAVA_EXECUTABLE}" ${class_dir_define}="${class_dir}")
endfunction()
