#include "output/picture_writer.h"

#include <array>
#include <cstdio>
#include <span>

#include "core/bytes.h"
#include "core/messages.h"
#include "platform/atomic_file.h"

namespace nephrax {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kBitsOffset = kFileHeaderBytes + sizeof(DibHeader);
static_assert(kMaxSurfaceBytes + kBitsOffset <= 0xFFFFFFFF, "a BMP file size must fit 32 bits");

void WriteU16Le(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// BITMAPFILEHEADER: "BM", the file size, two reserved words, the offset of the rows.
std::array<uint8_t, kFileHeaderBytes> FileHeaderBytes(const DibHeader& header) {
  std::array<uint8_t, kFileHeaderBytes> bytes{'B', 'M'};
  WriteU32Le(bytes, 2, header.image_size + kBitsOffset);
  WriteU32Le(bytes, 10, kBitsOffset);
  return bytes;
}

std::array<uint8_t, sizeof(DibHeader)> InfoHeaderBytes(const DibHeader& header) {
  std::array<uint8_t, sizeof(DibHeader)> bytes{};
  WriteU32Le(bytes, 0, header.size);
  WriteI32Le(bytes, 4, header.width);
  WriteI32Le(bytes, 8, header.height);
  WriteU16Le(bytes, 12, header.planes);
  WriteU16Le(bytes, 14, header.bit_count);
  WriteU32Le(bytes, 16, header.compression);
  WriteU32Le(bytes, 20, header.image_size);
  WriteI32Le(bytes, 24, header.x_pels_per_meter);
  WriteI32Le(bytes, 28, header.y_pels_per_meter);
  WriteU32Le(bytes, 32, header.colours_used);
  WriteU32Le(bytes, 36, header.colours_important);
  return bytes;
}

bool WriteBmpFile(const std::string& destination, const DibHeader& header,
                  std::span<const uint8_t> bits) {
  AtomicFile file(destination);
  if (!file.IsOpen()) {
    PrintMessage(msg::kFileCreate);
    return false;
  }
  const std::array<uint8_t, kFileHeaderBytes> file_header = FileHeaderBytes(header);
  const std::array<uint8_t, sizeof(DibHeader)> info_header = InfoHeaderBytes(header);
  const bool written = file.Write(file_header.data(), file_header.size()) &&
                       file.Write(info_header.data(), info_header.size()) &&
                       file.Write(bits.data(), bits.size()) && std::fflush(file.stream()) == 0;
  if (!written) {
    PrintMessage(msg::kDataWrite);
    return false;
  }
  // Every byte is out; what can still fail is putting the file in the destination's place.
  if (!file.Commit()) {
    PrintMessage(msg::kFileCreate);
    return false;
  }
  return true;
}

// The library's converter for the format; null when the library lacks it or is not loaded.
PixkitConverter* ConverterFor(OutputFormat format, const ImageLibrary& library) {
  switch (format) {
    case OutputFormat::kJpg:
      return library.CnvBmpJpeg;
    case OutputFormat::kPng:
      return library.CnvBmpPng;
    case OutputFormat::kGif:
      return library.CnvBmpGif;
    case OutputFormat::kJp2:
      return library.CnvBmpJ2k;
    case OutputFormat::kTif:
      return library.CnvBmpTif;
    default:
      return nullptr;
  }
}

// The library writes by path: it writes the temporary file, which then replaces the destination.
bool WriteWithLibrary(const Surface& surface, const std::string& destination, OutputFormat format,
                      const ImageLibrary& library, const Settings& settings, const GeoArea& area) {
  PixkitConverter* convert = ConverterFor(format, library);
  const bool add_geotiff = format == OutputFormat::kTif && settings.GeoTif;
  if (convert == nullptr || (add_geotiff && library.SetGeoTiff == nullptr)) {
    PrintMessage(msg::kSupport);
    return false;
  }
  AtomicFile file(destination);
  if (!file.IsOpen()) {
    PrintMessage(msg::kFileCreate);
    return false;
  }
  const char* path = file.temporary_path().c_str();
  if (format == OutputFormat::kGif && library.SetQntHiQt != nullptr) {
    library.SetQntHiQt(settings.GifOpt ? 1 : 0);
  }
  const DibHeader header = MakeDibHeader(surface);
  if (convert(0, path, &header, surface.DibRows().data()) == 0) return false;
  if (add_geotiff) {
    const std::array<double, 4> parameters =
        GeoTiffParameters(area, surface.width(), surface.height());
    if (library.SetGeoTiff(0, path, parameters.data()) == 0) return false;
  }
  if (!file.Commit()) {
    PrintMessage(msg::kFileCreate);
    return false;
  }
  return true;
}

}  // namespace

DibHeader MakeDibHeader(const Surface& surface) {
  DibHeader header{};
  header.size = sizeof(DibHeader);
  header.width = surface.width();
  header.height = surface.height();
  header.planes = 1;
  header.bit_count = 24;
  header.compression = kBiRgb;
  header.image_size = static_cast<uint32_t>(DibRowBytes(surface.width()) * surface.height());
  return header;
}

bool WritePicture(const Surface& surface, const std::string& destination, OutputFormat format,
                  const ImageLibrary& library, const Settings& settings, const GeoArea& area) {
  switch (format) {
    case OutputFormat::kBmp:
    case OutputFormat::kRle:
      return WriteBmpFile(destination, MakeDibHeader(surface), surface.DibRows());
    case OutputFormat::kJpg:
    case OutputFormat::kPng:
    case OutputFormat::kGif:
    case OutputFormat::kJp2:
    case OutputFormat::kTif:
      return WriteWithLibrary(surface, destination, format, library, settings, area);
    case OutputFormat::kEmf:
      break;
  }
  PrintMessage(msg::kSupport);
  return false;
}

bool WriteAnimationFrame(const Surface& surface, const ImageLibrary& library, int32_t handle,
                         int32_t delay) {
  const DibHeader header = MakeDibHeader(surface);
  return library.PutAgif(0, &header, surface.DibRows().data(), handle, delay) != 0;
}

}  // namespace nephrax
