// The cells of an elevation data file, read through a small cache of whole blocks. A lookup of a
// picture's points, which arrive row by row and so touch the same few blocks again and again, then
// costs one read of the file per block instead of a seek and a read per point. Files open through
// LzFile, so a compressed file is expanded once, when it is opened.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/lz_file.h"

namespace nephrax {

class CellFile {
 public:
  static constexpr size_t kBlockSize = 16384;
  // Enough for the touched part of the longest grid row (32767 two-byte cells) and some to spare.
  static constexpr size_t kCachedBlocks = 16;

  explicit CellFile(std::unique_ptr<LzFile> file) : file_(std::move(file)) {}

  // The byte at `offset`, or nothing when the file does not hold it.
  std::optional<uint8_t> ReadByte(uint64_t offset);
  // The int16 at `offset` in the given byte order, or nothing when the file does not hold both
  // bytes.
  std::optional<int16_t> ReadInt16(uint64_t offset, std::endian order);

 private:
  struct Block {
    uint64_t number = 0;
    uint64_t last_use = 0;
    std::vector<uint8_t> bytes;  // fewer than kBlockSize at the end of the data
  };

  const Block& BlockNumbered(uint64_t number);
  Block& SlotForNewBlock();

  std::unique_ptr<LzFile> file_;
  std::vector<Block> blocks_;
  size_t recent_ = 0;  // the block of the last read, tried first
  uint64_t clock_ = 0;
};

// The longest path, in bytes, that a directory and the names under it may make together.
inline constexpr size_t kElevationPathLimit = 255;

// Opens a file of elevation data (plain or SZDD-compressed); nullptr when it cannot be opened or
// its path is longer than kElevationPathLimit.
std::unique_ptr<LzFile> OpenElevationFile(const std::string& path);

// A data file opened at its first use. A file that fails to open is not tried again.
class LazyCellFile {
 public:
  explicit LazyCellFile(std::string path) : path_(std::move(path)) {}

  // The open file; nullptr when it cannot be opened.
  CellFile* Get();
  bool Failed() const { return failed_; }

 private:
  std::string path_;
  std::optional<CellFile> cells_;
  bool failed_ = false;
};

}  // namespace nephrax
