// A shared library loaded at run time: the stand-in for LoadLibrary, GetProcAddress and
// FreeLibrary over dlopen, dlsym and dlclose.
#pragma once

#include <memory>
#include <string>

namespace nephrax {

class DynamicLibrary {
 public:
  // No library.
  DynamicLibrary() = default;

  // Loads the library at `path`, resolving all its symbols now; an empty object when it cannot
  // be loaded.
  static DynamicLibrary Open(const std::string& path);

  bool IsOpen() const { return handle_ != nullptr; }
  // The address of the symbol, or null when the library lacks it or none is open.
  void* Symbol(const char* name) const;

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> handle_;
};

}  // namespace nephrax
