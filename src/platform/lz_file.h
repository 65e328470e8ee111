// Reading a file that may be stored in the SZDD (LZ expansion) format. A compressed file is
// expanded into memory once, when it is opened; any other file is read as it is, straight from
// disk. Offsets and sizes always refer to the expanded data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace nephrax {

class LzFile {
  struct Passkey {};  // lets only Open construct

 public:
  // Opens the file; nullptr when it is not a readable regular file, when a compressed file's
  // header cannot be read, or when memory for the expanded data runs out. Compressed data that
  // ends early keeps what it expanded to, so it reads like a plain file cut at that point; data
  // that runs past the length its header gives is cut at that length.
  static std::unique_ptr<LzFile> Open(const std::string& path);

  explicit LzFile(Passkey) {}
  ~LzFile();
  LzFile(const LzFile&) = delete;
  LzFile& operator=(const LzFile&) = delete;

  // Size of the (expanded) data in bytes.
  uint64_t Size() const { return size_; }
  // Copies up to out.size() bytes from `offset`; returns how many were copied (fewer at the end).
  size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const;
  // True when the file was SZDD-compressed.
  bool IsCompressed() const { return fd_ < 0; }

 private:
  int fd_ = -1;                    // plain file, read in place
  std::vector<uint8_t> expanded_;  // compressed file, expanded
  uint64_t size_ = 0;
};

}  // namespace nephrax
