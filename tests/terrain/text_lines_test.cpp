#include "terrain/text_lines.h"

#include <gtest/gtest.h>

#include "support/source_file_builder.h"

namespace nephrax {
namespace {

std::vector<std::string> AllLines(const std::string& text) {
  const testing::TempDir dir;
  testing::WriteBytes(dir.File("text"), std::vector<uint8_t>(text.begin(), text.end()));
  const std::unique_ptr<LzFile> file = LzFile::Open(dir.File("text"));
  TextLineReader reader(*file);
  std::vector<std::string> lines;
  while (std::optional<std::string> line = reader.Next()) lines.push_back(*line);
  return lines;
}

TEST(TextLineReaderTest, LongLinesAreReadInPiecesOf79) {
  const std::string a79(79, 'a');
  const std::string b200(200, 'b');
  EXPECT_EQ(AllLines(a79 + "\n" + b200 + "\r\n\nlast"),
            (std::vector<std::string>{a79, std::string(79, 'b'), std::string(79, 'b'),
                                      std::string(42, 'b'), "", "last"}));
}

TEST(LineScannerTest, TakesItemsAsScanfDoes) {
  LineScanner scanner(" \tname 12-5 +7 2.5e1x");
  EXPECT_EQ(scanner.Word(), "name");
  EXPECT_EQ(scanner.Int(), 12);
  EXPECT_EQ(scanner.Int(), -5);
  EXPECT_EQ(scanner.Int(), 7);
  EXPECT_EQ(scanner.Real(), 25.0);
  EXPECT_EQ(scanner.Word(), "x");
  EXPECT_EQ(scanner.Word(), std::nullopt);
}

TEST(LineScannerTest, RefusesNumbersThatDoNotFit) {
  EXPECT_EQ(LineScanner("2147483648").Int(), std::nullopt);
  EXPECT_EQ(LineScanner("-2147483648").Int(), INT32_MIN);
  EXPECT_EQ(LineScanner("+-3").Int(), std::nullopt);
  EXPECT_EQ(LineScanner("1e999").Real(), std::nullopt);
  EXPECT_EQ(LineScanner("nan").Real(), std::nullopt);
  EXPECT_EQ(LineScanner("x1").Int(), std::nullopt);
}

}  // namespace
}  // namespace nephrax
