# Writes a C++ source file that holds the bytes of a file and hands them out as a span:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DFUNCTION=Name -DNAMESPACE=ns -P embed_bytes.cmake
# The function is declared by the code that uses it:
#   std::span<const uint8_t> Name();
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
# Two hex digits a byte, 16 bytes a line.
string(REPEAT "[0-9a-f]" 32 line_of_hex)
string(REGEX REPLACE "(${line_of_hex})" "\\1\n    " bytes "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
get_filename_component(input_name ${INPUT} NAME)
file(WRITE ${OUTPUT} "// Made from ${input_name} by embed_bytes.cmake at build time.
#include <cstdint>
#include <span>

namespace ${NAMESPACE} {

namespace {
constexpr uint8_t kBytes[] = {
    ${bytes}
};
}  // namespace

std::span<const uint8_t> ${FUNCTION}() {
  return kBytes;
}

}  // namespace ${NAMESPACE}
")
