#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

TEST(ProfileFileTest, LookupCutsToSizeLessOneAfterRemovingQuotes) {
  const ProfileFile profile = ProfileFile::Parse("[S]\nKey = \"abcdef\"  \n", "S");
  EXPECT_EQ(profile.GetString("key", 4), "abc");
  EXPECT_EQ(profile.GetString("KEY", 100), "abcdef");
  EXPECT_EQ(profile.GetString("Other", 100), std::nullopt);
}

TEST(ProfileFileTest, OnlyOnePairOfQuotesComesOff) {
  const ProfileFile profile = ProfileFile::Parse("[S]\nA=\"\"x\"\"\nB=\"\nC=x\"\n", "S");
  EXPECT_EQ(profile.GetString("A", 100), "\"x\"");
  EXPECT_EQ(profile.GetString("B", 100), "\"");
  EXPECT_EQ(profile.GetString("C", 100), "x\"");
}

TEST(ProfileFileTest, SetStringReplacesTheFirstOccurrenceOrAppends) {
  ProfileFile profile = ProfileFile::Parse("[S]\nA=1\nB=2\na=3\n[T]\nA=9\n", "S");
  profile.SetString("A", "\" x \"");
  profile.SetString("C", "4");
  EXPECT_EQ(profile.Text(), "[S]\nA=\" x \"\nB=2\na=3\nC=4\n");
  EXPECT_EQ(profile.GetString("a", 100), " x ");
}

TEST(ProfileFileTest, SaveReplacesTheFileAndLoadReadsItBack) {
  const testing::TempDir dir;
  const std::string path = dir.File("profile.ini");
  testing::WriteTextFile(path, "old contents");
  ProfileFile profile("S");
  profile.SetString("Key", "value");
  ASSERT_TRUE(profile.Save(path));
  EXPECT_EQ(testing::ReadTextFile(path), "[S]\nKey=value\n");
  const std::optional<ProfileFile> loaded = ProfileFile::Load(path, "s");
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->GetString("key", 100), "value");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProfileFileTest, LoadFailsForWhatCannotBeRead) {
  const testing::TempDir dir;
  EXPECT_FALSE(ProfileFile::Load(dir.File("missing.ini"), "S").has_value());
  EXPECT_FALSE(ProfileFile::Load(dir.path(), "S").has_value());
}

}  // namespace
}  // namespace nephrax
