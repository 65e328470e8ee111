// Reading a source image file: control block, calibration block and image records.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/settings.h"
#include "platform/lz_file.h"
#include "source/channel_table.h"
#include "source/source_data.h"

namespace nephrax {

// Largest source or picture side, and largest image buffer, that the reader accepts; a control
// block asking for more is refused rather than tried.
inline constexpr int64_t kMaxImageSide = 131072;
inline constexpr int64_t kMaxImageBytes = int64_t{1} << 31;

struct DisplayTables;

// Reads the whole file into `source` and builds its display tables. Updates the satellite position
// from a version 1.1 file and, when they were not both positive, fixes Width and Height to this
// file's picture size. Returns false after printing the failure's message (a channel outside the
// table fails silently).
bool ReadSourceFile(const std::string& path, const ChannelTable& channels, Settings& settings,
                    DisplayTables& tables, SourceData& source);

// The steps of ReadSourceFile, each on an open file.
bool ReadControlBlock(const LzFile& file, const ChannelTable& channels, Settings& settings,
                      ControlBlock& block);
bool ReadCalibrationBlock(const LzFile& file, ControlBlock& block, Calibration& calibration);
void OrderCalibration(Calibration& calibration, ControlBlock& block);
bool ComputeImageSize(const ControlBlock& block, Settings& settings, Geometry& geometry);
// Sets the size of `image` from the block: width, height and row stride.
void SizeImage(const ControlBlock& block, SourceImage& image);
// Fills the rows of `image`, sized by SizeImage, with the count a 0 is read as. False after
// printing the failure's message.
bool AllocateImage(const ControlBlock& block, SourceImage& image);
// Work on picture lines [first_line, end_line), 0 at the top.
using LineWork = std::function<void(int64_t first_line, int64_t end_line)>;
// Reads the records into the image AllocateImage made, each line's counts held to first..last
// (mirrored for a reversed table) as it is read. `lines_read`, when given, is called for every run
// of lines once they hold their counts (the lines the file lacks included), on this thread or
// another, while the lines after them are read; it must not throw.
void ReadImageRecords(const LzFile& file, const ControlBlock& block, SourceImage& image,
                      const LineWork& lines_read = {});

// Size in bytes of the calibration block for the control block's N: the smallest multiple of 256
// holding 4 * N + 8 bytes.
int64_t CalibrationBlockSize(int32_t n);

}  // namespace nephrax
