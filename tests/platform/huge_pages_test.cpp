#include "platform/huge_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace nephrax {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

struct SpanCase {
  uintptr_t start;
  size_t size;
  size_t offset;  // expected
  size_t span;    // expected
};

class WholeHugePagesTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(WholeHugePagesTest, TakesTheAlignedInteriorOnly) {
  const SpanCase c = GetParam();
  const HugePageSpan got = WholeHugePages(reinterpret_cast<const void*>(c.start), c.size);
  EXPECT_EQ(got.size, c.span);
  EXPECT_EQ(got.offset, c.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, WholeHugePagesTest,
    ::testing::Values(SpanCase{0x40000000, 6 * kMiB, 0, 6 * kMiB},               // aligned both ends
                      SpanCase{0x40000010, 6 * kMiB, 2 * kMiB - 0x10, 4 * kMiB},  // calloc's header
                      SpanCase{0x40000010, 4 * kMiB - 0x10, 2 * kMiB - 0x10, 2 * kMiB},
                      SpanCase{0x40000010, 4 * kMiB - 0x11, 0, 0},
                      SpanCase{0x40100000, 3 * kMiB, kMiB, 2 * kMiB},             // one page inside
                      SpanCase{0x40100000, 3 * kMiB - 1, 0, 0},                   // one byte short
                      SpanCase{0x40000000, 2 * kMiB - 1, 0, 0},                   // smaller than a page
                      SpanCase{0x40000001, 0, 0, 0},                              // empty
                      SpanCase{0, 8 * kMiB, 0, 0},                                // no buffer
                      SpanCase{UINTPTR_MAX - kMiB, kMiB, 0, 0}));                 // end of memory

// The VmFlags line of the mapping that holds `address`, from /proc/self/smaps.
std::string MappingFlags(const void* address) {
  const uintptr_t wanted = reinterpret_cast<uintptr_t>(address);
  std::ifstream smaps("/proc/self/smaps");
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    uintptr_t first = 0;
    uintptr_t end = 0;
    char dash = 0;
    std::istringstream range(line);
    if (range >> std::hex >> first >> dash >> end && dash == '-') {
      inside = first <= wanted && wanted < end;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return {};
}

TEST(AdviseHugePagesTest, MarksTheWholeHugePagesOfAFreshMappingAndNothingBeforeThem) {
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled")) {
    GTEST_SKIP() << "the kernel has no transparent huge pages";
  }
  const size_t size = 12 * kMiB;
  void* mapping = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  // Off a huge-page boundary, as a buffer after an allocator's header is.
  uint8_t* buffer = static_cast<uint8_t*>(mapping) + 16;
  const HugePageSpan span = WholeHugePages(buffer, size - 16);
  ASSERT_GT(span.offset, 0u);
  ASSERT_GE(span.size, 2 * kHugePageBytes);

  AdviseHugePages(buffer, size - 16);

  EXPECT_EQ(MappingFlags(buffer).find(" hg"), std::string::npos) << MappingFlags(buffer);
  EXPECT_NE(MappingFlags(buffer + span.offset).find(" hg"), std::string::npos);
  EXPECT_NE(MappingFlags(buffer + span.offset + span.size - 1).find(" hg"), std::string::npos);
  EXPECT_EQ(MappingFlags(buffer + span.offset + span.size).find(" hg"), std::string::npos);
  buffer[0] = 1;
  buffer[span.offset] = 2;
  EXPECT_EQ(buffer[0] + buffer[span.offset], 3);
  munmap(mapping, size);
}

}  // namespace
}  // namespace nephrax
