#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace nephrax {

namespace {

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

AtomicFile::AtomicFile(std::string destination) : destination_(std::move(destination)) {
  std::string pattern = DirectoryOf(destination_) + ".nephrax-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return;
  // mkstemp creates the file for the owner only; give it the permissions a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, static_cast<mode_t>(0666 & ~mask));
  stream_ = fdopen(fd, "wb");
  if (stream_ == nullptr) {
    close(fd);
    unlink(pattern.c_str());
    return;
  }
  temporary_path_ = pattern;
}

AtomicFile::~AtomicFile() {
  if (stream_ != nullptr) std::fclose(stream_);
  if (!committed_ && !temporary_path_.empty()) unlink(temporary_path_.c_str());
}

bool AtomicFile::Write(const void* data, size_t size) {
  return stream_ != nullptr && std::fwrite(data, 1, size, stream_) == size;
}

bool AtomicFile::Commit() {
  if (stream_ == nullptr) return false;
  const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!flushed || !closed) return false;
  committed_ = std::rename(temporary_path_.c_str(), destination_.c_str()) == 0;
  return committed_;
}

}  // namespace nephrax
