#include "platform/lz_file.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <type_traits>

namespace nephrax {

namespace {

// "SZDD" 88 F0 27 33: the first bytes of a file stored by the LZ compressor.
constexpr std::array<uint8_t, 8> kSzddSignature = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr size_t kSzddHeaderSize = 14;
// A flag byte and eight two-byte matches of at most 18 bytes each: 17 bytes of compressed data
// never expand to more than 144.
constexpr uint64_t kGroupBytes = 17;
constexpr uint64_t kMostExpandedPerGroup = 144;

// A block of memory the library reads or writes as if it were a file.
struct MemoryFile {
  uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0;
};

// The library's system interface over two memory files, so that an expansion touches no disk:
// the compressed bytes as "input", the expanded data as "output".
struct MemorySystem {
  mspack_system callbacks;  // first member: the library's pointer to it leads back here
  MemoryFile input;
  MemoryFile output;
};
static_assert(std::is_standard_layout_v<MemorySystem>);

constexpr char kInputName[] = "input";
constexpr char kOutputName[] = "output";

MemoryFile& FileOf(mspack_file* file) {
  return *reinterpret_cast<MemoryFile*>(file);
}

mspack_file* OpenMemory(mspack_system* self, const char* name, int mode) {
  MemorySystem& system = *reinterpret_cast<MemorySystem*>(self);
  MemoryFile* file = nullptr;
  if (mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, kInputName) == 0) file = &system.input;
  if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kOutputName) == 0) file = &system.output;
  if (file == nullptr) return nullptr;
  file->position = 0;
  return reinterpret_cast<mspack_file*>(file);
}

void CloseMemory(mspack_file*) {}

// Moves the file's position over up to `bytes` bytes, as many as it holds, and returns them.
std::span<uint8_t> Advance(MemoryFile& file, int bytes) {
  const size_t n = std::min(static_cast<size_t>(bytes), file.size - file.position);
  const std::span<uint8_t> taken(file.data + file.position, n);
  file.position += n;
  return taken;
}

int ReadMemory(mspack_file* handle, void* buffer, int bytes) {
  if (bytes < 0) return -1;
  const std::span<uint8_t> from = Advance(FileOf(handle), bytes);
  std::copy(from.begin(), from.end(), static_cast<uint8_t*>(buffer));
  return static_cast<int>(from.size());
}

[[gnu::noinline]] int WriteMemoryBlock(mspack_file* handle, void* buffer, int bytes) {
  if (bytes < 0) return -1;
  const std::span<uint8_t> to = Advance(FileOf(handle), bytes);
  const uint8_t* from = static_cast<const uint8_t*>(buffer);
  std::copy(from, from + to.size(), to.begin());
  return static_cast<int>(to.size());
}

// The library writes the expanded data one byte at a time, through this callback: kept a leaf
// without a stack frame (the general path out of line), it costs a few instructions a byte. A full
// output takes no more, and the short count stops the library.
int WriteMemory(mspack_file* handle, void* buffer, int bytes) {
  MemoryFile& file = FileOf(handle);
  if (bytes == 1 && file.position < file.size) {
    file.data[file.position++] = *static_cast<const uint8_t*>(buffer);
    return 1;
  }
  return WriteMemoryBlock(handle, buffer, bytes);
}

int SeekMemory(mspack_file* handle, off_t offset, int mode) {
  MemoryFile& file = FileOf(handle);
  off_t base = 0;
  if (mode == MSPACK_SYS_SEEK_CUR) base = static_cast<off_t>(file.position);
  if (mode == MSPACK_SYS_SEEK_END) base = static_cast<off_t>(file.size);
  if (offset < -base || offset > static_cast<off_t>(file.size) - base) return -1;
  file.position = static_cast<size_t>(base + offset);
  return 0;
}

off_t TellMemory(mspack_file* handle) {
  return static_cast<off_t>(FileOf(handle).position);
}

void IgnoreMessage(mspack_file*, const char*, ...) {}

void* AllocateMemory(mspack_system*, size_t bytes) {
  return std::malloc(bytes);
}

void FreeMemory(void* pointer) {
  std::free(pointer);
}

void CopyMemory(void* from, void* to, size_t bytes) {
  std::memmove(to, from, bytes);
}

MemorySystem MakeMemorySystem(std::span<uint8_t> compressed) {
  MemorySystem system{};
  system.callbacks = {OpenMemory, CloseMemory, ReadMemory,    WriteMemory,
                      SeekMemory, TellMemory,  IgnoreMessage, AllocateMemory,
                      FreeMemory, CopyMemory,  nullptr};
  system.input = {compressed.data(), compressed.size(), 0};
  return system;
}

struct DecompressorDeleter {
  void operator()(msszdd_decompressor* d) const { mspack_destroy_szdd_decompressor(d); }
};

// An SZDD file opened by the library, closed with the object.
class OpenedSzdd {
 public:
  explicit OpenedSzdd(msszdd_decompressor& decompressor)
      : decompressor_(decompressor), header_(decompressor.open(&decompressor, kInputName)) {}
  ~OpenedSzdd() {
    if (header_ != nullptr) decompressor_.close(&decompressor_, header_);
  }
  OpenedSzdd(const OpenedSzdd&) = delete;
  OpenedSzdd& operator=(const OpenedSzdd&) = delete;

  msszddd_header* header() const { return header_; }

 private:
  msszdd_decompressor& decompressor_;
  msszddd_header* header_;
};

// Room for the expanded data: the length the header gives, but never more than the compressed
// bytes can produce, so that a forged length cannot ask for gigabytes.
size_t ExpandedCapacity(off_t declared_length, size_t compressed_size) {
  const uint64_t data_bytes = compressed_size - std::min(compressed_size, kSzddHeaderSize);
  const uint64_t reachable = (data_bytes + kGroupBytes - 1) / kGroupBytes * kMostExpandedPerGroup;
  return static_cast<size_t>(std::min(static_cast<uint64_t>(declared_length), reachable));
}

// Expands SZDD data into `expanded`. False when the library cannot run, the header cannot be
// read or memory runs out.
bool ExpandSzdd(std::span<uint8_t> compressed, std::vector<uint8_t>& expanded) {
  int selftest = MSPACK_ERR_OK;
  MSPACK_SYS_SELFTEST(selftest);
  if (selftest != MSPACK_ERR_OK) return false;

  MemorySystem system = MakeMemorySystem(compressed);
  const std::unique_ptr<msszdd_decompressor, DecompressorDeleter> decompressor(
      mspack_create_szdd_decompressor(&system.callbacks));
  if (!decompressor) return false;
  const OpenedSzdd szdd(*decompressor);
  if (szdd.header() == nullptr || szdd.header()->length < 0) return false;

  try {
    expanded.resize(ExpandedCapacity(szdd.header()->length, compressed.size()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  system.output = {expanded.data(), expanded.size(), 0};
  const int error = decompressor->extract(decompressor.get(), szdd.header(), kOutputName);
  // A write error with the output full means the data ran past the header's length: the rest is
  // ignored. The data simply ending early is no error to the library.
  const bool filled = system.output.position == system.output.size;
  if (error != MSPACK_ERR_OK && !(error == MSPACK_ERR_WRITE && filled)) return false;
  expanded.resize(system.output.position);
  return true;
}

bool HasSzddSignature(int fd) {
  std::array<uint8_t, kSzddSignature.size()> start{};
  return ::pread(fd, start.data(), start.size(), 0) == static_cast<ssize_t>(start.size()) &&
         start == kSzddSignature;
}

// Reads the whole file of `size` bytes; fewer when it shrank meanwhile.
std::optional<std::vector<uint8_t>> ReadWholeFile(int fd, size_t size) {
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

std::unique_ptr<LzFile> LzFile::Open(const std::string& path) {
  auto file = std::make_unique<LzFile>(Passkey{});
  file->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file->fd_ < 0) return nullptr;
  struct stat info {};
  if (::fstat(file->fd_, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  if (!HasSzddSignature(file->fd_)) {
    file->size_ = static_cast<uint64_t>(info.st_size);
    return file;
  }

  std::optional<std::vector<uint8_t>> compressed =
      ReadWholeFile(file->fd_, static_cast<size_t>(info.st_size));
  ::close(file->fd_);
  file->fd_ = -1;
  if (!compressed || !ExpandSzdd(*compressed, file->expanded_)) return nullptr;
  file->size_ = file->expanded_.size();
  return file;
}

LzFile::~LzFile() {
  if (fd_ >= 0) ::close(fd_);
}

size_t LzFile::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
  if (offset >= size_ || out.empty()) return 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(out.size(), size_ - offset));
  if (fd_ < 0) {
    std::memcpy(out.data(), expanded_.data() + offset, wanted);
    return wanted;
  }
  size_t done = 0;
  while (done < wanted) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, wanted - done, static_cast<off_t>(offset + done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace nephrax
