#include "geotiff_plugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace pixkit {

namespace {

// The plugin's path: beside the file this library was loaded from.
std::string PluginPath() {
  Dl_info library{};
  if (dladdr(reinterpret_cast<void*>(&PluginPath), &library) == 0 ||
      library.dli_fname == nullptr) {
    return {};
  }
  return std::filesystem::path(library.dli_fname).replace_filename(kGeoTiffPluginFile).string();
}

GeoTiffTagger* OpenTagger() {
  const std::string path = PluginPath();
  if (path.empty()) return nullptr;
  void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) return nullptr;
  auto* tagger = reinterpret_cast<GeoTiffTagger*>(dlsym(plugin, kGeoTiffTaggerName));
  if (tagger == nullptr) dlclose(plugin);
  // A plugin with its function is never closed, so it stays loaded for the rest of the process,
  // even after this library is unloaded: tagging installs libgeotiff's tag extender in libtiff,
  // process-wide and for good, and libtiff outlives this library in a host that uses it too.
  return tagger;
}

}  // namespace

GeoTiffTagger* LoadGeoTiffTagger() {
  static GeoTiffTagger* const tagger = OpenTagger();  // loaded once, thread-safe
  return tagger;
}

}  // namespace pixkit
