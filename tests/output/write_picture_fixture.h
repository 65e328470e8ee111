// What the picture-writer tests share: a write with its messages captured, the entries of a
// directory, and the bytes of an earlier picture that a failed write must leave in place.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "output/picture_writer.h"

namespace nephrax::testing {

struct WriteResult {
  bool written;
  std::string messages;
};

inline WriteResult Write(const Surface& surface, const std::string& path, OutputFormat format,
                         const ImageLibrary& library = ImageLibrary{},
                         const Settings& settings = Settings{}, const GeoArea& area = GeoArea{}) {
  ::testing::internal::CaptureStderr();
  const bool written = WritePicture(surface, path, format, library, settings, area);
  return {written, ::testing::internal::GetCapturedStderr()};
}

inline std::vector<std::string> EntriesOf(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline const std::vector<uint8_t> kEarlierPicture{'e', 'a', 'r', 'l', 'i', 'e', 'r'};

}  // namespace nephrax::testing
