// The bundled sample, converted by the program as the README's command does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/bmp_file.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::RunProgram;

const std::string kSample = std::string(NEPHRAX_SOURCE_DIR) + "/data/sample/sample.ir";

std::string Identify(const std::string& path) {
  const std::string command = "identify -format '%w %h %z %[type]' '" + path + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string text;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  pclose(pipe);
  return text;
}

TEST(SamplePictureTest, PlainAndCompressedSamplesGiveTheSamePicture) {
  testing::TempDir dir;
  const std::string plain = dir.File("plain.bmp");
  const std::string packed = dir.File("packed.bmp");
  const testing::ProgramResult a = RunProgram(testing::NephraxPath(), {kSample, plain});
  const testing::ProgramResult b = RunProgram(testing::NephraxPath(), {kSample + "_", packed});
  ASSERT_EQ(a.exit_status, 0) << a.err;
  ASSERT_EQ(b.exit_status, 0) << b.err;
  EXPECT_EQ(a.err, "");
  EXPECT_EQ(testing::ReadBytes(plain), testing::ReadBytes(packed));
  const testing::BmpFile bmp = testing::ReadBmpFile(plain);
  EXPECT_EQ(bmp.width, 1001);
  EXPECT_EQ(bmp.height, 801);
  EXPECT_EQ(bmp.file_size, bmp.bytes.size());
}

TEST(SamplePictureTest, OtherToolsReadThePicture) {
  if (std::system("command -v identify >/dev/null 2>&1") != 0) GTEST_SKIP() << "no identify";
  testing::TempDir dir;
  const std::string picture = dir.File("sample.bmp");
  ASSERT_EQ(RunProgram(testing::NephraxPath(), {kSample, picture}).exit_status, 0);
  const std::string info = Identify(picture);
  EXPECT_TRUE(info.starts_with("1001 801 8 ")) << info;
}

struct RefusedCase {
  const char* destination;
  const char* message;
};

class RefusedFormatTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFormatTest, WritesNothingAndSaysSo) {
  testing::TempDir dir;
  const std::string destination = dir.File(GetParam().destination);
  const testing::ProgramResult r = RunProgram(testing::NephraxPath(), {kSample, destination});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, std::string(GetParam().message) + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(destination));
}

INSTANTIATE_TEST_SUITE_P(Formats, RefusedFormatTest,
                         ::testing::Values(RefusedCase{"out.emf", "Support error."},
                                           RefusedCase{"missing/out.bmp", "File create error."}));

}  // namespace
}  // namespace nephrax
