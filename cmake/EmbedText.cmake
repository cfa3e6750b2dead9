# cmake -DOUTPUT=header -DNAMES="NAME;..." -DFILES="file;..." -P EmbedText.cmake
# Writes a header holding each file's bytes as a std::string_view named NAME,
# so that text sources are edited as files and compiled into the program.
list(LENGTH NAMES count)
math(EXPR last "${count} - 1")
set(content "// Generated from the files named below; edit those, not this.\n#pragma once\n\n#include <string_view>\n")
foreach(index RANGE ${last})
  list(GET NAMES ${index} name)
  list(GET FILES ${index} file)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes_list "${hex}")
  string(APPEND content "\n// ${file}\ninline constexpr char ${name}_BYTES[] = {${bytes_list}'\\0'};\n")
  string(APPEND content "inline constexpr std::string_view ${name}{${name}_BYTES, ${bytes}};\n")
endforeach()
file(WRITE ${OUTPUT} "${content}")
