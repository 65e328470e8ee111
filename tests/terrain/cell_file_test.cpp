#include "terrain/cell_file.h"

#include <gtest/gtest.h>

#include <random>

#include "support/source_file_builder.h"
#include "support/szdd_writer.h"

namespace nephrax {
namespace {

using Bytes = std::vector<uint8_t>;

// More blocks than the cache holds, and a short last block.
const size_t kFileSize = CellFile::kBlockSize * (CellFile::kCachedBlocks + 5) + 123;

Bytes RandomBytes(size_t size) {
  std::mt19937 random(11);
  Bytes bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

std::optional<int16_t> ExpectedInt16(const Bytes& bytes, uint64_t offset, std::endian order) {
  if (offset + 1 >= bytes.size()) return std::nullopt;
  const uint8_t first = bytes[offset];
  const uint8_t second = bytes[offset + 1];
  return order == std::endian::big ? static_cast<int16_t>(first << 8 | second)
                                   : static_cast<int16_t>(second << 8 | first);
}

// Offsets in a sweep, then at random (past the end too), then across each block boundary.
std::vector<uint64_t> ReadOffsets() {
  std::vector<uint64_t> offsets;
  for (uint64_t offset = 0; offset < kFileSize; offset += 997) offsets.push_back(offset);
  std::mt19937 random(5);
  std::uniform_int_distribution<uint64_t> anywhere(0, kFileSize + 10);
  for (int i = 0; i < 20000; ++i) offsets.push_back(anywhere(random));
  for (uint64_t end = CellFile::kBlockSize; end < kFileSize; end += CellFile::kBlockSize) {
    offsets.push_back(end - 1);
  }
  offsets.push_back(kFileSize - 1);
  offsets.push_back(kFileSize);
  return offsets;
}

class CellFileTest : public ::testing::TestWithParam<bool> {};

// Every read through the cache gives what the file holds, however the reads jump about.
TEST_P(CellFileTest, ReadsGiveTheFilesBytes) {
  const Bytes bytes = RandomBytes(kFileSize);
  const testing::TempDir dir;
  const std::string path = dir.File("cells");
  testing::WriteBytes(path, GetParam() ? testing::BuildLiteralSzdd(bytes) : bytes);
  CellFile cells(LzFile::Open(path));
  for (const uint64_t offset : ReadOffsets()) {
    const std::optional<uint8_t> expected =
        offset < bytes.size() ? std::optional<uint8_t>(bytes[offset]) : std::nullopt;
    ASSERT_EQ(cells.ReadByte(offset), expected) << offset;
    ASSERT_EQ(cells.ReadInt16(offset, std::endian::big),
              ExpectedInt16(bytes, offset, std::endian::big))
        << offset;
    ASSERT_EQ(cells.ReadInt16(offset, std::endian::little),
              ExpectedInt16(bytes, offset, std::endian::little))
        << offset;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, CellFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

TEST(LazyCellFileTest, FileThatFailsToOpenIsNotTriedAgain) {
  const testing::TempDir dir;
  LazyCellFile cells(dir.File("later"));
  EXPECT_EQ(cells.Get(), nullptr);
  EXPECT_TRUE(cells.Failed());
  testing::WriteBytes(dir.File("later"), Bytes{1, 2});
  EXPECT_EQ(cells.Get(), nullptr);
}

}  // namespace
}  // namespace nephrax
