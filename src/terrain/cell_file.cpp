#include "terrain/cell_file.h"

#include <algorithm>

namespace nephrax {

std::optional<uint8_t> CellFile::ReadByte(uint64_t offset) {
  if (offset >= file_->Size()) return std::nullopt;
  const Block& block = BlockNumbered(offset / kBlockSize);
  const uint64_t at = offset % kBlockSize;
  // A file that shrank after it was opened gives a short block.
  if (at >= block.bytes.size()) return std::nullopt;
  return block.bytes[at];
}

std::optional<int16_t> CellFile::ReadInt16(uint64_t offset, std::endian order) {
  const std::optional<uint8_t> first = ReadByte(offset);
  const std::optional<uint8_t> second = ReadByte(offset + 1);
  if (!first || !second) return std::nullopt;
  const uint8_t high = order == std::endian::big ? *first : *second;
  const uint8_t low = order == std::endian::big ? *second : *first;
  return static_cast<int16_t>(high << 8 | low);
}

const CellFile::Block& CellFile::BlockNumbered(uint64_t number) {
  ++clock_;
  if (recent_ < blocks_.size() && blocks_[recent_].number == number) {
    blocks_[recent_].last_use = clock_;
    return blocks_[recent_];
  }
  const auto cached = std::find_if(blocks_.begin(), blocks_.end(),
                                   [number](const Block& block) { return block.number == number; });
  const bool read_before = cached != blocks_.end();
  Block& block = read_before ? *cached : SlotForNewBlock();
  if (!read_before) {
    const uint64_t start = number * kBlockSize;
    block.number = number;
    block.bytes.resize(static_cast<size_t>(std::min<uint64_t>(kBlockSize, file_->Size() - start)));
    block.bytes.resize(file_->ReadAt(start, block.bytes));
  }
  block.last_use = clock_;
  recent_ = static_cast<size_t>(&block - blocks_.data());
  return block;
}

// A new slot while the cache has room, else the least recently used one.
CellFile::Block& CellFile::SlotForNewBlock() {
  if (blocks_.size() < kCachedBlocks) return blocks_.emplace_back();
  return *std::min_element(blocks_.begin(), blocks_.end(),
                           [](const Block& a, const Block& b) { return a.last_use < b.last_use; });
}

std::unique_ptr<LzFile> OpenElevationFile(const std::string& path) {
  if (path.size() > kElevationPathLimit) return nullptr;
  return LzFile::Open(path);
}

CellFile* LazyCellFile::Get() {
  if (!cells_ && !failed_) {
    std::unique_ptr<LzFile> file = OpenElevationFile(path_);
    if (file) {
      cells_.emplace(std::move(file));
    } else {
      failed_ = true;
    }
  }
  return cells_ ? &*cells_ : nullptr;
}

}  // namespace nephrax
