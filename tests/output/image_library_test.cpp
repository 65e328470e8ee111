#include "output/image_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::TempDir;

// Every entry point the program calls, by name, with the pointer the library gave.
std::vector<std::pair<const char*, const void*>> EntryPoints(const ImageLibrary& library) {
  const auto address = [](auto* function) { return reinterpret_cast<const void*>(function); };
  return {{"SetMsgLng", address(library.SetMsgLng)},   {"SetQntHiQt", address(library.SetQntHiQt)},
          {"CnvBmpJpeg", address(library.CnvBmpJpeg)}, {"CnvBmpPng", address(library.CnvBmpPng)},
          {"CnvBmpGif", address(library.CnvBmpGif)},   {"CnvBmpJ2k", address(library.CnvBmpJ2k)},
          {"CnvBmpTif", address(library.CnvBmpTif)},   {"SetGeoTiff", address(library.SetGeoTiff)},
          {"OpenAgif", address(library.OpenAgif)},     {"PutAgif", address(library.PutAgif)},
          {"CloseAgif", address(library.CloseAgif)}};
}

TEST(LoadImageLibraryTest, FindsEveryEntryPointInTheProgramDirectory) {
  const ImageLibrary library = LoadImageLibrary(std::string(NEPHRAX_BIN_DIR) + "/");
  ASSERT_TRUE(library.IsLoaded());
  EXPECT_TRUE(library.HasAnimation());
  for (const auto& [name, address] : EntryPoints(library)) {
    EXPECT_NE(address, nullptr) << name;
    EXPECT_EQ(address, library.library.Symbol(name)) << name;
  }
}

void ExpectNothingLoaded(const ImageLibrary& library) {
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_FALSE(library.HasAnimation());
  for (const auto& [name, address] : EntryPoints(library)) EXPECT_EQ(address, nullptr) << name;
}

TEST(LoadImageLibraryTest, DirectoryWithoutTheLibraryLoadsNothing) {
  TempDir dir;
  ExpectNothingLoaded(LoadImageLibrary(dir.path() + "/"));
}

TEST(LoadImageLibraryTest, FileThatIsNoLibraryLoadsNothing) {
  TempDir dir;
  testing::WriteBytes(dir.File(PIXKIT_LIBRARY_NAME), std::vector<uint8_t>(64, 0x7f));
  ExpectNothingLoaded(LoadImageLibrary(dir.path() + "/"));
}

// A shared library of another kind under the library's name loads, but has none of the entry
// points.
TEST(LoadImageLibraryTest, LibraryWithoutTheEntryPointsHasNone) {
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&std::fclose), &info), 0);
  TempDir dir;
  std::filesystem::create_symlink(info.dli_fname, dir.File(PIXKIT_LIBRARY_NAME));

  const ImageLibrary library = LoadImageLibrary(dir.path() + "/");

  EXPECT_TRUE(library.IsLoaded());
  EXPECT_FALSE(library.HasAnimation());
  for (const auto& [name, address] : EntryPoints(library)) EXPECT_EQ(address, nullptr) << name;
}

}  // namespace
}  // namespace nephrax
