#include "platform/system_info.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace nephrax {

namespace {
constexpr int64_t kDefaultTimeZoneOffset = -32400;
}

std::string ProgramDirectory(const std::string& fallback_path) {
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error || path.empty()) path = fallback_path;
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int64_t TimeZoneOffset() {
  if (std::getenv("TZ") == nullptr) return kDefaultTimeZoneOffset;
  tzset();
  return static_cast<int64_t>(timezone);
}

std::optional<std::string> TimeZoneStandardName() {
  if (std::getenv("TZ") == nullptr) return std::nullopt;
  tzset();
  return std::string(tzname[0]);
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

}  // namespace nephrax
