# Single-precision results must come out bit for bit: no fused multiply-add
# contraction and no fast-math, for every target in the tree.
add_compile_options(-ffp-contract=off -fno-fast-math)

# Warnings for the project's own targets; link it to opt in. The presets make
# them errors; a plain configure does not, so a newer compiler's new warning
# does not stop a build.
option(PEBBLE_WERROR "Treat the project's warnings as errors" OFF)
add_library(pebble_warnings INTERFACE)
target_compile_options(pebble_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wdouble-promotion
  $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>
  $<$<BOOL:${PEBBLE_WERROR}>:-Werror>)
