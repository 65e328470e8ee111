// How a write ended. The writers only say what happened; the entry points report it.
#pragma once

#include <cstdio>
#include <memory>

namespace pixkit {

enum class Outcome {
  kWritten,
  kFileCreate,      // the file could not be created
  kFileOpen,        // an existing file could not be opened
  kDataWrite,       // writing or completing the file failed
  kMemoryAllocate,  // memory ran out
  kUnsupported,     // the format cannot hold the picture
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Closes the file and tells whether everything written reached it.
inline bool CloseFile(FilePointer file) {
  const bool clean = std::ferror(file.get()) == 0;
  return std::fclose(file.release()) == 0 && clean;
}

}  // namespace pixkit
