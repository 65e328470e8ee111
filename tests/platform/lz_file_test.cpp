#include "platform/lz_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "calsun/display_tables.h"
#include "core/bytes.h"
#include "source/source_reader.h"
#include "support/source_file_builder.h"
#include "support/szdd_writer.h"

namespace nephrax {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  Bytes bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(random));
  return bytes;
}

// Runs of one byte and repeats of earlier phrases at many distances, with a few random bytes in
// between, so that the compressor emits matches of every length and window position.
Bytes RepetitiveBytes(size_t size) {
  std::mt19937 random(7);
  Bytes bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const size_t length = 1 + random() % 40;
    if (bytes.size() < 64 || random() % 4 == 0) {
      const uint8_t value = static_cast<uint8_t>(random());
      bytes.insert(bytes.end(), std::min(length, size - bytes.size()), value);
    } else {
      const size_t distance = 1 + random() % std::min<size_t>(bytes.size(), 5000);
      for (size_t k = 0; k < length && bytes.size() < size; ++k) {
        bytes.push_back(bytes[bytes.size() - distance]);
      }
    }
  }
  return bytes;
}

// Everything the file holds, read in one call.
Bytes ReadAll(const LzFile& file) {
  Bytes bytes(static_cast<size_t>(file.Size()));
  EXPECT_EQ(file.ReadAt(0, bytes), bytes.size());
  return bytes;
}

Bytes Prefix(const Bytes& bytes, size_t size) {
  return {bytes.begin(), bytes.begin() + static_cast<long>(std::min(size, bytes.size()))};
}

class LzFileTest : public ::testing::Test {
 public:
  // Each stores `data` in the test's directory and returns the path.
  std::string WritePlain(const Bytes& data) {
    const std::string path = dir_.File("plain.dat");
    testing::WriteBytes(path, data);
    return path;
  }

  std::string WriteLiteralSzdd(const Bytes& data) {
    const std::string path = dir_.File("literal.dat");
    testing::WriteBytes(path, testing::BuildLiteralSzdd(data));
    return path;
  }

  std::string WriteMscompressed(const Bytes& data) {
    const std::string plain = WritePlain(data);
    const std::string path = dir_.File("compressed.dat");
    testing::CompressWithMscompress(plain, path);
    return path;
  }

 protected:
  testing::TempDir dir_;
};

// ---- plain files

Bytes WithRandomTail(Bytes start) {
  const Bytes tail = RandomBytes(300, 1);
  start.insert(start.end(), tail.begin(), tail.end());
  return start;
}

class PlainStartTest : public LzFileTest, public ::testing::WithParamInterface<Bytes> {};

TEST_P(PlainStartTest, FileWithoutTheWholeSignatureIsReadAsItIs) {
  const auto file = LzFile::Open(WritePlain(GetParam()));
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->IsCompressed());
  EXPECT_EQ(ReadAll(*file), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, PlainStartTest,
    ::testing::Values(Bytes{}, Bytes{0x53, 0x5A, 0x44}, WithRandomTail({}),
                      WithRandomTail({0x53, 0x5A, 0x44, 0x44}),
                      WithRandomTail({0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27}),
                      WithRandomTail({0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x34, 'A'}),
                      // The other SZDD flavour, which the LZ expansion service never wrote.
                      WithRandomTail({0x53, 0x5A, 0x20, 0x88, 0xF0, 0x27, 0x33, 0xD1})));

// ---- compressed files

class LiteralSzddTest : public LzFileTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(LiteralSzddTest, ExpandsToTheData) {
  const Bytes data = RandomBytes(GetParam(), 2);
  const auto file = LzFile::Open(WriteLiteralSzdd(data));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsCompressed());
  EXPECT_EQ(ReadAll(*file), data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LiteralSzddTest,
                         ::testing::Values(0, 1, 7, 8, 9, 15, 4095, 4096, 4097));

enum class Content { kRandom, kRepetitive };

struct MscompressCase {
  size_t size;
  Content content;
};

class MscompressTest : public LzFileTest, public ::testing::WithParamInterface<MscompressCase> {};

TEST_P(MscompressTest, ExpandsToTheOriginal) {
  const MscompressCase c = GetParam();
  const Bytes data =
      c.content == Content::kRandom ? RandomBytes(c.size, 3) : RepetitiveBytes(c.size);
  const std::string path = WriteMscompressed(data);
  if (c.content == Content::kRepetitive && c.size > 1000) {
    // Only back-references can make the file this small.
    ASSERT_LT(std::filesystem::file_size(path), c.size / 3);
  }
  const auto file = LzFile::Open(path);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsCompressed());
  EXPECT_EQ(file->Size(), data.size());
  EXPECT_TRUE(ReadAll(*file) == data);
}

INSTANTIATE_TEST_SUITE_P(
    SizesAndContents, MscompressTest, ::testing::ValuesIn([] {
      std::vector<MscompressCase> cases;
      for (const size_t size : {16, 17, 4095, 4096, 4097, 65536, (1 << 20) + 3}) {
        cases.push_back({size, Content::kRandom});
        cases.push_back({size, Content::kRepetitive});
      }
      return cases;
    }()),
    [](const auto& info) {
      return std::string(info.param.content == Content::kRandom ? "Random" : "Repetitive") +
             std::to_string(info.param.size);
    });

// mscompress writes a stray literal after the header of an empty file; the header's length of 0
// is what counts.
TEST_F(LzFileTest, MscompressedEmptyFileExpandsToNothing) {
  const auto file = LzFile::Open(WriteMscompressed({}));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsCompressed());
  EXPECT_EQ(file->Size(), 0U);
}

// ---- reads at the end, for each way of storing the data

using Storer = std::string (LzFileTest::*)(const Bytes&);

class ReadAtEndTest : public LzFileTest, public ::testing::WithParamInterface<Storer> {};

TEST_P(ReadAtEndTest, ReadsStopAtTheEndOfTheData) {
  const Bytes data = RepetitiveBytes(5000);
  const auto file = LzFile::Open((this->*GetParam())(data));
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->Size(), data.size());

  Bytes out(100, 0xEE);
  EXPECT_EQ(file->ReadAt(data.size(), out), 0U);
  EXPECT_EQ(file->ReadAt(data.size() + 1, out), 0U);
  EXPECT_EQ(file->ReadAt(UINT64_MAX, out), 0U);
  EXPECT_EQ(out, Bytes(100, 0xEE)) << "a read past the end wrote into the buffer";

  EXPECT_EQ(file->ReadAt(data.size() - 10, out), 10U);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 10, data.end() - 10));
  EXPECT_TRUE(std::all_of(out.begin() + 10, out.end(), [](uint8_t b) { return b == 0xEE; }));

  // Reads anywhere inside, in any order, since a source file is read block by block.
  EXPECT_EQ(file->ReadAt(4090, out), 100U);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin() + 4090));
  EXPECT_EQ(file->ReadAt(0, std::span(out).first(3)), 3U);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 3, data.begin()));
}

// Names for the storers below, in their order.
std::string StorageName(const ::testing::TestParamInfo<Storer>& info) {
  constexpr const char* kNames[] = {"Plain", "Literal", "Mscompressed"};
  return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Storage, ReadAtEndTest,
                         ::testing::Values(&LzFileTest::WritePlain, &LzFileTest::WriteLiteralSzdd,
                                           &LzFileTest::WriteMscompressed),
                         StorageName);

// ---- damaged compressed files

// A compressed file that ends early reads like a plain file cut short: what expanded is there, and
// the reader sees the end of the data where it stopped.
class TruncatedSzddTest : public LzFileTest, public ::testing::WithParamInterface<double> {};

TEST_P(TruncatedSzddTest, KeepsWhatExpanded) {
  const Bytes data = RepetitiveBytes(200000);
  const std::string path = WriteMscompressed(data);
  Bytes compressed = testing::ReadBytes(path);
  const size_t cut =
      testing::kSzddHeaderSize +
      static_cast<size_t>(GetParam() * double(compressed.size() - testing::kSzddHeaderSize));
  compressed.resize(std::min(cut, compressed.size() - 1));
  testing::WriteBytes(path, compressed);

  const auto file = LzFile::Open(path);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsCompressed());
  EXPECT_LT(file->Size(), data.size());
  if (GetParam() > 0) {
    EXPECT_GT(file->Size(), 0U);
  }
  EXPECT_TRUE(ReadAll(*file) == Prefix(data, static_cast<size_t>(file->Size())));
}

INSTANTIATE_TEST_SUITE_P(CutAt, TruncatedSzddTest, ::testing::Values(0.0, 0.001, 0.5, 1.0));

// A literal-only file of 100 bytes with its header cut to `keep` bytes and `mode` as its mode byte.
Bytes DamagedHeader(size_t keep, uint8_t mode) {
  Bytes compressed = testing::BuildLiteralSzdd(RandomBytes(100, 4));
  compressed[8] = mode;
  compressed.resize(std::min(keep, compressed.size()));
  return compressed;
}

class DamagedHeaderTest : public LzFileTest, public ::testing::WithParamInterface<Bytes> {};

TEST_P(DamagedHeaderTest, FailsToOpen) {
  EXPECT_EQ(LzFile::Open(WritePlain(GetParam())), nullptr);
}

INSTANTIATE_TEST_SUITE_P(CutOrUnknownMode, DamagedHeaderTest,
                         ::testing::Values(DamagedHeader(8, 'A'), DamagedHeader(10, 'A'),
                                           DamagedHeader(13, 'A'), DamagedHeader(1000, 'B')));

// The header's length bounds the data: more data is cut, and a length beyond what the compressed
// bytes can give allocates no more than they can.
class DeclaredLengthTest : public LzFileTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(DeclaredLengthTest, DataIsCutAtTheDeclaredLengthOrAtItsEnd) {
  const Bytes data = RandomBytes(1000, 6);
  Bytes compressed = testing::BuildLiteralSzdd(data);
  WriteU32Le(compressed, testing::kSzddLengthOffset, GetParam());
  const auto file = LzFile::Open(WritePlain(compressed));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), std::min<uint64_t>(GetParam(), data.size()));
  EXPECT_EQ(ReadAll(*file), Prefix(data, static_cast<size_t>(file->Size())));
}

INSTANTIATE_TEST_SUITE_P(Lengths, DeclaredLengthTest,
                         ::testing::Values(0U, 1U, 999U, 1001U, 0x7FFFFFFFU, 0xFFFFFFFFU));

// Arbitrary bytes after a valid header are still LZ data of some kind; expanding them must stay
// inside the buffers (the sanitizer builds check that) and within the declared length.
TEST_F(LzFileTest, GarbageDataStaysWithinTheDeclaredLength) {
  for (uint32_t seed = 0; seed < 20; ++seed) {
    Bytes compressed = testing::BuildLiteralSzdd({});
    const Bytes garbage = RandomBytes(3000 + seed * 500, seed);
    compressed.insert(compressed.end(), garbage.begin(), garbage.end());
    const uint32_t declared = 1000 + 2000 * seed;
    WriteU32Le(compressed, testing::kSzddLengthOffset, declared);
    const auto file = LzFile::Open(WritePlain(compressed));
    ASSERT_NE(file, nullptr);
    EXPECT_LE(file->Size(), declared);
  }
}

// ---- files that cannot be opened

TEST_F(LzFileTest, MissingFileFailsToOpen) {
  EXPECT_EQ(LzFile::Open(dir_.File("missing.dat")), nullptr);
}

TEST_F(LzFileTest, DirectoryFailsToOpen) {
  EXPECT_EQ(LzFile::Open(dir_.path()), nullptr);
}

// ---- a source file read through the reader

std::vector<uint16_t> SmoothPixels(int32_t width, int32_t height) {
  std::vector<uint16_t> pixels;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      pixels.push_back(static_cast<uint16_t>((x * 7 + y * 3 + (x * y) % 13) % 1024));
    }
  }
  return pixels;
}

SourceData ReadSource(const std::string& path) {
  Settings settings;
  DisplayTables tables;
  SourceData source;
  EXPECT_TRUE(ReadSourceFile(path, BuiltInChannelTable(), settings, tables, source)) << path;
  return source;
}

// A compressed source file, whole or cut short, reads exactly as the plain file holding what it
// expands to: the whole file, or the file cut where the expansion ended.
class SourceThroughLzTest : public LzFileTest, public ::testing::WithParamInterface<double> {};

TEST_P(SourceThroughLzTest, CompressedReadsAsThePlainFileOfItsExpansion) {
  testing::SourceFileSpec spec;
  spec.width = 300;
  spec.height = 200;
  spec.pixels = SmoothPixels(spec.width, spec.height);
  const Bytes data = testing::BuildSourceFile(spec);
  const std::string compressed = WriteMscompressed(data);
  Bytes compressed_bytes = testing::ReadBytes(compressed);
  compressed_bytes.resize(static_cast<size_t>(GetParam() * double(compressed_bytes.size())));
  testing::WriteBytes(compressed, compressed_bytes);

  const auto file = LzFile::Open(compressed);
  ASSERT_TRUE(file != nullptr && file->IsCompressed());
  const Bytes expanded = ReadAll(*file);
  ASSERT_EQ(expanded, Prefix(data, expanded.size()));
  ASSERT_EQ(expanded.size() < data.size(), GetParam() < 1.0);
  const std::string plain = WritePlain(expanded);

  const SourceData expected = ReadSource(plain);
  const SourceData got = ReadSource(compressed);
  EXPECT_EQ(got.control.bytes, expected.control.bytes);
  EXPECT_EQ(got.control.channel_index, expected.control.channel_index);
  EXPECT_EQ(got.control.flags, expected.control.flags);
  EXPECT_EQ(got.calibration.values, expected.calibration.values);
  EXPECT_EQ(got.geometry.output_width, expected.geometry.output_width);
  EXPECT_EQ(got.geometry.output_height, expected.geometry.output_height);
  EXPECT_EQ(got.image.counts16.size(), 300U * 200U);
  EXPECT_TRUE(got.image.counts16 == expected.image.counts16);
}

INSTANTIATE_TEST_SUITE_P(CompressedPart, SourceThroughLzTest, ::testing::Values(1.0, 0.6));

}  // namespace
}  // namespace nephrax
