# Writes one C++ source holding a file's exact bytes as an embedded-file
# record. Run as a script:
#   cmake -DINPUT=<file> -DOUTPUT=<source> -DNAME=<registered name>
#         -DSYMBOL=<record name> -P embed_file.cmake
foreach(var INPUT OUTPUT NAME SYMBOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_file.cmake: ${var} is not set")
  endif()
endforeach()

file(SIZE "${INPUT}" length)
file(READ "${INPUT}" hex HEX)
# Every byte as 0xNN, sixteen to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 row)
string(REGEX REPLACE "(${row})" "\\1\n" bytes "${bytes}")
string(REPLACE "\\" "\\\\" escaped_name "${NAME}")
string(REPLACE "\"" "\\\"" escaped_name "${escaped_name}")

# A zero byte follows the data (not counted in the length), so the array is
# never empty and text can be read as a terminated string.
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${NAME}; do not edit.
#include \"data/embedded_file.h\"

namespace kx::embedded {
namespace {
const std::uint8_t kBytes[] = {
${bytes}0x00};
}  // namespace
extern const KEmbeddedFile ${SYMBOL};
const KEmbeddedFile ${SYMBOL} = {\"${escaped_name}\", ${length}u, kBytes};
}  // namespace kx::embedded
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
