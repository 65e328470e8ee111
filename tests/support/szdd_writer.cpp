#include "support/szdd_writer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "core/bytes.h"

extern char** environ;

namespace nephrax::testing {

namespace {

constexpr uint8_t kSzddStart[] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 0};
constexpr size_t kLiteralsPerGroup = 8;
constexpr uint8_t kAllLiterals = 0xFF;
// Below this many bytes mscompress writes a stream that does not expand to its input.
constexpr uintmax_t kMscompressSmallestSound = 16;

// Runs mscompress on `path`; true when it ran and exited with status 0.
bool RunMscompress(const std::string& path) {
  std::string program = "mscompress";
  std::string argument = path;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::vector<uint8_t> BuildLiteralSzdd(std::span<const uint8_t> data) {
  std::vector<uint8_t> bytes(std::begin(kSzddStart), std::end(kSzddStart));
  bytes.resize(kSzddHeaderSize);
  WriteU32Le(bytes, kSzddLengthOffset, static_cast<uint32_t>(data.size()));
  for (size_t at = 0; at < data.size(); at += kLiteralsPerGroup) {
    bytes.push_back(kAllLiterals);
    const auto group = data.subspan(at, std::min(kLiteralsPerGroup, data.size() - at));
    bytes.insert(bytes.end(), group.begin(), group.end());
  }
  return bytes;
}

void CompressWithMscompress(const std::string& source, const std::string& destination) {
  namespace fs = std::filesystem;
  const uintmax_t size = fs::file_size(source);
  if (size > 0 && size < kMscompressSmallestSound) {
    throw std::runtime_error("mscompress cannot compress " + source + " soundly: too short");
  }
  // mscompress writes `source` + "_" and will not replace an existing file.
  const std::string written = source + "_";
  fs::remove(written);
  if (!RunMscompress(source)) throw std::runtime_error("mscompress failed on " + source);
  fs::rename(written, destination);
}

}  // namespace nephrax::testing
