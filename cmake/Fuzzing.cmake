# libFuzzer builds: every target of the tree gets coverage instrumentation and
# the address and undefined-behaviour sanitizers, so the fuzzers see into the
# libraries they drive; only the fuzzer executables link libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "PEBBLE_BUILD_FUZZERS needs clang (libFuzzer); configure with the fuzz preset")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
# The gcc builds hold the tree to its warnings; clang's -Wconversion adds
# signedness and its -Wdouble-promotion flags initialisations gcc accepts.
target_compile_options(pebble_warnings INTERFACE -Wno-sign-conversion -Wno-double-promotion)
