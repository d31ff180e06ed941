# Turns a file into a C++ source that defines `std::span<const std::uint8_t>
# varomby::<SYMBOL>()` over a byte array holding the file's contents.
# Run as: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=Name -P embed_bytes.cmake
# A missing or empty input gives an empty span.
set(hex "")
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" hex HEX)
endif()
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  set(array "0")
else()
  string(REGEX REPLACE "(..)" "0x\\1," array "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n  " array "${array}")
endif()
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.
#include \"varskin/skin_blocks.h\"

namespace varomby {
namespace {
alignas(16) const std::uint8_t kBytes[] = {
  ${array}};
}  // namespace

std::span<const std::uint8_t> ${SYMBOL}() { return {kBytes, ${size}u}; }

}  // namespace varomby
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
