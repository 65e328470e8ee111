// The image-format library (libpixkit.so), loaded from the program's directory, and its entry
// points. Every format but BMP is written through it.
#pragma once

#include <string>

#include "pixkit.h"
#include "platform/dynamic_library.h"

namespace nephrax {

// The loaded library and its entry points; an entry point the library lacks is null, and all are
// null when it is not loaded. The library stays loaded while this object lives.
struct ImageLibrary {
  DynamicLibrary library;
  PixkitSetMsgLng* SetMsgLng = nullptr;
  PixkitSetQntHiQt* SetQntHiQt = nullptr;
  PixkitConverter* CnvBmpJpeg = nullptr;
  PixkitConverter* CnvBmpPng = nullptr;
  PixkitConverter* CnvBmpGif = nullptr;
  PixkitConverter* CnvBmpJ2k = nullptr;
  PixkitConverter* CnvBmpTif = nullptr;
  PixkitSetGeoTiff* SetGeoTiff = nullptr;
  PixkitOpenAgif* OpenAgif = nullptr;
  PixkitPutAgif* PutAgif = nullptr;
  PixkitCloseAgif* CloseAgif = nullptr;

  bool IsLoaded() const { return library.IsOpen(); }
  // Whether all three animated-GIF entry points are there.
  bool HasAnimation() const {
    return OpenAgif != nullptr && PutAgif != nullptr && CloseAgif != nullptr;
  }
};

// Loads the library from `program_directory` (ending in "/"), looks up its entry points and
// turns its messages on (SetMsgLng(0)). A missing library is no error: the result is not loaded
// and the formats that need it fail when asked for.
ImageLibrary LoadImageLibrary(const std::string& program_directory);

}  // namespace nephrax
