// Feeds arbitrary bytes to the source file reader, plain or SZDD-compressed, with and without the
// visible correction.
#include <cstddef>
#include <cstdint>
#include <span>

#include "calsun/display_tables.h"
#include "core/bytes.h"
#include "core/control_block.h"
#include "fuzz_file.h"
#include "source/source_reader.h"

namespace {

// Inputs whose control block asks for a large image only measure how fast zeroed memory can be
// allocated; the reader bounds them itself, so they are skipped to keep the fuzzer's pace.
bool ClaimsALargeImage(std::span<const uint8_t> bytes) {
  constexpr int64_t kLargestFuzzedPixels = int64_t{1} << 22;
  if (bytes.size() < nephrax::kControlBlockSize) return false;
  const bool grid = nephrax::ReadI32Le(bytes, nephrax::cb::kGridFlag) != 0;
  const int64_t width =
      std::abs(int64_t{nephrax::ReadI32Le(bytes, grid ? nephrax::cb::kGridPixels : nephrax::cb::kViewPixels)});
  const int64_t height =
      std::abs(int64_t{nephrax::ReadI32Le(bytes, grid ? nephrax::cb::kGridLines : nephrax::cb::kViewLines)});
  return width * height > kLargestFuzzedPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ClaimsALargeImage({data, size})) return -1;
  const nephrax::fuzz::FuzzFile file(data, size);
  nephrax::Settings settings;
  // The last byte also turns the visible correction on, with and without glint, so that any
  // control block's times, corners and satellite position reach it.
  settings.Vadj = size > 0 && (data[size - 1] & 1) != 0;
  settings.SunGln = size > 0 && (data[size - 1] & 2) != 0;
  nephrax::DisplayTables tables;
  nephrax::SourceData source;
  nephrax::ReadSourceFile(file.path(), nephrax::BuiltInChannelTable(), settings, tables, source);
  return 0;
}
