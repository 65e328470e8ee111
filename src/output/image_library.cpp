#include "output/image_library.h"

namespace nephrax {

namespace {

// The entry point's address as its function type; null when the library lacks it.
template <typename Function>
Function* LookUp(const DynamicLibrary& library, const char* name) {
  return reinterpret_cast<Function*>(library.Symbol(name));
}

}  // namespace

ImageLibrary LoadImageLibrary(const std::string& program_directory) {
  ImageLibrary loaded;
  loaded.library = DynamicLibrary::Open(program_directory + PIXKIT_LIBRARY_NAME);
  const DynamicLibrary& library = loaded.library;
  loaded.SetMsgLng = LookUp<PixkitSetMsgLng>(library, "SetMsgLng");
  loaded.SetQntHiQt = LookUp<PixkitSetQntHiQt>(library, "SetQntHiQt");
  loaded.CnvBmpJpeg = LookUp<PixkitConverter>(library, "CnvBmpJpeg");
  loaded.CnvBmpPng = LookUp<PixkitConverter>(library, "CnvBmpPng");
  loaded.CnvBmpGif = LookUp<PixkitConverter>(library, "CnvBmpGif");
  loaded.CnvBmpJ2k = LookUp<PixkitConverter>(library, "CnvBmpJ2k");
  loaded.CnvBmpTif = LookUp<PixkitConverter>(library, "CnvBmpTif");
  loaded.SetGeoTiff = LookUp<PixkitSetGeoTiff>(library, "SetGeoTiff");
  loaded.OpenAgif = LookUp<PixkitOpenAgif>(library, "OpenAgif");
  loaded.PutAgif = LookUp<PixkitPutAgif>(library, "PutAgif");
  loaded.CloseAgif = LookUp<PixkitCloseAgif>(library, "CloseAgif");
  if (loaded.SetMsgLng != nullptr) loaded.SetMsgLng(0);
  return loaded;
}

}  // namespace nephrax
