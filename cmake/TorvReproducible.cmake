# Byte-identical binaries from any checkout directory and at any time: no build paths in the
# objects or their debug information, and no link time stamps in PE files. The debug information
# names sources relative to the checkout ("./src/...") and generated files "build/...".
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=./>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>")
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
