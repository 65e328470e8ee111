#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace nephrax {

void DynamicLibrary::Closer::operator()(void* handle) const {
  dlclose(handle);
}

DynamicLibrary DynamicLibrary::Open(const std::string& path) {
  DynamicLibrary library;
  // Local symbols: the library's own dependencies stay out of the program's way.
  library.handle_.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : dlsym(handle_.get(), name);
}

}  // namespace nephrax
