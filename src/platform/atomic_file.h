// Writing a file so that readers never see it half-written: the bytes go to a temporary file in
// the destination's directory, which replaces the destination only once it is complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace nephrax {

class AtomicFile {
 public:
  // Creates the temporary file; check IsOpen().
  explicit AtomicFile(std::string destination);
  // Removes the temporary file unless Commit() succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool IsOpen() const { return stream_ != nullptr; }
  std::FILE* stream() const { return stream_; }
  const std::string& temporary_path() const { return temporary_path_; }
  // Writes all bytes; false when any could not be written.
  bool Write(const void* data, size_t size);
  // Flushes, closes and renames the temporary file over the destination.
  bool Commit();

 private:
  std::string destination_;
  std::string temporary_path_;
  std::FILE* stream_ = nullptr;
  bool committed_ = false;
};

}  // namespace nephrax
