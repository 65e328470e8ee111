// SZDD (LZ expansion format) files for tests and benchmarks: a literal-only writer that needs
// nothing outside this code, and the system's mscompress command for files with real LZ
// back-references.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nephrax::testing {

inline constexpr size_t kSzddHeaderSize = 14;
// Offset of the u32 little-endian expanded length in the header.
inline constexpr size_t kSzddLengthOffset = 10;

// `data` as an SZDD file of literals only: the header, then groups of a 0xFF flag byte and up to
// eight literal bytes.
std::vector<uint8_t> BuildLiteralSzdd(std::span<const uint8_t> data);

// Compresses the file `source` into `destination` with mscompress, replacing `destination`.
// mscompress loses data when given 1 to 15 bytes, so such a source is refused. Throws
// std::runtime_error when the command is missing, fails, or the source is refused.
void CompressWithMscompress(const std::string& source, const std::string& destination);

}  // namespace nephrax::testing
