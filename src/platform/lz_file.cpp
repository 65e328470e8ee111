#include "platform/lz_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace nephrax {

std::unique_ptr<LzFile> LzFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<LzFile> file(new LzFile());
  file->fd_ = fd;
  file->size_ = static_cast<uint64_t>(info.st_size);
  return file;
}

LzFile::~LzFile() {
  if (fd_ >= 0) ::close(fd_);
}

size_t LzFile::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
  if (offset >= size_) return 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(out.size(), size_ - offset));
  if (fd_ < 0) {
    std::memcpy(out.data(), expanded_.data() + offset, wanted);
    return wanted;
  }
  size_t done = 0;
  while (done < wanted) {
    const ssize_t n = ::pread(fd_, out.data() + done, wanted - done, static_cast<off_t>(offset + done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace nephrax
