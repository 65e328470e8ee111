// The 256-byte control block at the start of a source file, and named readers of its fields.
// The bytes are kept as the file holds them; the channel index and the reader's flag word, which
// the file's layout keeps at offsets 0x00 and 0xa8, are held in their own fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/bytes.h"
#include "core/time_record.h"

namespace nephrax {

inline constexpr size_t kControlBlockSize = 256;

// Bits of the reader's flag word.
inline constexpr uint32_t kReversedTableFlag = 0x1;  // the calibration table was falling and is reversed
inline constexpr uint32_t kNoDataFlag = 0x100;       // version 1.1: 8-bit count 255 means no data

// 16-bit no-data count.
inline constexpr uint16_t kNoDataCount16 = 65535;

namespace cb {  // field offsets
inline constexpr size_t kBlockLength = 0x00;
inline constexpr size_t kChannel = 0x04;
inline constexpr size_t kChannelLength = 8;
inline constexpr size_t kSatellite = 0x0c;
inline constexpr size_t kSatelliteLength = 12;
inline constexpr size_t kObservationStart = 0x18;
inline constexpr size_t kObservationEnd = 0x38;
inline constexpr size_t kGridFlag = 0x58;
inline constexpr size_t kViewPixels = 0x5c;
inline constexpr size_t kViewLines = 0x60;
inline constexpr size_t kLonStep = 0x64;
inline constexpr size_t kLatStep = 0x68;
inline constexpr size_t kGridPixels = 0x6c;
inline constexpr size_t kGridLines = 0x70;
inline constexpr size_t kRecordUnits = 0x74;
inline constexpr size_t kBytesPerPixel = 0x78;
inline constexpr size_t kTopLeftLat = 0x7c;
inline constexpr size_t kTopLeftLon = 0x80;
inline constexpr size_t kTopRightLat = 0x84;
inline constexpr size_t kTopRightLon = 0x88;
inline constexpr size_t kBottomLeftLat = 0x8c;
inline constexpr size_t kBottomLeftLon = 0x90;
inline constexpr size_t kBottomRightLat = 0x94;
inline constexpr size_t kBottomRightLon = 0x98;
inline constexpr size_t kCalibrationSize = 0x9c;
inline constexpr size_t kFirstCount = 0xa0;
inline constexpr size_t kLastCount = 0xa4;
inline constexpr size_t kFlagWord = 0xa8;
inline constexpr size_t kSubSatelliteLat = 0xcc;
inline constexpr size_t kSubSatelliteLon = 0xd0;
inline constexpr size_t kSatelliteDistance = 0xd4;
inline constexpr size_t kVersion = 0xf8;
inline constexpr size_t kVersionLength = 8;
}  // namespace cb

struct ControlBlock {
  std::array<uint8_t, kControlBlockSize> bytes{};
  int32_t channel_index = 0;  // set by the reader once the block is accepted
  uint32_t flags = 0;         // the reader's flag word (kReversedTableFlag, kNoDataFlag)

  int32_t Int(size_t offset) const { return ReadI32Le(bytes, offset); }
  float Real(size_t offset) const { return ReadF32Le(bytes, offset); }
  // A NUL-padded text field of at most `length` bytes.
  std::string Text(size_t offset, size_t length) const;
  TimeRecord Time(size_t offset) const;

  bool IsGrid() const { return Int(cb::kGridFlag) != 0; }
  // Bytes per pixel as the counts are stored: 2 for 16-bit data, 1 otherwise.
  bool Is16Bit() const { return Int(cb::kBytesPerPixel) >= 2; }
  int32_t FirstCount() const { return Int(cb::kFirstCount); }
  int32_t LastCount() const { return Int(cb::kLastCount); }
  bool HasFlag(uint32_t flag) const { return (flags & flag) != 0; }
  TimeRecord ObservationStart() const { return Time(cb::kObservationStart); }
  TimeRecord ObservationEnd() const { return Time(cb::kObservationEnd); }
  std::string SatelliteName() const { return Text(cb::kSatellite, cb::kSatelliteLength); }
};

}  // namespace nephrax
