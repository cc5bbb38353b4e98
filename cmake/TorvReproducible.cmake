# SPDX-License-Identifier: Apache-2.0
# Byte-identical binaries from any checkout directory and at any time (scripts/package.sh turns
# this on): no build paths in the objects or their debug information, and no link time stamps in
# PE files. The debug information names the sources under /usr/src/torv-VERSION and generated
# files under /usr/src/torv-VERSION/build, wherever they were built. Off by default: developers'
# debuggers find sources by their real paths, and the compiler cache keeps sharing objects
# between checkouts.
option(TORV_REPRODUCIBLE "Keep build paths and link times out of the binaries" OFF)
if(TORV_REPRODUCIBLE)
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=/usr/src/torv-${PROJECT_VERSION}>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=/usr/src/torv-${PROJECT_VERSION}/build>")
  if(MINGW)
    add_link_options(-Wl,--no-insert-timestamp)
  endif()
endif()
